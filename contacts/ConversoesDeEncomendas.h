#pragma once

#include <QString>
#include <optional>

class clsBd;

// A prospect turned into a customer for a web order, as vek_ConversoesDeEncomendas keeps it:
// by the order that caused it (its company and web order number), written in the conversion's
// own transaction. A contact's code is given again once the contact is gone, so a customer is
// never picked by the contact's code alone. A row without a customer records an order whose
// contact did not exist when the order was first met: a contact given that code later is not
// this order's.
struct ConversaoDeEncomenda {
    QString Empresa;
    qint32 Idencomenda = 0;
    QString CodigoContacto;
    QString CodigoCliente;  // empty: no customer was made, the contact was gone
    QString Id_Unico;
    QString Data;  // ISO date and time
};

// Creates the table in an embedded database made by an earlier version, which lacks it; a
// server database gets it from db/company-sqlserver.sql. Raises Falha.
void criarTabelaDeConversoes(clsBd& bd);

// True when the database has the table (a trial run does not create it). Raises Falha.
bool existeTabelaDeConversoes(clsBd& bd);

// Records a conversion (part of the conversion's transaction), or an order without a contact.
// Raises Falha.
void registarConversao(clsBd& bd, const ConversaoDeEncomenda& conversao);

// The conversion made for this web order of the company, if any. Raises Falha.
std::optional<ConversaoDeEncomenda> conversaoDaEncomenda(clsBd& bd, const QString& empresa,
                                                         qint32 idencomenda);

// For the office only, never to pick a customer: the latest conversion of a contact that had
// this code into a customer, made for any order of the company; and the customer an earlier version
// made of a contact with this code (vek_ContactosConvertidos, when the database still has it).
std::optional<ConversaoDeEncomenda> ultimaConversaoDoContacto(clsBd& bd, const QString& empresa,
                                                              const QString& codigoContacto);
std::optional<ConversaoDeEncomenda> conversaoAntigaDoContacto(clsBd& bd,
                                                              const QString& codigoContacto);

// True when the CRM has a contact with this code. Raises Falha.
bool contactoExiste(clsBd& bd, const QString& codigoContacto);
