#include "platform/clsBd.h"

#include <sqlite3.h>
#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/Falha.h"
#include "platform/SqlDialecto.h"
#include "platform/clsStringLigacao.h"

namespace {

// A value bound as Qt's SQLite driver binds it: a null value (a null text among them) as NULL,
// whole numbers and reals as such, dates and times as ISO text, anything else as its text.
int ligarValor(sqlite3_stmt* st, int i, const QVariant& v) {
    bool nulo = v.isNull();
    switch (v.typeId()) {
        case QMetaType::QString:
            nulo = nulo || static_cast<const QString*>(v.constData())->isNull();
            break;
        case QMetaType::QByteArray:
            nulo = nulo || static_cast<const QByteArray*>(v.constData())->isNull();
            break;
        case QMetaType::QDateTime:
            nulo = nulo || static_cast<const QDateTime*>(v.constData())->isNull();
            break;
        case QMetaType::QDate:
            nulo = nulo || static_cast<const QDate*>(v.constData())->isNull();
            break;
        case QMetaType::QTime:
            nulo = nulo || static_cast<const QTime*>(v.constData())->isNull();
            break;
        default:
            break;
    }
    if (nulo)
        return sqlite3_bind_null(st, i);
    const auto texto = [&](const QString& t) {
        return sqlite3_bind_text16(st, i, t.utf16(), int(t.size() * sizeof(QChar)),
                                   SQLITE_TRANSIENT);
    };
    switch (v.typeId()) {
        case QMetaType::QByteArray: {
            const auto* b = static_cast<const QByteArray*>(v.constData());
            return sqlite3_bind_blob(st, i, b->constData(), int(b->size()), SQLITE_TRANSIENT);
        }
        case QMetaType::Int:
        case QMetaType::Bool:
            return sqlite3_bind_int(st, i, v.toInt());
        case QMetaType::Double:
            return sqlite3_bind_double(st, i, v.toDouble());
        case QMetaType::UInt:
        case QMetaType::LongLong:
            return sqlite3_bind_int64(st, i, v.toLongLong());
        case QMetaType::QDateTime:
            return texto(v.toDateTime().toString(Qt::ISODateWithMs));
        case QMetaType::QTime:
            return texto(v.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
        case QMetaType::QString:
            return texto(*static_cast<const QString*>(v.constData()));
        default:
            return texto(v.toString());
    }
}

// The type Qt's SQLite driver gives a result column: from its declared type, or else from the
// value of the first row (none when there is no row).
int tipoDaColuna(sqlite3_stmt* st, int i, bool haLinha) {
    const auto* declarado = static_cast<const QChar*>(sqlite3_column_decltype16(st, i));
    if (declarado && !declarado->isNull()) {
        const QString nome = QString(declarado).toLower();
        if (nome == QLatin1String("integer") || nome == QLatin1String("int"))
            return QMetaType::Int;
        if (nome == QLatin1String("double") || nome == QLatin1String("float") ||
            nome == QLatin1String("real") || nome.startsWith(QLatin1String("numeric")))
            return QMetaType::Double;
        if (nome == QLatin1String("blob"))
            return QMetaType::QByteArray;
        if (nome == QLatin1String("boolean") || nome == QLatin1String("bool"))
            return QMetaType::Bool;
        return QMetaType::QString;
    }
    switch (haLinha ? sqlite3_column_type(st, i) : -1) {
        case SQLITE_INTEGER:
            return QMetaType::Int;
        case SQLITE_FLOAT:
            return QMetaType::Double;
        case SQLITE_BLOB:
            return QMetaType::QByteArray;
        case SQLITE_TEXT:
            return QMetaType::QString;
        default:
            return QMetaType::UnknownType;
    }
}

// A column's value as Qt's SQLite driver reads it; null stays an empty QVariant.
QVariant valorDaColuna(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(st, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(st, i));
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)),
                                       sqlite3_column_bytes(st, i)));
        default:
            return QVariant(QString(static_cast<const QChar*>(sqlite3_column_text16(st, i)),
                                    sqlite3_column_bytes16(st, i) / qsizetype(sizeof(QChar))));
    }
}

}  // namespace

struct clsBd::Ligacao {
    // Prepared statements kept per connection; the least used go first past this number, so
    // that statements written with their values inline do not pile up.
    static constexpr int kMaximoDePreparadas = 64;

