#include "platform/email/ServidorEmail.h"

#include <QDir>
#include <QFileInfo>
#include <array>

#include "base/Falha.h"
#include "platform/ini/clsIni.h"

namespace {

struct Chave {
    const char* nome;
    QString ServidorEmail::*valor;
};

constexpr std::array<Chave, 5> kChaves{{
    {"Servidor", &ServidorEmail::Servidor},
    {"Porta", &ServidorEmail::Porta},
    {"Seguranca", &ServidorEmail::Seguranca},
    {"Utilizador", &ServidorEmail::Utilizador},
    {"Password", &ServidorEmail::Password},
}};

}  // namespace

const QString ServidorEmail::Seccao = QStringLiteral("Servidor email");

bool ServidorEmail::Ler(const QString& ficheiro, QString* porque) {
    try {
        clsIni ini;
        ini.Ficheiro(ficheiro);
        ServidorEmail lido;
        for (const Chave& c : kChaves)
            lido.*c.valor = ini.LerValor(Seccao, QString::fromUtf8(c.nome));
        lido.Certificados = ini.LerValor(Seccao, QStringLiteral("Certificados"));
        *this = lido;
        return true;
    } catch (const Falha& f) {
        if (porque)
            *porque = f.descricao();
        return false;
    }
}

bool ServidorEmail::Gravar(const QString& ficheiro) const {
    clsIni ini;
    ini.Ficheiro(ficheiro);
    QList<clsIni::Valor> valores;
    for (const Chave& c : kChaves)
        valores.append({Seccao, QString::fromUtf8(c.nome), this->*c.valor});
    return ini.GravarValores(valores);
}

QString motivoDeNaoGravar(const QString& ficheiro, const QStringList& valores) {
    clsIni ini;
    ini.Ficheiro(ficheiro);
    for (const QString& valor : valores)
        if (!ini.PodeGuardar(valor))
            return QStringLiteral(
                       "O valor \"%1\" tem caracteres que o ficheiro de parâmetros, escrito em "
                       "windows-1252, não pode guardar.")
                .arg(valor);
    const QFileInfo info(ficheiro);
    if (ficheiro.trimmed().isEmpty())
        return QStringLiteral("Não foi indicado o ficheiro de parâmetros.");
    if (info.isDir())
        return QStringLiteral("%1 é uma pasta, não um ficheiro.")
            .arg(QDir::toNativeSeparators(ficheiro));
    const QFileInfo pasta(info.absolutePath());
    if (!pasta.isDir())
        return QStringLiteral("A pasta %1 não existe.")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    if (info.exists() && !info.isWritable())
        return QStringLiteral("O ficheiro só permite leitura.");
    if (!pasta.isWritable())
        return QStringLiteral("A pasta %1 não permite escrita.")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    return QStringLiteral(
        "Verifique se o disco tem espaço livre e se o ficheiro não está "
        "bloqueado por outro programa.");
}
