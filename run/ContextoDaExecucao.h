#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

#include "accounting/embutida/ContabilidadeEmbutida.h"
#include "support/ServicosDaExecucao.h"

class JanelaDeProgresso;
class LigacoesGuardadas;
class Parametros;
class cl_log;
class clsBd;

// What one run owns for its lifetime and lends its steps: the window it shows its lines in, the
// run log, the settings it read, the company databases it opened, the accounting connections,
// its errors and its figures. A trial run's databases refuse every write.
class ContextoDaExecucao : public ServicosDaExecucao, public BasesDasEmpresas {
  public:
    ContextoDaExecucao(JanelaDeProgresso& janela, const Parametros& parametros, cl_log& log,
                       bool simulacao = false);
    ~ContextoDaExecucao() override;
    ContextoDaExecucao(const ContextoDaExecucao&) = delete;
    ContextoDaExecucao& operator=(const ContextoDaExecucao&) = delete;

    void AddLista(const QString& texto) override;
    void Escrever(const QString& texto) override;
    void AddErro(const QString& texto) override;
    void ErroNoRegisto(const QString& texto) override;
    void MostrarMensagem(const QString& texto) override;
    void MostrarErro(const QString& texto) override;
    void Pump() override;
    ResumoDaExecucao& Resumo() override { return resumo_; }
    bool Simulacao() const override { return simulacao_; }

    clsBd& BaseDaEmpresa(const QString& empresa) override;

    FabricaDeContabilidade& Contabilidade() { return contabilidade_; }
    int Erros() const { return int(erros_.size()); }
    // Every error of the run, as the log has it.
    const QStringList& TextosDosErros() const { return erros_; }

  private:
    JanelaDeProgresso& janela_;
    const Parametros& parametros_;
    cl_log& log_;
    // The embedded databases' connections, one per file, shared by the company data and the
    // accounting; first, so that they close last.
    std::shared_ptr<LigacoesGuardadas> ligacoes_;
    QHash<QString, std::shared_ptr<clsBd>> bases_;  // by company code
    ContabilidadeEmbutida::Fabrica contabilidade_;
    const bool simulacao_;
    ResumoDaExecucao resumo_;
    QStringList erros_;
};
