#include "platform/ListagemDeFicheiros.h"

#include <QDir>
#include <QRegularExpression>

#include "platform/Falha.h"

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

void ListagemDeFicheiros::Listar(const QString& pasta, const QString& padrao) {
    padrao_ = padrao;
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
    ListIndex = -1;
    const QStringList todos =
        QDir(pasta_).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    const QList<QRegularExpression> res = expressoes(padrao_);
    for (const QString& nome : todos)
        if (::corresponde(nome, res))
            nomes_.append(nome);
    std::sort(nomes_.begin(), nomes_.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}
