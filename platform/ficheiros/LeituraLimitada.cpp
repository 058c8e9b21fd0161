#include "platform/ficheiros/LeituraLimitada.h"

#include <QFile>
#include <QFileInfo>

#include "base/Falha.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

#ifdef Q_OS_UNIX
TipoDeEntrada tipoDoModo(mode_t modo) {
    if (S_ISREG(modo))
        return TipoDeEntrada::Ficheiro;
    if (S_ISLNK(modo))
        return TipoDeEntrada::Ligacao;
    if (S_ISDIR(modo))
        return TipoDeEntrada::Pasta;
    if (S_ISFIFO(modo))
        return TipoDeEntrada::Pipe;
    if (S_ISCHR(modo) || S_ISBLK(modo))
        return TipoDeEntrada::Dispositivo;
    if (S_ISSOCK(modo))
        return TipoDeEntrada::Socket;
    return TipoDeEntrada::Outro;
}

// Closes the descriptor whatever way the reading ends.
struct Descritor {
    int fd;
    ~Descritor() {
        if (fd >= 0)
            ::close(fd);
    }
};
#endif

// A file of a web folder is named as the folder lists it: the folder is said elsewhere.
QString nomeDe(const QString& caminho) {
    return QFileInfo(caminho).fileName();
}

[[noreturn]] void naoNormal(const QString& caminho, TipoDeEntrada tipo) {
    throw Falha(Falha::FicheiroNaoNormal,
                QStringLiteral("O ficheiro %1 não é um ficheiro normal (é %2); não foi lido e "
                               "fica onde está")
                    .arg(nomeDe(caminho), descricaoDoTipo(tipo)));
}

[[noreturn]] void demasiadoGrande(const QString& caminho, qint64 tamanho, qint64 limite) {
    throw Falha(Falha::FicheiroDemasiadoGrande,
                QStringLiteral("O ficheiro %1 tem %2 bytes, mais do que os %3 que um ficheiro da "
                               "loja pode ter; não foi lido e fica na pasta de entrada")
                    .arg(nomeDe(caminho))
                    .arg(tamanho)
                    .arg(limite));
}

}  // namespace

TipoDeEntrada tipoDeEntrada(const QString& caminho) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::lstat(QFile::encodeName(caminho).constData(), &st) != 0)
        return TipoDeEntrada::NaoExiste;
    return tipoDoModo(st.st_mode);
#else
    const QFileInfo f(caminho);
    if (f.isSymLink())
        return TipoDeEntrada::Ligacao;
    if (!f.exists())
        return TipoDeEntrada::NaoExiste;
    return f.isDir()    ? TipoDeEntrada::Pasta
           : f.isFile() ? TipoDeEntrada::Ficheiro
                        : TipoDeEntrada::Outro;
#endif
}

QString descricaoDoTipo(TipoDeEntrada tipo) {
    switch (tipo) {
        case TipoDeEntrada::NaoExiste:
            return QStringLiteral("um nome que já não existe");
        case TipoDeEntrada::Ficheiro:
            return QStringLiteral("um ficheiro");
        case TipoDeEntrada::Ligacao:
            return QStringLiteral("uma ligação simbólica");
        case TipoDeEntrada::Pasta:
            return QStringLiteral("uma pasta");
        case TipoDeEntrada::Pipe:
            return QStringLiteral("um pipe");
        case TipoDeEntrada::Dispositivo:
            return QStringLiteral("um dispositivo");
        case TipoDeEntrada::Socket:
            return QStringLiteral("um socket");
        case TipoDeEntrada::Outro:
            break;
    }
    return QStringLiteral("algo que não é um ficheiro");
}

QByteArray lerFicheiroLimitado(const QString& caminho, qint64 limite) {
#ifdef Q_OS_UNIX
    const QByteArray nome = QFile::encodeName(caminho);
    Descritor d{::open(nome.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    if (d.fd < 0) {
        const int erro = errno;
        if (erro == ELOOP)
            naoNormal(caminho, TipoDeEntrada::Ligacao);
        throw Falha(erro == ENOENT ? Falha::FicheiroNaoEncontrado : Falha::PermissaoNegada,
                    QStringLiteral("Não foi possível abrir o ficheiro %1 (%2)")
                        .arg(nomeDe(caminho), QString::fromLocal8Bit(std::strerror(erro))));
    }
    struct stat st {};
    if (::fstat(d.fd, &st) != 0)
        throw Falha(Falha::PermissaoNegada,
                    QStringLiteral("Não foi possível ler o ficheiro %1 (%2)")
                        .arg(nomeDe(caminho), QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISREG(st.st_mode))
        naoNormal(caminho, tipoDoModo(st.st_mode));
    if (st.st_size > limite)
        demasiadoGrande(caminho, st.st_size, limite);
    // Blocking reads from here: it is a regular file.
    ::fcntl(d.fd, F_SETFL, ::fcntl(d.fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray bytes;
    bytes.reserve(qsizetype(st.st_size));
    char bloco[1 << 16];
    for (;;) {
        const ssize_t n = ::read(d.fd, bloco, sizeof bloco);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Falha(Falha::PermissaoNegada,
                        QStringLiteral("Não foi possível ler o ficheiro %1 (%2)")
                            .arg(nomeDe(caminho), QString::fromLocal8Bit(std::strerror(errno))));
        if (n == 0)
            break;
        // A file that grows while it is read stops at the limit all the same.
        if (bytes.size() + n > limite)
            demasiadoGrande(caminho, bytes.size() + n, limite);
        bytes.append(bloco, qsizetype(n));
    }
    return bytes;
#else
    if (tipoDeEntrada(caminho) != TipoDeEntrada::Ficheiro &&
        tipoDeEntrada(caminho) != TipoDeEntrada::NaoExiste)
        naoNormal(caminho, tipoDeEntrada(caminho));
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        throw Falha(f.exists() ? Falha::PermissaoNegada : Falha::FicheiroNaoEncontrado,
                    QStringLiteral("Não foi possível abrir o ficheiro %1 (%2)")
                        .arg(nomeDe(caminho), f.errorString()));
    QByteArray bytes = f.read(limite + 1);
    if (bytes.size() > limite)
        demasiadoGrande(caminho, f.size(), limite);
    return bytes;
#endif
}
