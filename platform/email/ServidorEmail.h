#pragma once

#include <QString>
#include <QStringList>

// The mail-server settings, kept in a section of the settings file of their own ("Servidor
// email"), apart from the settings that the settings dialog edits.
class ServidorEmail {
  public:
    static const QString Seccao;

    QString Servidor;
    QString Porta;
    QString Seguranca;
    QString Utilizador;
    QString Password;
    // A file of certificate authorities that the server's certificate is checked against,
    // for a site with its own; empty: the system's. Set in the file by hand, never written here.
    QString Certificados;

    // Absent keys read as empty. False when the file exists but cannot be read, with the reason
    // in porque.
    bool Ler(const QString& ficheiro, QString* porque = nullptr);
    // Stores the five values the mail-server editor shows, at once: all of them or none.
    bool Gravar(const QString& ficheiro) const;
};

// Why the settings file cannot be written, in words for the user; `valores` are the texts that
// were to be written.
QString motivoDeNaoGravar(const QString& ficheiro, const QStringList& valores = {});
