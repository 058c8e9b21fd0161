#include "platform/GravacaoAtomica.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_UNIX
#include <filesystem>
#endif

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

namespace {

#ifdef Q_OS_UNIX
// The bytes to the temporary file, by the system's own calls: files are written by the thousand,
// and each call saved counts.
bool gravarTemporario(const QByteArray& temporario, const QByteArray& conteudo,
                      const struct stat* existente, bool noDisco, QString* erro,
                      QFileDevice::FileError* tipo) {
    const auto falhar = [&](QFileDevice::FileError qual) {
        const int numero = errno;
        if (erro)
            *erro = QString::fromLocal8Bit(std::strerror(numero));
        if (tipo)
            *tipo = numero == EACCES || numero == EPERM || numero == EROFS
                        ? QFileDevice::PermissionsError
                        : qual;
        return false;
    };
    const int modos = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(temporario.constData(), modos, 0666);
    if (fd < 0 && errno == EEXIST) {
        // Left by a run killed while writing it: nothing else writes these names.
        ::unlink(temporario.constData());
        fd = ::open(temporario.constData(), modos, 0666);
    }
    if (fd < 0)
        return falhar(QFileDevice::OpenError);
    bool feito = !existente || ::fchmod(fd, existente->st_mode & 07777) == 0;
    for (qsizetype escrito = 0; feito && escrito < conteudo.size();) {
        const ssize_t n =
            ::write(fd, conteudo.constData() + escrito, size_t(conteudo.size() - escrito));
        if (n < 0 && errno == EINTR)
            continue;
        feito = n > 0;
        escrito += n;
    }
    feito = feito && (!noDisco || ::fsync(fd) == 0);
    if (!feito) {
        falhar(QFileDevice::WriteError);
        ::close(fd);
        ::unlink(temporario.constData());
        return false;
    }
    if (::close(fd) != 0) {
        falhar(QFileDevice::WriteError);
        ::unlink(temporario.constData());
        return false;
    }
    return true;
}
#endif

}  // namespace

bool gravarAtomicamente(const QString& destino, const QByteArray& conteudo, QString* erro,
                        QFileDevice::FileError* tipo, bool noDisco) {
    // The temporary name is fixed: "." + name + ".tmp" beside the file. A run killed before the
    // rename leaves it behind, maybe a part of it, and the next save of the same file, which every
    // interrupted run is followed by, takes it over. Only the run writes these files, under its
    // lock, so no two saves of one file meet.
    const auto temporarioDe = [](const QString& caminho) {
        const QFileInfo alvo(caminho);
        return alvo.absolutePath() + QStringLiteral("/.") + alvo.fileName() +
               QStringLiteral(".tmp");
    };
#ifdef Q_OS_UNIX
    // A link is followed, and the file it names replaced; an existing file keeps its permissions.
    QByteArray nomeDoAlvo = QFile::encodeName(destino);
    struct stat antigo {};
    bool existia = ::lstat(nomeDoAlvo.constData(), &antigo) == 0;
    if (existia && S_ISLNK(antigo.st_mode)) {
        nomeDoAlvo = QFile::encodeName(QFileInfo(destino).symLinkTarget());
        existia = ::stat(nomeDoAlvo.constData(), &antigo) == 0;
    }
    const QByteArray nomeTemporario =
        QFile::encodeName(temporarioDe(QFile::decodeName(nomeDoAlvo)));
    if (!gravarTemporario(nomeTemporario, conteudo, existia ? &antigo : nullptr, noDisco, erro,
                          tipo))
        return false;
    if (std::rename(nomeTemporario.constData(), nomeDoAlvo.constData()) == 0)
        return true;
    const int numero = errno;
    if (erro)
        *erro = QString::fromLocal8Bit(std::strerror(numero));
    if (tipo)
        *tipo = numero == EACCES || numero == EPERM ? QFileDevice::PermissionsError
                                                    : QFileDevice::RenameError;
    ::unlink(nomeTemporario.constData());
    return false;
#else
    Q_UNUSED(noDisco);
    const QFileInfo existente(destino);
    const QString caminho = existente.isSymLink() ? existente.symLinkTarget() : destino;
    QFile f(temporarioDe(caminho));
    const auto falhar = [&](QFileDevice::FileError qual, const QString& porque) {
        if (erro)
            *erro = porque;
        if (tipo)
            *tipo = f.error() == QFileDevice::NoError ? qual : f.error();
        f.close();
        f.remove();
        return false;
    };
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return falhar(QFileDevice::OpenError, f.errorString());
    if (existente.exists())
        f.setPermissions(existente.permissions());
    if (f.write(conteudo) != conteudo.size() || !f.flush())
        return falhar(QFileDevice::WriteError, f.errorString());
    f.close();
    if (f.error() != QFileDevice::NoError)
        return falhar(QFileDevice::WriteError, f.errorString());
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(f.fileName().toStdU16String()),
                            std::filesystem::path(caminho.toStdU16String()), ec);
    if (ec)
        return falhar(ec == std::errc::permission_denied ? QFileDevice::PermissionsError
                                                         : QFileDevice::RenameError,
                      QString::fromLocal8Bit(ec.message()));
    return true;
#endif
}

void sincronizarDisco(const QString& pasta) {
#ifdef Q_OS_LINUX
    const QByteArray nome = QFile::encodeName(pasta);
    const int fd = ::open(nome.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
        return;
    }
#else
    Q_UNUSED(pasta);
#endif
#if defined(Q_OS_UNIX)
    ::sync();
#endif
}
