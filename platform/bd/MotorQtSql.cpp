#include "platform/bd/MotorQtSql.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVector>
#include <utility>

#include "platform/bd/Recordset.h"

namespace {

class InstrucaoQtSql final : public Instrucao {
  public:
    InstrucaoQtSql(const MotorQtSql& motor, QSqlQuery q) : motor_(motor), q_(std::move(q)) {}

    void correr(const QVariantList& valores, const QString& sql) override {
        for (int i = 0; i < valores.size(); ++i)
            q_.bindValue(i, valores.at(i));
        if (!q_.exec()) {
            const QSqlError erro = q_.lastError();
            q_.finish();
            motor_.falhar(erro, sql);
        }
    }

    void lerLinhas(Recordset& rs, const TamanhoDefinido& tamanhoDefinido,
                   const QString& /*sql*/) override {
        const QSqlRecord registo = q_.record();
        QVector<RecordsetField> campos;
        campos.reserve(registo.count());
        for (int i = 0; i < registo.count(); ++i) {
            const QSqlField f = registo.field(i);
            RecordsetField campo{f.name(), tipoDoCampo(f.metaType().id()), 0, f.metaType()};
            if (motor_.dialecto() == DialectoSql::Sqlite) {
                if (const int tamanho = tamanhoDefinido(f.name()); tamanho > 0) {
                    campo.definedSize = tamanho;
                    campo.type = FieldType::Text;
                }
            } else if (campo.type == FieldType::Text && f.length() > 0) {
                campo.definedSize = f.length();
            }
            campos.append(campo);
        }
        rs.reset(campos);
        const int n = registo.count();
        while (q_.next()) {
            QVector<QVariant> valores(n);
            for (int i = 0; i < n; ++i) {
                const QVariant v = q_.value(i);
                if (!v.isNull())
                    valores[i] = v;
            }
            rs.appendRow(std::move(valores));
        }
        q_.finish();
        rs.moveFirst();
    }

    int linhasAlteradas(const QString& /*sql*/) override {
        const int n = q_.numRowsAffected();
        q_.finish();
        return n;
    }

    qint64 primeiroInteiro(const QString& /*sql*/) override {
        const qint64 valor = q_.next() ? q_.value(0).toLongLong() : -1;
        q_.finish();
        return valor;
    }

    void terminar() override { q_.finish(); }

  private:
    const MotorQtSql& motor_;
    QSqlQuery q_;
};

}  // namespace

std::unique_ptr<MotorBd> MotorQtSql::abrirOdbc(const QString& servidor, const QString& baseDeDados,
                                               const QString& utilizador, const QString& password,
                                               QString& erro) {
    QString odbc;
    if (servidor.contains(QLatin1Char('='))) {
        odbc = servidor;
        odbc.replace(QStringLiteral("{NomeSQL}"), baseDeDados);
    } else {
        odbc = QStringLiteral(
                   "DRIVER={FreeTDS};SERVER=%1;DATABASE=%2;TDS_Version=7.4;"
                   "ClientCharset=UTF-8")
                   .arg(servidor, baseDeDados);
    }
    if (!utilizador.isEmpty())
        odbc += QStringLiteral(";UID=%1;PWD={%2}").arg(utilizador, password);
    const QString nome = abrirNoQt(QStringLiteral("QODBC"), odbc, QString(), erro);
    if (nome.isEmpty())
        return nullptr;
    DialectoSql dialecto = DialectoSql::SqlServer;
    {
        QSqlQuery q(QSqlDatabase::database(nome, false));
        if (q.exec(QStringLiteral("SELECT sqlite_version()")))
            dialecto = DialectoSql::Sqlite;
    }
    return std::make_unique<MotorQtSql>(nome, baseDeDados, dialecto);
}

MotorQtSql::MotorQtSql(QString nome, QString baseDeDados, DialectoSql dialecto)
    : MotorBd(std::move(nome), std::move(baseDeDados), dialecto) {}

std::unique_ptr<Instrucao> MotorQtSql::preparar(const QString& sql, const QString& sqlOriginal) {
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.prepare(dialecto() == DialectoSql::Sqlite ? adaptarSqlParaSqlite(sql) : sql))
        falhar(q.lastError(), sqlOriginal);
    return std::make_unique<InstrucaoQtSql>(*this, std::move(q));
}

void MotorQtSql::iniciarTransaccao() {
    QSqlDatabase base = db();
    if (!base.transaction())
        falhar(base.lastError(), QStringLiteral("BEGIN TRANSACTION"));
}

void MotorQtSql::confirmarTransaccao() {
    QSqlDatabase base = db();
    if (!base.commit())
        falhar(base.lastError(), QStringLiteral("COMMIT"));
}
