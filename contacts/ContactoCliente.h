#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "platform/bd/Recordset.h"
#include "platform/bd/clsBd.h"

// Turns a CRM contact (a web prospect) into a customer of the accounting system: a new CLIENTES
// row made from the template customer (NUMERO -1) and the contact, the contact's links moved to
// the customer, the contact deleted; all of it or nothing.
class ContactoCliente {
  public:
    // The window's message box; when unset the text goes to standard error.
    std::function<void(const QString&)> MostrarMensagem;
    // Lets waiting window messages through while a free code is searched; may stay unset.
    std::function<void()> ProcessarEventos;
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

    // For a trial run, which converts nothing: a customer to check a prospect's document
    // against (a customer of the company, or the template when there is none), or empty when
    // there is no template customer (NUMERO -1) to convert from. Writes nothing; raises Falha.
    static QString ClienteParaSimulacao(clsBd& bd);

  private:
    std::unique_ptr<Recordset> LerRegistoConverter(const QString& CodigoContacto, clsBd& bd);
    void ProximoNumeroCliente(clsBd& bd, qint32& numero, QString& codigo);
    static QString TextoDoCampo(const QVariant& valor);

    QString converter(const QString& Empresa, const QString& CodigoContacto, QString& Id_Guid,
                      clsBd& bd, QStringList& avisos);
};
