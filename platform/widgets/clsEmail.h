#pragma once

#include <QString>

// The mail library: it keeps its mail-server settings (server, port, security, user, password)
// in a section of the settings file of its own and edits them in a small dialog.
class clsEmail {
  public:
    void Ficheiro(const QString& caminho) { ficheiro_ = caminho; }
    const QString& Ficheiro() const { return ficheiro_; }

    // A modal dialog over the active window. True when the user confirmed and the settings
    // were written; a failed write keeps the dialog open and says why.
    bool Configurar();

  private:
    QString ficheiro_;
};
