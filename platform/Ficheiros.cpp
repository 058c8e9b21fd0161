#include "platform/Ficheiros.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "platform/Caminhos.h"

namespace {

std::filesystem::path caminhoDe(const QString& texto) {
    return std::filesystem::path(QFile::encodeName(texto).toStdString());
}

// One rename, which replaces a file of the destination's name in the same step: whatever
// happens, the earlier file goes only when the new one takes its place. Across file systems the
// file is first copied beside the destination, then renamed over it, and only then removed from
// where it was.
bool substituir(const QString& origem, const QString& destino) {
    std::error_code erro;
    std::filesystem::rename(caminhoDe(origem), caminhoDe(destino), erro);
    if (!erro)
        return true;
    if (erro != std::errc::cross_device_link)
        return false;
    const QFileInfo alvo(destino);
    const QString copia =
        alvo.absolutePath() + QStringLiteral("/.") + alvo.fileName() + QStringLiteral(".tmp");
    QFile::remove(copia);  // left by a run killed while copying
    if (!QFile::copy(origem, copia))
        return false;
    std::filesystem::rename(caminhoDe(copia), caminhoDe(destino), erro);
    if (erro) {
        QFile::remove(copia);
        return false;
    }
    QFile::remove(origem);
    return true;
}

}  // namespace

void ArquivarFicheiro(const QString& pasta, const QString& nome) {
    const QString origem = juntarCaminho(pasta, nome);
    // The file is either still waiting or already a backup, never both, never neither.
    substituir(origem, origem + QStringLiteral(".bak"));
}

bool MoverFicheiro(const QString& origem, const QString& destino) {
    return substituir(origem, destino);
}
