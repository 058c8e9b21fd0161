#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/Recordset.h"
#include "platform/clsBd.h"

// One CRM contact of a company, and the store that writes it to the company's CRM tables
// (vek_contactos and the web equivalence table). Each operation opens its own connection to
// the database named by the settings file percursoIni, section CodigoEmpresa, and closes it
// before it returns.
class vekContactos {
  public:
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
    QString percursoIni;

    // What the last Contacto_add did. It returns false both for a web contact the CRM
    // already knows and for a failure; only a failed contact must be tried again.
    enum class Resultado { Novo, JaConhecido, Falhou };
    Resultado UltimoResultado = Resultado::Falhou;
    // Why the last operation failed; empty when it did not.
    QString UltimoErro;

    // Lets waiting window messages through while a free code is searched; may stay unset.
    std::function<void()> ProcessarEventos;

    // The contacts whose row version (as a 64-bit whole number: the counter of a busy database
    // passes 2^31 in its four low bytes) lies above UltimaSincronizacao, in row-version order,
    // with their web identifier and classification. None on failure.
    std::unique_ptr<Recordset> rsListaContactosAlteradosDesde(qint64 UltimaSincronizacao);

    // Adds the web contact IdNet with the content properties as a new CRM contact with the
    // next free number and code, and records its web identifier; both rows or neither.
    // True when added. False when the web contact is already known (Codigo and Numero then
    // hold the known contact's) or when anything failed (see UltimoResultado, UltimoErro).
    // A failure to open the database is raised (Falha).
    bool Contacto_add();

  private:
    void AbrirLigacao();
    void FecharLigacao();
    bool LerEquivalencia();
    void ProximoCodigo();

    std::unique_ptr<clsBd> bd_;
};

// The first n characters of texto (all of it when n is 0, a size not known); a surrogate pair
// is never split.
QString cortarAoTamanho(const QString& texto, int n);
