#include "platform/ficheiros/Ficheiros.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "base/Falha.h"
#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/GravacaoAtomica.h"
#include "platform/ficheiros/LeituraLimitada.h"

namespace {

std::filesystem::path caminhoDe(const QString& texto) {
    return std::filesystem::path(QFile::encodeName(texto).toStdString());
}

// Files of the web folders are a few megabytes at most; a copy across file systems reads the
// whole file.
constexpr qint64 kMaiorCopia = qint64{256} * 1024 * 1024;

// One rename, which replaces a file of the destination's name in the same step: whatever
// happens, the earlier file goes only when the new one takes its place. Across file systems the
// file is first copied beside the destination, then renamed over it, and only then removed from
// where it was. A destination that is a link, a folder or anything but a regular file is left as
// it is: the move is refused. False with the reason when the file was not moved.
bool substituir(const QString& origem, const QString& destino, QString* porque) {
    const auto falhar = [porque](const QString& razao) {
        if (porque)
            *porque = razao;
        return false;
    };
    if (const TipoDeEntrada tipo = tipoDeEntrada(destino);
        tipo != TipoDeEntrada::NaoExiste && tipo != TipoDeEntrada::Ficheiro)
        return falhar(QStringLiteral("o destino é %1 e fica como está").arg(descricaoDoTipo(tipo)));
    std::error_code erro;
    std::filesystem::rename(caminhoDe(origem), caminhoDe(destino), erro);
    if (!erro)
        return true;
    if (erro != std::errc::cross_device_link)
        return falhar(QString::fromLocal8Bit(erro.message()));
    try {
        const QByteArray bytes = lerFicheiroLimitado(origem, kMaiorCopia);
        QString razao;
        if (!gravarAtomicamente(destino, bytes, &razao))
            return falhar(razao);
    } catch (const Falha& f) {
        return falhar(f.descricao());
    }
    if (!QFile::remove(origem))
        return falhar(QStringLiteral("a cópia ficou em %1, mas o original não pôde ser apagado")
                          .arg(destino));
    return true;
}

}  // namespace

bool ArquivarFicheiro(const QString& pasta, const QString& nome, QString* porque) {
    const QString origem = juntarCaminho(pasta, nome);
    // The file is either still waiting or already a backup, never both, never neither.
    return substituir(origem, origem + QStringLiteral(".bak"), porque);
}

bool MoverFicheiro(const QString& origem, const QString& destino, QString* porque) {
    return substituir(origem, destino, porque);
}