    struct Preparada {
        QSqlQuery q;                 // through Qt's driver (a server)
        sqlite3_stmt* st = nullptr;  // the embedded database's own statement
        quint64 uso = 0;
        // The tables named after FROM and JOIN, once asked for.
        std::optional<QStringList> tabelas;

        Preparada() = default;
        Preparada(Preparada&& outra) noexcept
            : q(std::move(outra.q)),
              st(std::exchange(outra.st, nullptr)),
              uso(outra.uso),
              tabelas(std::move(outra.tabelas)) {}
        Preparada& operator=(Preparada&&) = delete;
        ~Preparada() {
            if (st)
                sqlite3_finalize(st);
        }
    };

    QString nome;  // QSqlDatabase connection name
    QString baseDeDados;
    QString ficheiro;  // the embedded database's file; empty for a server
    // The embedded database's connection, which its statements use directly: the same rows
    // and values Qt's driver gives, without its bookkeeping for every bound value.
    sqlite3* sqlite = nullptr;
    Dialecto dialecto = Dialecto::SqlServer;
    bool emTransaccao = false;
    // Advanced each time the connection goes back to the Reserva: what was opened through an
    // earlier use (an updatable record set) must not write through a later one.
    quint64 geracao = 0;
    quint64 usos = 0;
    qint64 versaoDoEsquema = -1;
    std::unordered_map<QString, Preparada> preparadas;
    // table (lower case) -> column (lower case) -> defined size
    QHash<QString, QHash<QString, int>> tamanhos;
    // table (lower case) -> primary key columns
    QHash<QString, QStringList> chaves;
    // The statement preparar gave last.
    Preparada* ultima = nullptr;

    QSqlDatabase db() const { return QSqlDatabase::database(nome, false); }

    QString adaptar(const QString& sql) const {
        return dialecto == Dialecto::Sqlite ? adaptarSqlParaSqlite(sql) : sql;
    }

    QString citar(const QString& nomeColuna) const { return citarNome(nomeColuna, dialecto); }

