#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "accounting/clsNext.h"

class LigacoesGuardadas;
class clsBd;

struct EmpresaEmbutida;
struct SessaoEmbutida;

// A small accounting system of its own, kept in the company's embedded database, for where the
// accounting product is not installed (tests, demonstration, other platforms). It checks and
// numbers documents as the product would: a document is refused when its type is not in TpDoc,
// its party is not a customer in CLIENTES, its series is not positive, it has no lines, or a line
// names an unknown article; otherwise it gets the next number of its type, series and year and
// is stored with all its lines in one transaction. One log file per day in the log path.
class ContabilidadeEmbutida : public clsNext {
  public:
    // sessao: what the connections of a run share; a session of its own when none is given.
    explicit ContabilidadeEmbutida(std::shared_ptr<SessaoEmbutida> sessao = {});
    ~ContabilidadeEmbutida() override;

    // The connections of one run, all in one session; ligacoes: the run's embedded connections,
    // which the accounting shares where it lives in a company's database.
    class Fabrica : public FabricaDeContabilidade {
      public:
        explicit Fabrica(std::shared_ptr<LigacoesGuardadas> ligacoes = {},
                         const Relogio& relogio = Relogio::sistema());
        ~Fabrica() override;
        std::unique_ptr<clsNext> NovoClsNext() override;

      private:
        std::shared_ptr<SessaoEmbutida> sessao_;
    };

    // The built-in accounting for every run.
    class Escolha : public EscolhaDaContabilidade {
      public:
        std::unique_ptr<FabricaDeContabilidade> fabrica(std::shared_ptr<LigacoesGuardadas> ligacoes,
                                                        const Relogio& relogio) const override;
    };

    void Opcao(qint32 valor) override;
    // Opens <percurso>/<empresa>.db, creating the accounting tables when missing (a read-only
    // session, a trial run's, takes missing document tables as empty ones). False when the
    // folder or the database does not exist, or the user and password are not a user of
    // ct_Utilizadores. Raises Falha when its log cannot be written.
    bool AbrirEmpresa(const QString& percurso, const QString& percursoLog, const QString& empresa,
                      const QString& utilizador, const QString& password) override;
    void FecharEmpresa() override;
    std::unique_ptr<DocumentosGCLin> NovaLinha() override;
    void Modo(qint32 valor) override;
    std::unique_ptr<ObjectoApi> CriarObjecto(const QString& nomeDaClasse) override;

    bool EmpresaAberta() const;

    // Raises Falha when the company is not open.
    QVector<IdentidadeDocumento> DocumentosPorProcesso(const QString& processo) override;

    // The accounting tables (SQLite), each created only when missing.
    static QString Esquema();

  private:
    // The company's tables are there (made when missing, or taken as empty in a read-only
    // session) and the user and password are one of its users; raises Falha, with the reason
    // for the log, otherwise.
    void verificar(EmpresaEmbutida& empresa, const QString& utilizador, const QString& password);

    std::shared_ptr<SessaoEmbutida> sessao_;
    std::shared_ptr<EmpresaEmbutida> empresa_;
    qint32 opcao_ = 0;
    qint32 modo_ = 0;
};
