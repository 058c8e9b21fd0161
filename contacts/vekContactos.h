#pragma once

#include <QString>

#include "platform/bd/Recordset.h"
#include "platform/bd/clsBd.h"

class ServicosDaExecucao;
class Sobreposicao;

// One CRM contact of a company, and the store that writes it to the company's CRM tables
// (vek_contactos and the web equivalence table), on the company's database it is given.
class vekContactos {
  public:
    // servicos: the run's window, let breathe while a free code is searched; may be none.
    explicit vekContactos(clsBd& bd, ServicosDaExecucao* servicos = nullptr);

    QString Codigo;
    QString Nome;
    QString Contacto;
    QString Localidade;
    QString CodigoPostal;
    QString Telefone;
    QString Fax;
    QString Telemovel;
    QString Contribuinte;
    QString Cae;
    QString TelefoneGeral;
    QString TelefoneComercial;
    QString TelefoneFinanceiro;
    QString email;
    QString Sitio;
    QString Zona;
    QString Pais;
    QString ContactoGeral;
    QString ContactoFinanceiro;
    QString ContactoComercial;
    QString Observacoes;
    QString Observacoes2;
    QString Vendedor;
    QString GestorDeConta;
    qint32 IdNet = 0;
    qint32 Numero = 0;
    QString Morada;
    QString CodigoEmpresa;

    // The contacts whose row version (as a 64-bit whole number: the counter of a busy database
    // passes 2^31 in its four low bytes) lies above UltimaSincronizacao, in row-version order,
    // with their web identifier and classification. Raises Falha when they cannot be listed.
    Recordset rsListaContactosAlteradosDesde(qint64 UltimaSincronizacao);

    // Adds the web contact IdNet with the content properties as a new CRM contact with the
    // next free number and code, and records its web identifier; both rows or neither.
    // True when added. False when the web contact is already known (Codigo and Numero then
    // hold the known contact's). A failure (the lookup's too: taken as "not known", it would add
    // the contact a second time) is raised as Falha, with nothing written.
    bool Contacto_add();

    // Drops the web identifiers of contact numbers no contact holds now (a contact deleted in
    // the CRM, or made a customer by an earlier version, left its own behind): a contact given
    // the number later must not be sent under them. Raises Falha.
    void EsquecerIdentidadesSemContacto();

    // True when the web contact IdNet is already a CRM contact (Codigo and Numero then hold
    // it). Raises Falha when it cannot be looked up.
    bool LerEquivalencia();

    // The number and code Contacto_add would give a new contact of the company, after those a
    // trial run has already given (sobreposta). Writes nothing; raises Falha.
    void ProximoCodigo(const Sobreposicao& sobreposta);

  private:
    void ProximoCodigo();

    clsBd& bd_;
    ServicosDaExecucao* servicos_;
};

// The first n characters of texto (all of it when n is 0, a size not known); a surrogate pair
// is never split.
QString cortarAoTamanho(const QString& texto, int n);
