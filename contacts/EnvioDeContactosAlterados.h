#pragma once

#include <QString>

class BasesDasEmpresas;
class Parametros;
class ServicosDaExecucao;

// The first step of a run: every CRM contact changed since the last run becomes a contact file
// in the contacts outbox, company by company ("SR", then "QF"), and each company's watermark
// ("UltimoEnviado") moves up to the last contact sent.
class EnvioDeContactosAlterados {
  public:
    EnvioDeContactosAlterados(const Parametros& parametros, ServicosDaExecucao& servicos,
                              BasesDasEmpresas& bases);

    // One company's failure is reported and leaves its watermark alone; the other company is
    // still exported.
    void EnviarAltareados();

  private:
    void exportarEmpresa(const QString& empresa);
    qint64 LerUltimoContacto(const QString& Empresa) const;
    bool GravarUltimoContacto(const QString& Empresa, qint64 valor) const;

    const Parametros& parametros_;
    ServicosDaExecucao& servicos_;
    BasesDasEmpresas& bases_;
};
