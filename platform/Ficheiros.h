#pragma once

#include <QString>

// The housekeeping of processed input files.

// Keeps pasta/nome as the backup pasta/nome.bak, replacing an older backup of that name. Says
// nothing when it cannot: the file then simply stays where the next run finds it (the caller
// looks).
void ArquivarFicheiro(const QString& pasta, const QString& nome);

// Moves origem to destino, replacing a file of that name. True when the move completed.
bool MoverFicheiro(const QString& origem, const QString& destino);
