#include "platform/ficheiros/Fechaduras.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <optional>

#include "base/Falha.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

#ifdef Q_OS_LINUX
// The process that holds a flock on the file, as /proc/locks tells: "1: FLOCK ADVISORY WRITE
// <pid> <major>:<minor>:<inode> 0 EOF", the device numbers in hexadecimal. None when no process
// holds one, or the system does not tell.
std::optional<QString> quemTem(const struct stat& st) {
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString alvo = QStringLiteral("%1:%2:%3")
                             .arg(major(st.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(minor(st.st_dev), 2, 16, QLatin1Char('0'))
                             .arg(st.st_ino);
    for (const QByteArray& linha : locks.readAll().split('\n')) {
        const QStringList campos =
            QString::fromLatin1(linha).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (campos.size() < 6 || campos[1] != QLatin1String("FLOCK") || campos[5] != alvo)
            continue;
        QFile linhaDeComando(QStringLiteral("/proc/%1/cmdline").arg(campos[4]));
        QString comando;
        if (linhaDeComando.open(QIODevice::ReadOnly))
            comando = QString::fromLocal8Bit(linhaDeComando.read(4096))
                          .replace(QChar(0), QLatin1Char(' '))
                          .trimmed();
        return comando.isEmpty() ? QStringLiteral("o processo %1").arg(campos[4])
                                 : QStringLiteral("o processo %1 (%2)").arg(campos[4], comando);
    }
    return std::nullopt;
}
#endif

}  // namespace

bool Fechaduras::ocupada(const QString& caminho, QString* quem) {
#ifdef Q_OS_LINUX
    struct stat st {};
    if (::stat(QFile::encodeName(caminho).constData(), &st) != 0)
        return false;
    const std::optional<QString> processo = quemTem(st);
    if (processo && quem)
        *quem = *processo;
    return processo.has_value();
#else
    Q_UNUSED(caminho);
    Q_UNUSED(quem);
    return false;
#endif
}

Fechaduras::~Fechaduras() {
#ifdef Q_OS_UNIX
    for (const int fd : descritores_)
        ::close(fd);
#endif
}

Fechaduras::Resultado Fechaduras::tomar(const QString& caminho, QString* quem) {
#ifdef Q_OS_UNIX
    const QByteArray nome = QFile::encodeName(caminho);
    // Read-only and without waiting: a pipe put in the place of a file must not hold the run.
    const int fd = ::open(nome.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return Resultado::NaoExiste;
        throw Falha(Falha::PermissaoNegada,
                    QStringLiteral("Não foi possível abrir %1 para o reservar (%2)")
                        .arg(QDir::toNativeSeparators(caminho),
                             QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || tomadas_.contains({quint64(st.st_dev), quint64(st.st_ino)})) {
        ::close(fd);
        return Resultado::Tomada;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int erro = errno;
        ::close(fd);
        if (erro != EWOULDBLOCK)
            throw Falha(Falha::PermissaoNegada,
                        QStringLiteral("Não foi possível reservar %1 (%2)")
                            .arg(QDir::toNativeSeparators(caminho),
                                 QString::fromLocal8Bit(std::strerror(erro))));
#ifdef Q_OS_LINUX
        if (quem)
            *quem = quemTem(st).value_or(QString());
#endif
        return Resultado::Ocupada;
    }
    descritores_.push_back(fd);
    tomadas_.insert({quint64(st.st_dev), quint64(st.st_ino)});
    return Resultado::Tomada;
#else
    Q_UNUSED(quem);
    return QFile::exists(caminho) ? Resultado::Tomada : Resultado::NaoExiste;
#endif
}
