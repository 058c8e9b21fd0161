#pragma once

#include <QString>
#include <QStringList>

#include "contacts/xmlContacto.h"
#include "platform/bd/Recordset.h"

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
    // A changed contact as the listing gives it: its row version, the web identifiers its
    // number has, and its contact file.
    struct ContactoAlterado {
        qint64 numero = 0;
        qint64 versao = 0;
        QStringList identificadores;
        xmlContacto documento;
    };

    void exportarEmpresa(const QString& empresa);
    void lerContacto(ContactoAlterado& contacto, const Recordset& linha,
                     const QString& empresa) const;
    // Decides the contact's fate and carries it out: its file written (said, in a trial run), or
    // the reason it is not sent said. False when the watermark must stay before it.
    bool enviarContacto(ContactoAlterado& contacto, const QString& empresa);
    // What the conversions recorded tell of earlier contacts with the contact's code.
    QString historiaDoCodigo(const ContactoAlterado& contacto, const QString& empresa);
    qint64 LerUltimoContacto(const QString& Empresa) const;
    bool GravarUltimoContacto(const QString& Empresa, qint64 valor) const;

    const Parametros& parametros_;
    ServicosDaExecucao& servicos_;
    BasesDasEmpresas& bases_;
    QString pasta_;   // the outbox
    QString padrao_;  // the contact files' pattern
};
