#pragma once

#include <QString>

// The housekeeping of processed input files. A destination that is a link, a folder or anything
// but a regular file is never replaced nor written through: the move is refused.

// Keeps pasta/nome as the backup pasta/nome.bak, replacing an older backup of that name. True
// when done; false, with the reason in porque, when the file stays where it was.
bool ArquivarFicheiro(const QString& pasta, const QString& nome, QString* porque = nullptr);

// Moves origem to destino, replacing a file of that name. True when the move completed; false,
// with the reason in porque, when the file stays where it was.
bool MoverFicheiro(const QString& origem, const QString& destino, QString* porque = nullptr);
