#include "platform/Ficheiros.h"

#include <QFile>

#include "platform/Caminhos.h"

void ArquivarFicheiro(const QString& pasta, const QString& nome) {
    const QString origem = juntarCaminho(pasta, nome);
    const QString copia = origem + QStringLiteral(".bak");
    if (QFile::exists(copia) && !QFile::remove(copia))
        return;
    // One rename: the file is either still waiting or already a backup, never both.
    QFile::rename(origem, copia);
}

bool MoverFicheiro(const QString& origem, const QString& destino) {
    if (QFile::exists(destino) && !QFile::remove(destino))
        return false;
    return QFile::rename(origem, destino);
}