    [[noreturn]] void falhar(const QSqlError& erro, const QString& sql) const {
        QString texto = erro.text().trimmed();
        if (texto.isEmpty())
            texto = QStringLiteral("erro desconhecido da base de dados");
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("%1 [%2] na instrução: %3").arg(texto, baseDeDados, sql));
    }

    [[noreturn]] void falharSqlite(const char* oQue, const QString& sql) const {
        QString texto = QString::fromUtf8(sqlite3_errmsg(sqlite));
        if (!texto.isEmpty())
            texto += QLatin1Char(' ');
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("%1 [%2] na instrução: %3")
                        .arg(texto + QLatin1String(oQue), baseDeDados, sql));
    }

    // A prepared statement, kept per connection and reused for the same text.
    Preparada& preparar(const QString& sqlOriginal, const QVariantList& parametrosOriginais) {
        ultima = nullptr;
        const QString* sql = &sqlOriginal;
        const QVariantList* parametros = &parametrosOriginais;
        QString texto;
        QVariantList valores;
        if (dialecto == Dialecto::Sqlite &&
            separarNumeros(sqlOriginal, parametrosOriginais, texto, valores)) {
            sql = &texto;
            parametros = &valores;
        }
        auto it = preparadas.find(*sql);
        if (it == preparadas.end()) {
            Preparada nova;
            if (sqlite) {
                const QString adaptada = adaptar(*sql);
                if (sqlite3_prepare16_v3(sqlite, adaptada.utf16(),
                                         int(adaptada.size() * sizeof(QChar)),
                                         SQLITE_PREPARE_PERSISTENT, &nova.st, nullptr) != SQLITE_OK)
                    falharSqlite("Unable to execute statement", sqlOriginal);
            } else {
                nova.q = QSqlQuery(db());
                nova.q.setForwardOnly(true);
                if (!nova.q.prepare(adaptar(*sql)))
                    falhar(nova.q.lastError(), sqlOriginal);
            }
            if (preparadas.size() >= kMaximoDePreparadas) {
                auto menosUsada = preparadas.begin();
                for (auto p = preparadas.begin(); p != preparadas.end(); ++p)
                    if (p->second.uso < menosUsada->second.uso)
                        menosUsada = p;
                preparadas.erase(menosUsada);
            }
            it = preparadas.emplace(*sql, std::move(nova)).first;
        }
        Preparada& p = it->second;
        p.uso = ++usos;
        if (p.st) {
            sqlite3_reset(p.st);
            sqlite3_clear_bindings(p.st);
            if (sqlite3_bind_parameter_count(p.st) != parametros->size())
                throw Falha(Falha::ErroDeBaseDeDados,
                            QStringLiteral("Parameter count mismatch [%1] na instrução: %2")
                                .arg(baseDeDados, sqlOriginal));
            for (int i = 0; i < parametros->size(); ++i)
                if (ligarValor(p.st, i + 1, parametros->at(i)) != SQLITE_OK)
                    falharSqlite("Unable to bind parameters", sqlOriginal);
            ultima = &p;
            return p;  // the caller steps it
        }
        for (int i = 0; i < parametros->size(); ++i)
            p.q.bindValue(i, parametros->at(i));
        if (!p.q.exec()) {
            const QSqlError erro = p.q.lastError();
            p.q.finish();
            falhar(erro, sqlOriginal);
        }
        ultima = &p;
        return p;
    }

    // The first step of an embedded statement: true on a row.
    bool passo(Preparada& p, const QString& sql) {
        const int r = sqlite3_step(p.st);
        if (r == SQLITE_ROW)
            return true;
        if (r == SQLITE_DONE)
            return false;
        sqlite3_reset(p.st);
        falharSqlite("Unable to fetch row", sql);
    }

    // Runs a statement; gives the number of rows it changed.
    int executar(const QString& sql, const QVariantList& parametros) {
        Preparada& p = preparar(sql, parametros);
        if (p.st) {
            passo(p, sql);
            const int n = sqlite3_changes(sqlite);
            sqlite3_reset(p.st);
            return n;
        }
        const int n = p.q.numRowsAffected();
        p.q.finish();
        return n;
    }

    const QHash<QString, int>& tamanhosDaTabela(const QString& tabela) {
        const QString chave = tabela.toLower();
        auto it = tamanhos.find(chave);
        if (it != tamanhos.end())
            return it.value();
        QHash<QString, int> colunas;
        if (dialecto == Dialecto::Sqlite) {
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
        }
        return tamanhos.insert(chave, colunas).value();
    }

    const QStringList& chaveDaTabela(const QString& tabela) {
        const QString nomeDaTabela = tabela.toLower();
        auto it = chaves.find(nomeDaTabela);
        if (it != chaves.end())
            return it.value();
        QStringList colunas;
        const QSqlIndex indice = db().primaryIndex(tabela);
        for (int i = 0; i < indice.count(); ++i)
            colunas << indice.fieldName(i);
        return chaves.insert(nomeDaTabela, colunas).value();
    }

    // Statements done with, so that an idle connection holds no read snapshot of the database.
    void terminarInstrucoes() {
        for (auto& [sql, p] : preparadas) {
            if (p.st)
                sqlite3_reset(p.st);
            else
                p.q.finish();
        }
    }

    // What the connection knows of the tables is kept only while their definitions stay as
    // they were.
    void confirmarEsquema() {
        const QString sql = QStringLiteral("PRAGMA schema_version");
        Preparada& p = preparar(sql, {});
        qint64 versao = -1;
        if (p.st) {
            if (passo(p, sql))
                versao = sqlite3_column_int64(p.st, 0);
            sqlite3_reset(p.st);
        } else {
            versao = p.q.next() ? p.q.value(0).toLongLong() : -1;
            p.q.finish();
        }
        if (versao != versaoDoEsquema) {
            tamanhos.clear();
            chaves.clear();
            versaoDoEsquema = versao;
        }
    }
};

namespace {

QAtomicInt contadorDeLigacoes;

// The idle embedded connections of this thread, by database file, while a Reserva lives.
struct LigacoesGuardadas {
    // Idle connections kept per file: a run holds at most two at once on one file (the
    // company's data and its accounting).
    static constexpr int kPorFicheiro = 4;

    int reservas = 0;
    QHash<QString, QList<std::shared_ptr<clsBd::Ligacao>>> livres;
};

thread_local LigacoesGuardadas guardadas;

void fecharLigacao(const std::shared_ptr<clsBd::Ligacao>& ligacao) {
    const QString nome = ligacao->nome;
    ligacao->ultima = nullptr;
    ligacao->preparadas.clear();
    ligacao->sqlite = nullptr;
    ++ligacao->geracao;
    {
        QSqlDatabase db = ligacao->db();
        if (db.isOpen()) {
            if (ligacao->emTransaccao)
                db.rollback();
            db.close();
        }
    }
    ligacao->emTransaccao = false;
    QSqlDatabase::removeDatabase(nome);
}

class EscritorDeTabela : public RecordsetWriter {
  public:
    EscritorDeTabela(std::shared_ptr<clsBd::Ligacao> ligacao, QString tabela, QStringList chave)
        : ligacao_(std::move(ligacao)),
          geracao_(ligacao_->geracao),
          tabela_(std::move(tabela)),
          chave_(std::move(chave)) {}

