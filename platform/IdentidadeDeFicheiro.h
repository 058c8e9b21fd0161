#pragma once

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// What a file is at one moment: another write to it, even of the same size, or another file put
// in its place, changes one of these.
struct IdentidadeDeFicheiro {
    qint64 tamanho = -1;
    QDateTime modificado;
    QDateTime alterado;
#ifdef Q_OS_UNIX
    quint64 dispositivo = 0;
    quint64 inode = 0;
    qint64 modificadoNs = 0;
    qint64 alteradoNs = 0;
#endif

    // Empty when the file does not exist.
    static std::optional<IdentidadeDeFicheiro> de(const QString& caminho) {
        IdentidadeDeFicheiro i;
#ifdef Q_OS_UNIX
        struct stat st {};
        if (::stat(QFile::encodeName(caminho).constData(), &st) != 0)
            return std::nullopt;
        i.tamanho = st.st_size;
        i.dispositivo = st.st_dev;
        i.inode = st.st_ino;
        i.modificadoNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        i.alteradoNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
#else
        const QFileInfo f(caminho);
        if (!f.exists())
            return std::nullopt;
        i.tamanho = f.size();
        i.modificado = f.lastModified();
        i.alterado = f.metadataChangeTime();
#endif
        return i;
    }

    bool operator==(const IdentidadeDeFicheiro&) const = default;
};
