#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <map>
#include <memory>
#include <ostream>

#include "accounting/embutida/ContabilidadeEmbutida.h"
#include "base/Relogio.h"
#include "platform/bd/clsBd.h"
#include "settings/Parametros.h"
#include "support/JanelaDeProgresso.h"

using namespace Qt::Literals::StringLiterals;

// Readable test failures for Qt strings.
inline void PrintTo(const QString& texto, std::ostream* os) {
    *os << '"' << texto.toStdString() << '"';
}
inline void PrintTo(const QList<QStringList>& linhas, std::ostream* os) {
    for (const QStringList& l : linhas)
        *os << "\n  " << l.join(QLatin1Char('|')).toStdString();
}

QByteArray lerFicheiro(const QString& caminho);

// Keeps what a run shows, as the list and the message boxes would hold it.
class JanelaDeTeste : public JanelaDeProgresso {
  public:
    QStringList lista;
    QStringList mensagens;
    int limpezas = 0;

    void limparLista() override {
        lista.clear();
        ++limpezas;
    }
    void mostrarLinha(const QString& texto) override { lista << texto; }
    void mostrarMensagem(const QString& texto) override { mensagens << texto; }
    bool mensagensVisiveis() const override { return false; }
    void processarEventos() override {}
};

// A clock the test sets: the computer's until it does.
class RelogioDeTeste : public Relogio {
  public:
    QDateTime hora;
    QDateTime agora() const override {
        return hora.isValid() ? hora : QDateTime::currentDateTime();
    }
};

// A temporary folder, removed after the test.
class Espaco {
  public:
    QString caminho(const QString& relativo = {}) const;
    // Creates the folder (and its parents) and gives its path.
    QString pasta(const QString& relativo) const;
    QString escrever(const QString& relativo, const QByteArray& conteudo) const;
    QByteArray ler(const QString& relativo) const { return lerFicheiro(caminho(relativo)); }
    bool existe(const QString& relativo) const;

  private:
    QTemporaryDir dir_;
};

// The connection string of the embedded database <pasta>/<nome>.db.
QString stringLigacaoEmbutida(const QString& pasta, const QString& nome);

// Creates the embedded database <pasta>/<nome>.db and runs the scripts on it: file names under
// db/, or SQL text.
void criarBaseDeDados(const QString& pasta, const QString& nome, const QStringList& scripts);

// The first column of the query's rows, as text.
QStringList valores(clsBd& bd, const QString& sql, const QVariantList& p = {});

// How the program reaches the company databases: the embedded SQLite driver, or ODBC with the
// SQLite ODBC driver (the path a SQL Server database takes).
enum class Via { Embutida, Odbc };
std::string nomeDaVia(const testing::TestParamInfo<Via>& info);

using Linhas = QList<QStringList>;

// A workspace of the two companies QF and SR as scripts/demo makes it: their databases made from
// the db/ scripts (with the demonstration data, or the bare tables), the folders of a run (ce/cs
// contacts in and out, ee/es orders in and out, log, bd, nlog) and the settings file
// Quintaflor.vek, written by the program's own settings writing.
class Empresas : public Espaco {
  public:
    explicit Empresas(bool demonstracao = true, Via via = Via::Embutida);

    QString ini;
    Parametros parametros;  // as last written or read

    // Changes one setting of the file and reads the settings again.
    void definir(const char* seccao, const char* chave, const QString& valor);
    // The company's database through the chosen path, as a run opens it; kept for the test.
    clsBd& base(const QString& empresa = u"QF"_s);
    // Direct reads and writes beside the code under test; values as text.
    Linhas consultar(const QString& empresa, const QString& sql, const QVariantList& p = {}) const;
    QString valor(const QString& empresa, const QString& sql, const QVariantList& p = {}) const;
    // The rows, each as its values joined by "|".
    QStringList linhas(const QString& empresa, const QString& sql,
                       const QVariantList& p = {}) const;
    void sql(const QString& empresa, const QString& texto, const QVariantList& p = {}) const;
    QStringList ficheiros(const QString& pasta) const;
    qint64 marca(const QString& empresa) const;  // the watermark in the file now
    QString registo() const;                     // the day's run log

    // One synchronization run shown in janela; true when it reported no error.
    bool executar();
    // A trial run, the same; true when it foretells no error.
    bool simular();
    JanelaDeTeste janela;
    RelogioDeTeste relogio;
    ContabilidadeEmbutida::Escolha contabilidade;
    QString lista() const { return janela.lista.join(QLatin1Char('\n')); }

  private:
    std::map<QString, std::unique_ptr<clsBd>> bases_;
};

// Web files as the shop writes them.
QByteArray contactoWeb(const QByteArray& idnet, const QByteArray& nome,
                       const QByteArray& empresa = "QF", const QByteArray& resto = {});
// An order of a customer (FLAGPROSPECT 0: `resto` may say otherwise, the last element counts).
QByteArray encomendaWeb(const QByteArray& id, const QByteArray& cliente, const QByteArray& linhas,
                        const QByteArray& resto = {}, const QByteArray& data = "2026-12-05",
                        const QByteArray& empresa = "QF");
QByteArray linhaWeb(const QByteArray& artigo, const QByteArray& qtd, const QByteArray& preco);
