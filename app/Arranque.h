#pragma once

#include <QString>

// Where the settings file is and whether the program runs unattended, from the command line.
struct Arranque {
    QString FicheiroIni;
    bool bAutomatico = false;
};

// linhaDeComando: the whole argument text after the program's name. The maker folder is
// pastaComum + "/norbix", or the program's folder when that folder does not exist.
// "/S" is matched exactly and case-sensitively. A relative settings-file name is taken from
// the program's folder, an absolute one as it stands.
Arranque Arrancar(const QString& linhaDeComando, const QString& pastaDoPrograma,
                  const QString& pastaComum);

// The command line as one text: the arguments joined by single blanks.
QString linhaDeComando(const QStringList& argumentos);
