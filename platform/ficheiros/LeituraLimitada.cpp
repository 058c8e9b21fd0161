#include "platform/ficheiros/LeituraLimitada.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

#include "base/Falha.h"

#ifdef Q_OS_UNIX
#include <dirent.h>
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

QList<std::pair<QString, TipoDeEntrada>> entradasDaPasta(const QString& pasta) {
    QList<std::pair<QString, TipoDeEntrada>> r;
    const auto falhou = [&](int numero, const QString& porque) {
        return Falha(numero, QStringLiteral("Não foi possível ler a pasta %1 (%2)")
                                 .arg(QDir::toNativeSeparators(pasta), porque));
    };
#ifdef Q_OS_UNIX
    const QByteArray caminho = QFile::encodeName(pasta);
    const std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(caminho.constData()), ::closedir);
    if (!d)
        throw falhou(errno == ENOENT ? Falha::CaminhoNaoEncontrado : Falha::PermissaoNegada,
                     QString::fromLocal8Bit(std::strerror(errno)));
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(d.get());
        if (!e && errno != 0)
            throw falhou(Falha::PermissaoNegada, QString::fromLocal8Bit(std::strerror(errno)));
        if (!e)
            break;
        if (qstrcmp(e->d_name, ".") == 0 || qstrcmp(e->d_name, "..") == 0)
            continue;
        mode_t modo = DTTOIF(e->d_type);
        if (e->d_type == DT_UNKNOWN) {  // the file system does not say: ask the entry itself
            struct stat st {};
            if (::lstat((caminho + '/' + e->d_name).constData(), &st) != 0)
                continue;  // gone since the folder was read
            modo = st.st_mode;
        }
        r.append({QFile::decodeName(e->d_name), tipoDoModo(modo)});
    }
#else
    const QDir dir(pasta);
    if (!dir.isReadable())
        throw falhou(dir.exists() ? Falha::PermissaoNegada : Falha::CaminhoNaoEncontrado, {});
    for (const QString& nome : dir.entryList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort))
        if (const TipoDeEntrada tipo = tipoDeEntrada(dir.filePath(nome));
            tipo != TipoDeEntrada::NaoExiste)
            r.append({nome, tipo});
#endif
    return r;
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
    // Blocking reads from here: it is a regular file. Read straight into the result, which
    // grows only if the file does while it is read.
    ::fcntl(d.fd, F_SETFL, ::fcntl(d.fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype lidos = 0;
    for (;;) {
        if (lidos == bytes.size())
            bytes.resize(qsizetype(std::min<qint64>(limite + 1, lidos + (1 << 16))));
        const ssize_t n = ::read(d.fd, bytes.data() + lidos, size_t(bytes.size() - lidos));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Falha(Falha::PermissaoNegada,
                        QStringLiteral("Não foi possível ler o ficheiro %1 (%2)")
                            .arg(nomeDe(caminho), QString::fromLocal8Bit(std::strerror(errno))));
        if (n == 0)
            break;
        lidos += qsizetype(n);
        // A file that grows while it is read stops at the limit all the same.
        if (lidos > limite)
            demasiadoGrande(caminho, lidos, limite);
    }
    bytes.truncate(lidos);
    return bytes;
#else
    if (const TipoDeEntrada tipo = tipoDeEntrada(caminho);
        tipo != TipoDeEntrada::Ficheiro && tipo != TipoDeEntrada::NaoExiste)
        naoNormal(caminho, tipo);
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