    void insertRow(const QVector<RecordsetField>& campos, const QVector<QVariant>& valores,
                   const QVector<bool>& atribuidos) override {
        QStringList colunas, marcas;
        QVariantList parametros;
        for (int i = 0; i < campos.size(); ++i) {
            if (!atribuidos[i])
                continue;
            colunas << ligacao_->citar(campos[i].name);
            marcas << QStringLiteral("?");
            parametros << valores[i];
        }
        const QString sql = colunas.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tabela_)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(tabela_, colunas.join(QStringLiteral(", ")),
                                           marcas.join(QStringLiteral(", ")));
        executar(sql, parametros);
    }

    void updateRow(const QVector<RecordsetField>& campos, const QVector<QVariant>& valores,
                   const QVector<QVariant>& originais, const QVector<bool>& alterados) override {
        QStringList atribuicoes, condicoes;
        QVariantList parametros;
        for (int i = 0; i < campos.size(); ++i) {
            if (!alterados[i])
                continue;
            atribuicoes << ligacao_->citar(campos[i].name) + QStringLiteral(" = ?");
            parametros << valores[i];
        }
        for (int i = 0; i < campos.size(); ++i) {
            const bool eChave = chave_.isEmpty()
                                    ? campos[i].type != FieldType::Binary
                                    : chave_.contains(campos[i].name, Qt::CaseInsensitive);
            if (!eChave)
                continue;
            if (originais[i].isNull()) {
                condicoes << ligacao_->citar(campos[i].name) + QStringLiteral(" IS NULL");
            } else {
                condicoes << ligacao_->citar(campos[i].name) + QStringLiteral(" = ?");
                parametros << originais[i];
            }
        }
        if (condicoes.isEmpty())
            throw Falha(
                Falha::ErroDeBaseDeDados,
                QStringLiteral("A tabela %1 não tem chave para actualizar o registo").arg(tabela_));
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                .arg(tabela_, atribuicoes.join(QStringLiteral(", ")),
                                     condicoes.join(QStringLiteral(" AND ")));
        if (executar(sql, parametros) < 1)
            throw Falha(
                Falha::ErroDeBaseDeDados,
                QStringLiteral("O registo de %1 foi alterado ou apagado entretanto").arg(tabela_));
    }

  private:
    int executar(const QString& sql, const QVariantList& parametros) {
        if (ligacao_->geracao != geracao_ || !ligacao_->db().isOpen())
            throw Falha(Falha::ErroDeBaseDeDados,
                        QStringLiteral("A ligação à base de dados está fechada"));
        return ligacao_->executar(sql, parametros);
    }

    std::shared_ptr<clsBd::Ligacao> ligacao_;
    quint64 geracao_;
    QString tabela_;
    QStringList chave_;
};

}  // namespace

clsBd::clsBd() = default;

clsBd::~clsBd() {
    Desligar();
}

