#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "platform/LigacoesGuardadas.h"
#include "platform/clsNext.h"

class RegistoDaContabilidade;
struct EmpresaEmbutida;

// A small accounting system of its own, kept in the company's embedded database, for where the
// accounting product is not installed (tests, demonstration, other platforms). It checks and
// numbers documents as the product would: a document is refused when its type is not in TpDoc,
// its party is not a customer in CLIENTES, its series is not positive, it has no lines, or a line
// names an unknown article; otherwise it gets the next number of its type, series and year and
// is stored with all its lines in one transaction. One log file per day in the log path.
class ContabilidadeEmbutida : public clsNext {
  public:
    // registo: the accounting's log, shared by the connections of a run; a log of its own when
    // none is given. guardadas: where the company's database is taken from and given back.
    explicit ContabilidadeEmbutida(std::shared_ptr<RegistoDaContabilidade> registo = {},
                                   LigacoesGuardadas* guardadas = nullptr);
    ~ContabilidadeEmbutida() override;

    // The connections of one run: the run opens a company for every order, so they share one
    // log, kept open, and the company databases stay open, idle, between orders.
    class Fabrica : public FabricaDeContabilidade {
      public:
        Fabrica();
        ~Fabrica() override;
        std::unique_ptr<clsNext> NovoClsNext() override;

      private:
        LigacoesGuardadas guardadas_;
        std::shared_ptr<RegistoDaContabilidade> registo_;
    };

    void Opcao(qint32 valor) override;
    // Opens <percurso>/<empresa>.db, creating the accounting tables when missing. False when
    // the folder or the database does not exist, or the user and password are not a user of
    // ct_Utilizadores.
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
    std::shared_ptr<EmpresaEmbutida> empresa_;
    LigacoesGuardadas* guardadas_;
    qint32 opcao_ = 0;
    qint32 modo_ = 0;
};
