#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <memory>

#include "accounting/clsNext.h"
#include "base/Relogio.h"
#include "contacts/Sobreposicao.h"
#include "run/RegistoDeAvisos.h"
#include "support/ServicosDaExecucao.h"

class JanelaDeProgresso;
class LigacoesGuardadas;
class Parametros;
class cl_log;
class clsBd;

// What one run owns for its lifetime and lends its steps: the window it shows its lines in, the
// run log, the clock, the settings it read, the company databases it opened, the accounting
// connections, the results of its files, its other errors and its figures. A trial run's
// databases refuse every write, and what the run would have changed is kept in its overlay.
class ContextoDaExecucao : public ServicosDaExecucao, public BasesDasEmpresas {
  public:
    ContextoDaExecucao(JanelaDeProgresso& janela, const Parametros& parametros, cl_log& log,
                       const EscolhaDaContabilidade& contabilidade, const Relogio& relogio,
                       bool simulacao = false);
    ~ContextoDaExecucao() override;
    ContextoDaExecucao(const ContextoDaExecucao&) = delete;
    ContextoDaExecucao& operator=(const ContextoDaExecucao&) = delete;

    void AddLista(const QString& texto) override;
    void Escrever(const QString& texto) override;
    void Resultado(const QString& passo, const ResultadoDoFicheiro& resultado) override;
    void AddErro(const QString& texto) override;
    void MostrarMensagem(const QString& texto) override;
    void Pump() override;
    ResumoDaExecucao& Resumo() override { return resumo_; }
    bool Simulacao() const override { return simulacao_; }
    const Relogio& RelogioDaExecucao() const override { return relogio_; }

    clsBd& BaseDaEmpresa(const QString& empresa) override;

    FabricaDeContabilidade& Contabilidade() { return *contabilidade_; }
    Sobreposicao& Sobreposta() { return sobreposicao_; }
    int Erros() const { return int(erros_.size()); }
    // Every error of the run, as the log has it.
    const QStringList& TextosDosErros() const { return erros_; }
    // The run's failures, as the notices and the status check keep them: every file left where
    // it was, and every error that is not a file's.
    QList<FalhaConhecida> Falhas() const;

  private:
    JanelaDeProgresso& janela_;
    const Parametros& parametros_;
    cl_log& log_;
    const Relogio& relogio_;
    // The embedded databases' connections, one per file, shared by the company data and the
    // accounting; first, so that they close last.
    std::shared_ptr<LigacoesGuardadas> ligacoes_;
    QHash<QString, std::shared_ptr<clsBd>> bases_;  // by company code
    std::unique_ptr<FabricaDeContabilidade> contabilidade_;
    const bool simulacao_;
    Sobreposicao sobreposicao_;
    ResumoDaExecucao resumo_;
    QStringList erros_;
    QStringList errosDaExecucao_;   // those that are not a file's
    QList<FalhaConhecida> falhas_;  // the files left where they were
};
