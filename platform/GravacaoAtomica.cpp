#include "platform/GravacaoAtomica.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QAtomicInteger<quint64> temporarios;

}  // namespace

bool gravarAtomicamente(const QString& destino, const QByteArray& conteudo, QString* erro,
                        QFileDevice::FileError* tipo) {
    // A link is followed, and the file it names replaced; an existing file keeps its permissions.
    const QFileInfo existente(destino);
    const QString caminho = existente.isSymLink() ? existente.symLinkTarget() : destino;
    const auto falhar = [&](const QFile& f) {
        if (erro)
            *erro = f.errorString();
        if (tipo)
            *tipo = f.error();
        return false;
    };
    // A name no inbox pattern ending in the file's own extension can take for a real file.
    const QString temporario = caminho + QStringLiteral(".%1-%2.tmp")
                                             .arg(QCoreApplication::applicationPid())
                                             .arg(temporarios.fetchAndAddRelaxed(1));
    QFile f(temporario);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return falhar(f);
    if (existente.exists())
        f.setPermissions(existente.permissions());
    if (f.write(conteudo) != conteudo.size() || !f.flush()) {
        falhar(f);
        f.close();
        f.remove();
        return false;
    }
    f.close();
    if (f.error() != QFileDevice::NoError) {
        falhar(f);
        f.remove();
        return false;
    }
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
