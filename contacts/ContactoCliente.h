#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "platform/Recordset.h"
#include "platform/clsBd.h"

// Turns a CRM contact (a web prospect) into a customer of the accounting system: a new CLIENTES
// row made from the template customer (NUMERO -1) and the contact, the contact's links moved to
// the customer, the contact deleted; all of it or nothing.
class ContactoCliente {
  public:
    // Full path of the settings file.
    QString fileini;

    // The window's message box; when unset the text goes to standard error.
    std::function<void(const QString&)> MostrarMensagem;
    // Lets waiting window messages through while a free code is searched; may stay unset.
    std::function<void()> ProcessarEventos;

    // Opens a new connection to the company's database into bd (releasing what bd held) and
    // converts the contact CodigoContacto. Gives the new customer's CODIGO, with the contact's
    // Id_Unico in Id_Guid; an empty text when the contact does not exist (Id_Guid unchanged) or
    // there is no template customer. Any other failure is undone and raised (Falha); bd then
    // holds the connection, or nothing when it could not be opened.
    QString ConverteContactoEmCliente(const QString& Empresa, const QString& CodigoContacto,
                                      QString& Id_Guid, std::unique_ptr<clsBd>& bd);

    // The customer made earlier from the contact CodigoContacto, with the contact's Id_Unico in
    // Id_Guid; an empty text when that contact was never converted. Uses bd when it is open on
    // the company's database, and opens it otherwise.
    QString ClienteJaConvertido(const QString& Empresa, const QString& CodigoContacto,
                                QString& Id_Guid, std::unique_ptr<clsBd>& bd);

  private:
    QString nomeDaBase(const QString& Empresa) const;
    void LigarBdEmpresa(const QString& Empresa, std::unique_ptr<clsBd>& bd);
    std::unique_ptr<Recordset> LerRegistoConverter(const QString& CodigoContacto, clsBd& bd);
    void ProximoNumeroCliente(clsBd& bd, qint32& numero, QString& codigo);
    static QString TextoDoCampo(const QVariant& valor);

    QString converter(const QString& CodigoContacto, QString& Id_Guid, clsBd& bd);
};
