#include "platform/ficheiros/ListagemDeFicheiros.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>

#include "base/Citacao.h"
#include "base/Falha.h"
#include "platform/ficheiros/LeituraLimitada.h"

namespace {

// Several patterns may be given separated by ";", as in a file dialog.
QList<QRegularExpression> expressoes(const QString& padrao) {
    QList<QRegularExpression> res;
    for (const QString& p : padrao.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        res.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(p.trimmed()),
                                      QRegularExpression::CaseInsensitiveOption));
    return res;
}

bool corresponde(const QString& nome, const QList<QRegularExpression>& res) {
    for (const QRegularExpression& re : res)
        if (re.match(nome).hasMatch())
            return true;
    return false;
}

}  // namespace

bool ListagemDeFicheiros::corresponde(const QString& nome, const QString& padrao) {
    return ::corresponde(nome, expressoes(padrao));
}

void ListagemDeFicheiros::Listar(const QString& pasta, const QString& padrao, int folga) {
    padrao_ = padrao;
    folga_ = folga;
    setPath(pasta);
}

void ListagemDeFicheiros::setPath(const QString& pasta) {
    if (pasta.isEmpty() || !QDir(pasta).exists()) {
        nomes_.clear();
        throw Falha(Falha::CaminhoNaoEncontrado,
                    QStringLiteral("Pasta não encontrada: \"%1\"").arg(pasta));
    }
    pasta_ = pasta;
    Refresh();
}

void ListagemDeFicheiros::setPattern(const QString& padrao) {
    padrao_ = padrao;
    if (!pasta_.isEmpty())
        Refresh();
}

void ListagemDeFicheiros::Refresh() {
    nomes_.clear();
    recusadas_.clear();
    ListIndex = -1;
    const QList<QRegularExpression> res = expressoes(padrao_);
    // Most file systems hold names of 255 bytes at most.
    constexpr qsizetype maximo = 255;
    for (const auto& [nome, tipo] : entradasDaPasta(pasta_)) {
        if (!::corresponde(nome, res))
            continue;
        if (tipo != TipoDeEntrada::Ficheiro) {
            recusadas_.append(
                {citar(nome),
                 QStringLiteral("não é um ficheiro normal (é %1)").arg(descricaoDoTipo(tipo))});
        } else if (std::any_of(nome.begin(), nome.end(), caracterDeControlo) ||
                   nome.contains(QChar::ReplacementCharacter)) {
            // A control character, or bytes the file system's encoding cannot read: such a
            // name is neither shown nor opened as it is.
            recusadas_.append(
                {citar(nome), QStringLiteral("tem no nome caracteres que não se podem mostrar")});
        } else if (const qsizetype bytes = QFile::encodeName(nome).size();
                   bytes + folga_ > maximo) {
            recusadas_.append({nome, QStringLiteral("tem um nome de %1 bytes, longo demais para o "
                                                    "nome que o programa lhe juntaria (%2 bytes "
                                                    "no máximo)")
                                         .arg(bytes)
                                         .arg(maximo - folga_)});
        } else {
            nomes_.append(nome);
        }
    }
    const auto porNome = [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    };
    std::sort(nomes_.begin(), nomes_.end(), porNome);
    std::sort(recusadas_.begin(), recusadas_.end(),
              [&](const Recusada& a, const Recusada& b) { return porNome(a.nome, b.nome); });
}
