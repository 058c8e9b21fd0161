#include "platform/bd/MotorBd.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <utility>

#include "base/Falha.h"

namespace {

QAtomicInt contadorDeLigacoes;

}  // namespace

MotorBd::MotorBd(QString nome, QString baseDeDados, DialectoSql dialecto)
    : nome_(std::move(nome)), baseDeDados_(std::move(baseDeDados)), dialecto_(dialecto) {}

QString MotorBd::abrirNoQt(const QString& controlador, const QString& nomeDaBase,
                           const QString& opcoes, QString& erro) {
    QString nome = QStringLiteral("marelo-bd-%1").arg(contadorDeLigacoes.fetchAndAddRelaxed(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(controlador, nome);
        db.setDatabaseName(nomeDaBase);
        if (!opcoes.isEmpty())
            db.setConnectOptions(opcoes);
        if (db.open())
            return nome;
        erro = db.lastError().text();
    }
    QSqlDatabase::removeDatabase(nome);
    return {};
}

void MotorBd::anularTransaccao() {
    QSqlDatabase base = db();
    if (!base.rollback())
        falhar(base.lastError(), QStringLiteral("ROLLBACK"));
}

QHash<QString, int> MotorBd::tamanhosDasColunas(const QString& tabela) const {
    QHash<QString, int> colunas;
    // SQL Server gives a text column's size with every result; SQLite keeps it only in the
    // declared type.
    if (dialecto_ != DialectoSql::Sqlite)
        return colunas;
    static const QRegularExpression tamanho(QStringLiteral("\\(\\s*(\\d+)"));
    QSqlQuery q(db());
    QString t = tabela;
    t.replace(QLatin1Char('\''), QStringLiteral("''"));
    if (q.exec(QStringLiteral("PRAGMA table_info('%1')").arg(t))) {
        while (q.next()) {
            const QRegularExpressionMatch m = tamanho.match(q.value(2).toString());
            if (m.hasMatch() &&
                q.value(2).toString().contains(QLatin1String("char"), Qt::CaseInsensitive))
                colunas.insert(q.value(1).toString().toLower(), m.captured(1).toInt());
        }
    }
    return colunas;
}

QStringList MotorBd::chavePrimaria(const QString& tabela) const {
    QStringList colunas;
    const QSqlIndex indice = db().primaryIndex(tabela);
    for (int i = 0; i < indice.count(); ++i)
        colunas << indice.fieldName(i);
    return colunas;
}

void MotorBd::fechar(bool emTransaccao) {
    {
        QSqlDatabase base = db();
        if (base.isOpen()) {
            if (emTransaccao)
                base.rollback();
            base.close();
        }
    }
    QSqlDatabase::removeDatabase(nome_);
}

void MotorBd::falhar(const QSqlError& erro, const QString& sql) const {
    QString texto = erro.text().trimmed();
    if (texto.isEmpty())
        texto = QStringLiteral("erro desconhecido da base de dados");
    throw Falha(Falha::ErroDeBaseDeDados,
                QStringLiteral("%1 [%2] na instrução: %3").arg(texto, baseDeDados_, sql));
}