bool clsBd::Ligar(const QString& stringLigacao) {
    Desligar();
    ultimoErro_.clear();
    const QMap<QString, QString> partes = clsStringLigacao::Ler(stringLigacao);
    const QString servidor = partes.value(QStringLiteral("server")).trimmed();
    const QString base = partes.value(QStringLiteral("database")).trimmed();
    const QString utilizador = partes.value(QStringLiteral("user"));
    const QString password = partes.value(QStringLiteral("password"));

    auto ligacao = std::make_shared<Ligacao>();
    ligacao->nome = QStringLiteral("marelo-bd-%1").arg(contadorDeLigacoes.fetchAndAddRelaxed(1));
    ligacao->baseDeDados = base;

    const bool embutida = !servidor.isEmpty() && QFileInfo(servidor).isDir();
    {
        QSqlDatabase db;
        if (embutida) {
            const QString ficheiro = QDir(servidor).filePath(base + QStringLiteral(".db"));
            if (base.isEmpty() || !QFileInfo(ficheiro).isFile()) {
                ultimoErro_ = QStringLiteral("A base de dados %1 não existe").arg(ficheiro);
                return false;
            }
            ligacao->ficheiro = QFileInfo(ficheiro).absoluteFilePath();
            if (guardadas.reservas > 0) {
                auto livres = guardadas.livres.find(ligacao->ficheiro);
                while (livres != guardadas.livres.end() && !livres->isEmpty()) {
                    std::shared_ptr<Ligacao> guardada = livres->takeLast();
                    if (!guardada->db().isOpen()) {
                        fecharLigacao(guardada);
                        continue;
                    }
                    try {
                        guardada->confirmarEsquema();
                    } catch (const Falha&) {
                        fecharLigacao(guardada);
                        continue;
                    }
                    guardada->baseDeDados = base;
                    ligacao_ = std::move(guardada);
                    return true;
                }
            }
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ligacao->nome);
            db.setDatabaseName(ficheiro);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
            ligacao->dialecto = Dialecto::Sqlite;
        } else {
            QString odbc;
            if (servidor.contains(QLatin1Char('='))) {
                odbc = servidor;
                odbc.replace(QStringLiteral("{NomeSQL}"), base);
            } else {
                odbc = QStringLiteral(
                           "DRIVER={FreeTDS};SERVER=%1;DATABASE=%2;TDS_Version=7.4;"
                           "ClientCharset=UTF-8")
                           .arg(servidor, base);
            }
            if (!utilizador.isEmpty())
                odbc += QStringLiteral(";UID=%1;PWD={%2}").arg(utilizador, password);
            db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), ligacao->nome);
            db.setDatabaseName(odbc);
        }
        if (!db.open()) {
            ultimoErro_ = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(ligacao->nome);
            return false;
        }
        if (embutida) {
            // Committed data survives a crash of the process; WAL keeps readers and the
            // writer apart.
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
            const QVariant handle = db.driver()->handle();
            if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
                ligacao->sqlite = *static_cast<sqlite3* const*>(handle.constData());
        } else {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT sqlite_version()")))
                ligacao->dialecto = Dialecto::Sqlite;
        }
    }
    ligacao_ = std::move(ligacao);
    return true;
}

bool clsBd::Ligado() const {
    return ligacao_ && ligacao_->db().isOpen();
}

clsBd::Dialecto clsBd::dialecto() const {
    return ligacao_ ? ligacao_->dialecto : Dialecto::SqlServer;
}

QString clsBd::BaseDeDados() const {
    return ligacao_ ? ligacao_->baseDeDados : QString();
}

namespace {

[[noreturn]] void semLigacao() {
    throw Falha(Falha::ObjectoNaoDefinido, QStringLiteral("Não há ligação aberta à base de dados"));
}

}  // namespace

