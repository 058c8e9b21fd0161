#include "platform/bd/MotorSqlite.h"

#include <sqlite3.h>
#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTime>
#include <QVector>
#include <utility>

#include "base/Falha.h"
#include "platform/bd/MotorQtSql.h"
#include "platform/bd/Recordset.h"

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
    // Bound as UTF-8, the databases' own encoding: SQLite need not translate it.
    const auto texto = [&](const QString& t) {
        const QByteArray utf8 = t.toUtf8();
        return sqlite3_bind_text(st, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
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
    if (const char* declarado = sqlite3_column_decltype(st, i); declarado && *declarado) {
        const auto e = [declarado](const char* nome) { return qstricmp(declarado, nome) == 0; };
        if (e("integer") || e("int"))
            return QMetaType::Int;
        if (e("double") || e("float") || e("real") || qstrnicmp(declarado, "numeric", 7) == 0)
            return QMetaType::Double;
        if (e("blob"))
            return QMetaType::QByteArray;
        if (e("boolean") || e("bool"))
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
        default: {
            const auto* texto = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            return QVariant(QString::fromUtf8(texto, sqlite3_column_bytes(st, i)));
        }
    }
}

class InstrucaoSqlite final : public Instrucao {
  public:
    InstrucaoSqlite(const MotorSqlite& motor, sqlite3_stmt* st) : motor_(motor), st_(st) {}
    ~InstrucaoSqlite() override { sqlite3_finalize(st_); }
    InstrucaoSqlite(const InstrucaoSqlite&) = delete;
    InstrucaoSqlite& operator=(const InstrucaoSqlite&) = delete;

    void correr(const QVariantList& valores, const QString& sql) override {
        // Every parameter is bound again below, so no earlier value is left to clear.
        sqlite3_reset(st_);
        if (sqlite3_bind_parameter_count(st_) != valores.size())
            throw Falha(Falha::ErroDeBaseDeDados,
                        QStringLiteral("Parameter count mismatch [%1] na instrução: %2")
                            .arg(motor_.baseDeDados(), sql));
        for (int i = 0; i < valores.size(); ++i)
            if (ligarValor(st_, i + 1, valores.at(i)) != SQLITE_OK)
                motor_.falharSqlite("Unable to bind parameters", sql);
        // the reader steps it
    }

    void lerLinhas(Recordset& rs, const TamanhoDefinido& tamanhoDefinido,
                   const QString& sql) override {
        bool linha = passo(sql);
        const int n = sqlite3_column_count(st_);
        QVector<RecordsetField> campos;
        campos.reserve(n);
        for (int i = 0; i < n; ++i) {
            QString nome = QString::fromUtf8(sqlite3_column_name(st_, i));
            nome.remove(QLatin1Char('"'));
            const int tipo = tipoDaColuna(st_, i, linha);
            RecordsetField campo{nome, tipoDoCampo(tipo), 0, QMetaType(tipo)};
            if (const int tamanho = tamanhoDefinido(nome); tamanho > 0) {
                campo.definedSize = tamanho;
                campo.type = FieldType::Text;
            }
            campos.append(campo);
        }
        rs.reset(campos);
        for (; linha; linha = passo(sql)) {
            QVector<QVariant> valores(n);
            for (int i = 0; i < n; ++i)
                valores[i] = valorDaColuna(st_, i);
            rs.appendRow(std::move(valores));
        }
        sqlite3_reset(st_);
        rs.moveFirst();
    }

    int linhasAlteradas(const QString& sql) override {
        passo(sql);
        const int n = sqlite3_changes(motor_.sqlite());
        sqlite3_reset(st_);
        return n;
    }

    qint64 primeiroInteiro(const QString& sql) override {
        qint64 valor = -1;
        if (passo(sql))
            valor = sqlite3_column_int64(st_, 0);
        sqlite3_reset(st_);
        return valor;
    }

    void terminar() override { sqlite3_reset(st_); }

  private:
    // One step of the statement: true on a row.
    bool passo(const QString& sql) {
        const int r = sqlite3_step(st_);
        if (r == SQLITE_ROW)
            return true;
        if (r == SQLITE_DONE)
            return false;
        sqlite3_reset(st_);
        motor_.falharSqlite("Unable to fetch row", sql);
    }

    const MotorSqlite& motor_;
    sqlite3_stmt* st_;
};

}  // namespace

std::unique_ptr<MotorBd> MotorSqlite::abrir(const QString& ficheiro, const QString& baseDeDados,
                                            QString& erro, bool soLeitura) {
    const QString nome = abrirNoQt(QStringLiteral("QSQLITE"), ficheiro,
                                   QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"), erro);
    if (nome.isEmpty())
        return nullptr;
    const QSqlDatabase db = QSqlDatabase::database(nome, false);
    {
        // Committed data survives a crash of the process; WAL keeps readers and the writer
        // apart.
        QSqlQuery q(db);
        if (soLeitura) {
            // The file is left as it is, its journal mode included; any write is refused.
            q.exec(QStringLiteral("PRAGMA query_only=ON"));
        } else {
            q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        }
    }
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return std::make_unique<MotorSqlite>(nome, baseDeDados,
                                             *static_cast<sqlite3* const*>(handle.constData()));
    // A driver that does not hand out its sqlite3 connection runs the statements itself.
    return std::make_unique<MotorQtSql>(nome, baseDeDados, DialectoSql::Sqlite);
}

MotorSqlite::MotorSqlite(QString nome, QString baseDeDados, sqlite3* sqlite)
    : MotorBd(std::move(nome), std::move(baseDeDados), DialectoSql::Sqlite), sqlite_(sqlite) {}

MotorSqlite::~MotorSqlite() = default;

std::unique_ptr<Instrucao> MotorSqlite::preparar(const QString& sql, const QString& sqlOriginal) {
    const QString adaptada = adaptarSqlParaSqlite(sql);
    sqlite3_stmt* st = nullptr;
    // A text with no statement in it prepares to nothing, which cannot run either.
    if (sqlite3_prepare16_v3(sqlite_, adaptada.utf16(), int(adaptada.size() * sizeof(QChar)),
                             SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK ||
        !st)
        falharSqlite("Unable to execute statement", sqlOriginal);
    return std::make_unique<InstrucaoSqlite>(*this, st);
}

void MotorSqlite::correrTransaccao(std::unique_ptr<Instrucao>& instrucao, const QString& sql) {
    if (!instrucao)
        instrucao = preparar(sql, sql);
    instrucao->correr({}, sql);
    instrucao->linhasAlteradas(sql);
}

void MotorSqlite::iniciarTransaccao() {
    correrTransaccao(inicio_, QStringLiteral("BEGIN"));
}

void MotorSqlite::confirmarTransaccao() {
    correrTransaccao(confirmacao_, QStringLiteral("COMMIT"));
}

void MotorSqlite::fechar(bool emTransaccao) {
    inicio_.reset();
    confirmacao_.reset();
    sqlite_ = nullptr;
    MotorBd::fechar(emTransaccao);
}

void MotorSqlite::falharSqlite(const char* oQue, const QString& sql) const {
    QString texto = QString::fromUtf8(sqlite3_errmsg(sqlite_));
    if (!texto.isEmpty())
        texto += QLatin1Char(' ');
    throw Falha(Falha::ErroDeBaseDeDados,
                QStringLiteral("%1 [%2] na instrução: %3")
                    .arg(texto + QLatin1String(oQue), baseDeDados(), sql));
}
