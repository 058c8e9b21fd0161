// Contacto_add of many web contacts into a fresh company database, in contacts per second.
//   contactos_bench [contacts] [folder]
// The embedded database as the program opens it (WAL, synchronous=NORMAL) is set against the
// same database reached through the SQLite ODBC driver with other journal settings, so that the
// cost of each setting shows beside the cost of the path.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

#include "base/Falha.h"
#include "contacts/vekContactos.h"
#include "platform/bd/ScriptSql.h"
#include "platform/bd/clsBd.h"
#include "platform/bd/clsStringLigacao.h"

namespace {

QString esquema() {
    const QString caminho = QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                            QStringLiteral("/../db/company-sqlite.sql");
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        throw Falha(Falha::FicheiroNaoEncontrado, caminho);
    return QString::fromUtf8(f.readAll());
}

QString stringLigacao(const QString& servidor, const QString& nome) {
    clsStringLigacao s;
    s.Provider = QStringLiteral("MSDataShape");
    s.Opcao = 1;
    s.Servidor = servidor;
    s.BaseDeDados = nome;
    return s.StringLigacao();
}

void criar(const QString& pasta, const QString& nome) {
    QFile ficheiro(QDir(pasta).filePath(nome + QStringLiteral(".db")));
    ficheiro.open(QIODevice::WriteOnly | QIODevice::Truncate);
    ficheiro.close();
    clsBd bd;
    if (!bd.Ligar(stringLigacao(pasta, nome)))
        throw Falha(Falha::ErroDeBaseDeDados, bd.UltimoErro());
    executarScriptSql(bd, esquema());
}

QString pragma(clsBd& bd, const char* nome) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("PRAGMA ") + QLatin1String(nome), rs);
    const QString v = rs.eof() ? QString() : rs.value(0).toString();
    if (QLatin1String(nome) == QLatin1String("synchronous"))
        return QStringList{QStringLiteral("OFF"), QStringLiteral("NORMAL"), QStringLiteral("FULL"),
                           QStringLiteral("EXTRA")}
            .value(v.toInt(), v);
    return v.toUpper();
}

struct Variante {
    const char* nome;
    const char* odbc;  // attributes of the ODBC string; null for the embedded driver
};

void medir(const QString& pasta, const Variante& v, int n) {
    const QString nome = QStringLiteral("BENCH");
    criar(pasta, nome);
    const QString servidor =
        v.odbc ? QStringLiteral("DRIVER={SQLite3};Database=%1/{NomeSQL}.db;NoCreat=1;%2")
                     .arg(pasta, QLatin1String(v.odbc))
               : pasta;
    clsBd aberta;
    if (!aberta.Ligar(stringLigacao(servidor, nome)))
        throw Falha(Falha::ErroDeBaseDeDados, aberta.UltimoErro());
    const QString journal = pragma(aberta, "journal_mode");
    const QString sincronizacao = pragma(aberta, "synchronous");

    QElapsedTimer relogio;
    relogio.start();
    int falhas = 0;
    for (int i = 0; i < n; ++i) {
        vekContactos c(aberta);  // the company's connection, kept by the run
        c.CodigoEmpresa = nome;
        c.IdNet = 100000 + i;
        c.Nome = QStringLiteral("Cliente web número %1, Lda.").arg(i);
        c.Contacto = QStringLiteral("Maria d'Oliveira");
        c.Morada = QStringLiteral("Rua da Liberdade, %1, 2.º Esq.").arg(i % 300);
        c.Localidade = QStringLiteral("Coimbra");
        c.CodigoPostal = QStringLiteral("3000-%1").arg(i % 1000, 3, 10, QLatin1Char('0'));
        c.Telefone = QStringLiteral("239%1").arg(i, 6, 10, QLatin1Char('0'));
        c.Contribuinte = QStringLiteral("5%1").arg(i, 8, 10, QLatin1Char('0'));
        c.email = QStringLiteral("cliente%1@example.pt").arg(i);
        c.Pais = QStringLiteral("PT");
        c.Vendedor = QStringLiteral("V01");
        try {
            if (!c.Contacto_add())
                ++falhas;
        } catch (const Falha&) {
            ++falhas;
        }
    }
    const double segundos = double(relogio.nsecsElapsed()) / 1e9;
    QString linha = QString::fromUtf8(v.nome).leftJustified(46) + journal.leftJustified(7) +
                    sincronizacao.leftJustified(7) +
                    QStringLiteral("%1 contactos %2 s %3 contactos/s")
                        .arg(n, 6)
                        .arg(segundos, 7, 'f', 2)
                        .arg(n / segundos, 7, 'f', 0);
    if (falhas)
        linha += QStringLiteral(" (%1 falharam)").arg(falhas);
    std::printf("%s\n", qPrintable(linha));
    std::fflush(stdout);
    aberta.Desligar();
    for (const QString& sufixo : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(QDir(pasta).filePath(nome + QStringLiteral(".db") + sufixo));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int n = args.size() > 1 ? args[1].toInt() : 10000;
    QTemporaryDir temporaria;
    const QString pasta = args.size() > 2 ? args[2] : temporaria.path();
    QDir().mkpath(pasta);
    std::printf("Contacto_add em %s\n", qPrintable(pasta));

    const Variante variantes[] = {
        {"embutida, como o programa a abre", nullptr},
        {"ODBC, predefinição do SQLite", "JournalMode=DELETE;SyncPragma=FULL"},
        {"ODBC, WAL", "JournalMode=WAL;SyncPragma=NORMAL"},
        {"ODBC, WAL", "JournalMode=WAL;SyncPragma=FULL"},
    };
    try {
        for (const Variante& v : variantes)
            medir(pasta, v, n);
    } catch (const Falha& f) {
        std::fprintf(stderr, "Erro %d (%s)\n", f.numero(), qPrintable(f.descricao()));
        return 1;
    }
    return 0;
}