void clsBd::AbrirConsulta(const QString& sql, Recordset& rs, const QVariantList& parametros) {
    if (!Ligado())
        semLigacao();
    clsBd::Ligacao::Preparada& p = ligacao_->preparar(sql, parametros);
    if (!p.tabelas)
        p.tabelas = tabelasDaInstrucao(sql);
    const QStringList tabelas = *p.tabelas;
    // The defined size of a text column, from the first table that has one of its name.
    const auto tamanhoDefinido = [&](const QString& coluna) {
        for (const QString& t : tabelas) {
            const int n = ligacao_->tamanhosDaTabela(t).value(coluna.toLower(), 0);
            if (n > 0)
                return n;
        }
        return 0;
    };
    if (p.st) {
        bool linha = ligacao_->passo(p, sql);
        const int n = sqlite3_column_count(p.st);
        QVector<RecordsetField> campos;
        campos.reserve(n);
        for (int i = 0; i < n; ++i) {
            QString nome(static_cast<const QChar*>(sqlite3_column_name16(p.st, i)));
            nome.remove(QLatin1Char('"'));
            const int tipo = tipoDaColuna(p.st, i, linha);
            RecordsetField campo{nome, tipoDoCampo(tipo), 0, QMetaType(tipo)};
            if (const int tamanho = tamanhoDefinido(nome); tamanho > 0) {
                campo.definedSize = tamanho;
                campo.type = FieldType::Text;
            }
            campos.append(campo);
        }
        rs.reset(campos);
        for (; linha; linha = ligacao_->passo(p, sql)) {
            QVector<QVariant> valores(n);
            for (int i = 0; i < n; ++i)
                valores[i] = valorDaColuna(p.st, i);
            rs.appendRow(std::move(valores));
        }
        sqlite3_reset(p.st);
        rs.moveFirst();
        return;
    }
    QSqlQuery& q = p.q;
    const QSqlRecord registo = q.record();
    QVector<RecordsetField> campos;
    campos.reserve(registo.count());
    for (int i = 0; i < registo.count(); ++i) {
        const QSqlField f = registo.field(i);
        RecordsetField campo{f.name(), tipoDoCampo(f.metaType().id()), 0, f.metaType()};
        if (ligacao_->dialecto == Dialecto::Sqlite) {
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
    while (q.next()) {
        QVector<QVariant> valores(n);
        for (int i = 0; i < n; ++i) {
            const QVariant v = q.value(i);
            if (!v.isNull())
                valores[i] = v;
        }
        rs.appendRow(std::move(valores));
    }
    q.finish();
    rs.moveFirst();
}

void clsBd::AbrirEdicao(const QString& sql, Recordset& rs, const QVariantList& parametros) {
    AbrirConsulta(sql, rs, parametros);
    const clsBd::Ligacao::Preparada* preparada = ligacao_->ultima;
    const QStringList tabelas =
        preparada && preparada->tabelas ? *preparada->tabelas : tabelasDaInstrucao(sql);
    if (tabelas.isEmpty())
        return;
    const QString tabela = tabelas.first();
    const QStringList chave = ligacao_->chaveDaTabela(tabela);
    rs.setWriter(std::make_shared<EscritorDeTabela>(ligacao_, tabela, chave));
}

int clsBd::Executar(const QString& sql, const QVariantList& parametros) {
    if (!Ligado())
        semLigacao();
    return ligacao_->executar(sql, parametros);
}

void clsBd::IniciarTransaccao() {
    if (!Ligado())
        semLigacao();
    // The embedded database keeps its BEGIN and COMMIT prepared like any other statement.
    if (!ligacao_->ficheiro.isEmpty()) {
        ligacao_->executar(QStringLiteral("BEGIN"), {});
        ligacao_->emTransaccao = true;
        return;
    }
    QSqlDatabase db = ligacao_->db();
    if (!db.transaction())
        ligacao_->falhar(db.lastError(), QStringLiteral("BEGIN TRANSACTION"));
    ligacao_->emTransaccao = true;
}

void clsBd::ConfirmarTransaccao() {
    if (!Ligado())
        semLigacao();
    if (!ligacao_->ficheiro.isEmpty()) {
        ligacao_->executar(QStringLiteral("COMMIT"), {});
        ligacao_->emTransaccao = false;
        return;
    }
    QSqlDatabase db = ligacao_->db();
    if (!db.commit())
        ligacao_->falhar(db.lastError(), QStringLiteral("COMMIT"));
    ligacao_->emTransaccao = false;
}

void clsBd::AnularTransaccao() {
    if (!Ligado())
        semLigacao();
    QSqlDatabase db = ligacao_->db();
    ligacao_->emTransaccao = false;
    if (!db.rollback())
        ligacao_->falhar(db.lastError(), QStringLiteral("ROLLBACK"));
}

bool clsBd::EmTransaccao() const {
    return ligacao_ && ligacao_->emTransaccao;
}

void clsBd::Desligar() {
    if (!ligacao_)
        return;
    std::shared_ptr<Ligacao> ligacao = std::move(ligacao_);
    if (guardadas.reservas > 0 && !ligacao->ficheiro.isEmpty() && ligacao->db().isOpen()) {
        QList<std::shared_ptr<Ligacao>>& livres = guardadas.livres[ligacao->ficheiro];
        if (livres.size() < LigacoesGuardadas::kPorFicheiro) {
            ligacao->terminarInstrucoes();
            bool limpa = true;
            if (ligacao->emTransaccao) {
                ligacao->emTransaccao = false;
                limpa = ligacao->db().rollback();
            }
            if (limpa) {
                ++ligacao->geracao;
                livres.append(std::move(ligacao));
                return;
            }
        }
    }
    fecharLigacao(ligacao);
}

clsBd::Reserva::Reserva() {
    ++guardadas.reservas;
}

clsBd::Reserva::~Reserva() {
    if (--guardadas.reservas > 0)
        return;
    const auto livres = std::exchange(guardadas.livres, {});
    for (const auto& lista : livres)
        for (const std::shared_ptr<clsBd::Ligacao>& ligacao : lista)
            fecharLigacao(ligacao);
}
