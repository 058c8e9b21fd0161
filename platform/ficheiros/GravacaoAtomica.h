#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Replaces the file at caminho by the bytes given: they go to a new file in the same folder,
// "." + name + ".tmp", which is then renamed over the old one. A process killed at any moment
// leaves the old file or the new one, whole, never a part of one. The bytes are not flushed to the
// disk one file at a time: the run's databases keep their last commits only until the next
// checkpoint after a power cut, so a flushed file would outlive the transaction it reports;
// sincronizarDisco flushes everything at once where an order of writes matters. False when it
// cannot, with the reason and the kind of failure; the old file is then as it was. With noDisco,
// the new bytes reach the disk before they replace the old ones: for a file that is changed
// rarely and whose loss would cost more than its last change (the settings). A destination that
// is a link, a folder or anything but a regular file is refused and left as it is, unless
// seguirLigacao: then the file a link names is replaced (sites keep the settings file so).
bool gravarAtomicamente(const QString& caminho, const QByteArray& conteudo, QString* erro,
                        QFileDevice::FileError* tipo = nullptr, bool noDisco = false,
                        bool seguirLigacao = false);

// The temporary file a save of caminho goes through: "." + name + ".tmp" beside it, or, for a
// name too long for that, a shorter one made from it that the same name always gives.
QString caminhoTemporario(const QString& caminho);

// Everything written so far to the file system holding the folder reaches the disk. Raises
// Falha when it does not.
void sincronizarDisco(const QString& pasta);
