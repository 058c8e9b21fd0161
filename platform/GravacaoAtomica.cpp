#include "platform/GravacaoAtomica.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

enum class Escrita { Feita, Falhou, SemSuporte };

#ifdef Q_OS_LINUX
// The bytes go to a file without a name, which is given the temporary name only once they are
// all written: a process killed while writing leaves nothing behind, as QSaveFile does.
Escrita gravarSemNome(const QString& pasta, const QString& temporario, const QByteArray& conteudo,
                      const QFileInfo& existente, QString* erro, QFileDevice::FileError* tipo) {
    const auto falhar = [&](QFileDevice::FileError qual) {
        const int numero = errno;
        if (erro)
            *erro = QString::fromLocal8Bit(std::strerror(numero));
        if (tipo)
            *tipo = numero == EACCES || numero == EPERM || numero == EROFS
                        ? QFileDevice::PermissionsError
                        : qual;
        return Escrita::Falhou;
    };
    const int fd =
        ::open(QFile::encodeName(pasta).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL
                   ? Escrita::SemSuporte
                   : falhar(QFileDevice::OpenError);
    const auto fechar = [fd](Escrita e) {
        const int numero = errno;
        ::close(fd);
        errno = numero;
        return e;
    };
    for (qsizetype feito = 0; feito < conteudo.size();) {
        const ssize_t n =
            ::write(fd, conteudo.constData() + feito, size_t(conteudo.size() - feito));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fechar(falhar(QFileDevice::WriteError));
        feito += n;
    }
    struct stat antigo {};
    if (::stat(QFile::encodeName(existente.absoluteFilePath()).constData(), &antigo) == 0)
        ::fchmod(fd, antigo.st_mode & 07777);
    QFile::remove(temporario);  // left by a run killed at that point
    const QByteArray proprio = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, proprio.constData(), AT_FDCWD, QFile::encodeName(temporario).constData(),
                 AT_SYMLINK_FOLLOW) != 0)
        return fechar(errno == ENOENT ? Escrita::SemSuporte : falhar(QFileDevice::WriteError));
    if (::close(fd) != 0) {
        const Escrita e = falhar(QFileDevice::WriteError);
        QFile::remove(temporario);
        return e;
    }
    return Escrita::Feita;
}
#endif

// The bytes to a new file of the temporary name.
Escrita gravarComNome(const QString& temporario, const QByteArray& conteudo,
                      const QFileInfo& existente, QString* erro, QFileDevice::FileError* tipo) {
    QFile f(temporario);
    const auto falhar = [&] {
        if (erro)
            *erro = f.errorString();
        if (tipo)
            *tipo = f.error();
        return Escrita::Falhou;
    };
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return falhar();
    if (existente.exists())
        f.setPermissions(existente.permissions());
    if (f.write(conteudo) != conteudo.size() || !f.flush()) {
        falhar();
        f.close();
        f.remove();
        return Escrita::Falhou;
    }
    f.close();
    if (f.error() != QFileDevice::NoError) {
        falhar();
        f.remove();
        return Escrita::Falhou;
    }
    return Escrita::Feita;
}

}  // namespace

bool gravarAtomicamente(const QString& destino, const QByteArray& conteudo, QString* erro,
                        QFileDevice::FileError* tipo) {
    // A link is followed, and the file it names replaced; an existing file keeps its permissions.
    const QFileInfo existente(destino);
    const QString caminho = existente.isSymLink() ? existente.symLinkTarget() : destino;
    // The temporary name is fixed: "." + name + ".tmp" beside the file. A run killed between
    // naming it and the rename leaves it whole, and the next save of the same file, which every
    // interrupted run is followed by, takes it over. Only the run writes these files, under its
    // lock, so no two saves of one file meet.
    const QFileInfo alvo(caminho);
    const QString temporario =
        alvo.absoluteDir().filePath(QLatin1Char('.') + alvo.fileName() + QStringLiteral(".tmp"));
    Escrita escrita = Escrita::SemSuporte;
#ifdef Q_OS_LINUX
    escrita = gravarSemNome(QFileInfo(caminho).absolutePath(), temporario, conteudo, existente,
                            erro, tipo);
#endif
    if (escrita == Escrita::SemSuporte)
        escrita = gravarComNome(temporario, conteudo, existente, erro, tipo);
    if (escrita != Escrita::Feita)
        return false;
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(temporario.toStdU16String()),
                            std::filesystem::path(caminho.toStdU16String()), ec);
    if (ec) {
        if (erro)
            *erro = QString::fromLocal8Bit(ec.message());
        if (tipo)
            *tipo = ec == std::errc::permission_denied ? QFileDevice::PermissionsError
                                                       : QFileDevice::RenameError;
        QFile::remove(temporario);
        return false;
    }
    return true;
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
