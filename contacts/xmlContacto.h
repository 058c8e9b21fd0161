#pragma once

#include <QObject>
#include <QString>

// One contact as it travels between the CRM and the web side, and its contact file: root
// CLIENTES, one PRP with nineteen described elements. The properties are plain values.
class xmlContacto : public QObject {
    Q_OBJECT

  public:
    explicit xmlContacto(QObject* parent = nullptr) : QObject(parent) {}

    QString Ficheiro;  // the file Ler reads
    QString id;        // web identifier as read (IDNET)
    QString Nome;
    QString email;
    QString Nif;
    QString Responsavel;
    QString Morada;
    QString CodPostal;
    QString Localidade;
    QString Telefone;
    QString Fax;
    QString Comercial;
    QString Financeiro;
    QString SITE;
    QString Id_Unico;     // written, never read
    QString IdSite;       // web identifier as written (IDNET)
    QString idContactos;  // written, never read
    QString Tipo;         // written, never read
    QString Desconto;     // written, never read
    QString Vendedor;     // written, never read
    QString CodigoEmpresa;
    QString Telemovel;  // read, never written

    // Writes the contact file at the path given (not the property Ficheiro), replacing it
    // atomically: the old file stays whole if anything fails. Raises Falha on failure.
    void Create_XML(const QString& Ficheiro);

    // Reads Ficheiro. False, with the event Erro, when it cannot be read or parsed; then no
    // property changes. Otherwise every property it reads is cleared first, so nothing of an
    // earlier file survives, and the direct children of the first PRP are read.
    bool Ler();

  signals:
    void Erro(QString DescricaoDoErro, QString LocalDoErro);
};
