#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

#include "platform/bd/Recordset.h"
#include "platform/bd/clsBd.h"

class ServicosDaExecucao;
class Sobreposicao;

// Turns a CRM contact (a web prospect) into a customer of the accounting system: a new CLIENTES
// row made from the template customer (NUMERO -1) and the contact, the contact's links moved to
// the customer, the contact deleted; all of it or nothing.
class ContactoCliente {
  public:
    // servicos: the run's message box, window and clock; without, messages go to standard
    // error and dates come from the computer's clock.
    explicit ContactoCliente(ServicosDaExecucao* servicos = nullptr) : servicos_(servicos) {}

    // The web order for which the contact is converted: the conversion is then recorded for
    // that order (vek_ConversoesDeEncomendas) in its own transaction.
    std::optional<qint32> Idencomenda;
    // The values of the last conversion cut to fit their customer column, one line each for the
    // run log.
    QStringList Avisos;

    // Converts the contact CodigoContacto on bd, the company's database, in one transaction.
    // Gives the new customer's CODIGO, with the contact's Id_Unico in Id_Guid; an empty text
    // when the contact does not exist (Id_Guid unchanged) or there is no template customer. Any
    // other failure is undone and raised (Falha).
    QString ConverteContactoEmCliente(const QString& Empresa, const QString& CodigoContacto,
                                      QString& Id_Guid, clsBd& bd);

    // True when the company has the template customer (NUMERO -1). Raises Falha.
    static bool TemModelo(clsBd& bd);
    // The template customer's code. Raises Falha.
    static QString CodigoDoModelo(clsBd& bd);
    // The number and code the next conversion would give the company's new customer, after
    // those a trial run has already given (sobreposta). Writes nothing; raises Falha.
    static void ProximoCliente(clsBd& bd, const QString& empresa, const Sobreposicao& sobreposta,
                               qint32& numero, QString& codigo);

  private:
    std::unique_ptr<Recordset> LerRegistoConverter(const QString& CodigoContacto, clsBd& bd);
    void ProximoNumeroCliente(clsBd& bd, qint32& numero, QString& codigo);
    static QString TextoDoCampo(const QVariant& valor);

    QString converter(const QString& Empresa, const QString& CodigoContacto, QString& Id_Guid,
                      clsBd& bd, QStringList& avisos);

    ServicosDaExecucao* servicos_;
};
