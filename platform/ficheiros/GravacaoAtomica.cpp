#include "platform/ficheiros/GravacaoAtomica.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/Falha.h"
#include "platform/ficheiros/LeituraLimitada.h"

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
    const int modos = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
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

QString caminhoTemporario(const QString& caminho) {
    // Most file systems hold names of 255 bytes at most.
    constexpr qsizetype maximo = 255;
    const QFileInfo alvo(caminho);
    const QString nome = alvo.fileName();
    QString temporario = QLatin1Char('.') + nome + QStringLiteral(".tmp");
    if (QFile::encodeName(temporario).size() > maximo) {
        const QString resumo = QString::fromLatin1(
            QCryptographicHash::hash(QFile::encodeName(nome), QCryptographicHash::Sha1)
                .toHex()
                .left(16));
        QString inicio = nome.left(100);
        if (inicio.back().isHighSurrogate())
            inicio.chop(1);
        temporario = QLatin1Char('.') + inicio + QLatin1Char('~') + resumo + QStringLiteral(".tmp");
    }
    return alvo.absolutePath() + QLatin1Char('/') + temporario;
}

bool gravarAtomicamente(const QString& destino, const QByteArray& conteudo, QString* erro,
                        QFileDevice::FileError* tipo, bool noDisco, bool seguirLigacao) {
    // The temporary name is fixed: the next save of the same file, which every interrupted run
    // is followed by, takes over what a run killed before the rename left behind. Only the run
    // writes these files, under its lock, so no two saves of one file meet.
    QString alvo = destino;
    const TipoDeEntrada existente = tipoDeEntrada(destino);
    if (existente == TipoDeEntrada::Ligacao && seguirLigacao) {
        alvo = QFileInfo(destino).symLinkTarget();
    } else if (existente != TipoDeEntrada::NaoExiste && existente != TipoDeEntrada::Ficheiro) {
        if (erro)
            *erro =
                QStringLiteral("o destino é %1 e fica como está").arg(descricaoDoTipo(existente));
        if (tipo)
            *tipo = QFileDevice::OpenError;
        return false;
    }
#ifdef Q_OS_UNIX
    // An existing file keeps its permissions.
    const QByteArray nomeDoAlvo = QFile::encodeName(alvo);
    struct stat antigo {};
    const bool existia = ::stat(nomeDoAlvo.constData(), &antigo) == 0;
    const QByteArray nomeTemporario = QFile::encodeName(caminhoTemporario(alvo));
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
    const QFileInfo existente(alvo);
    QFile f(caminhoTemporario(alvo));
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
                            std::filesystem::path(alvo.toStdU16String()), ec);
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
    if (fd < 0 || ::syncfs(fd) != 0) {
        const int numero = errno;
        if (fd >= 0)
            ::close(fd);
        throw Falha(Falha::ErroDeEscrita,
                    QStringLiteral("Não foi possível levar ao disco o que foi escrito em %1 (%2)")
                        .arg(QDir::toNativeSeparators(pasta),
                             QString::fromLocal8Bit(std::strerror(numero))));
    }
    ::close(fd);
#elif defined(Q_OS_UNIX)
    Q_UNUSED(pasta);
    ::sync();
#else
    Q_UNUSED(pasta);
#endif
}
