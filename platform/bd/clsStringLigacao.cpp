#include "platform/bd/clsStringLigacao.h"

namespace {

// Values go between braces, with "}" doubled, so that any text survives (";", "=", blanks).
QString entreChavetas(const QString& valor) {
    QString v = valor;
    v.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return QLatin1Char('{') + v + QLatin1Char('}');
}

// The value that starts at i, just after its opening brace, with "}}" read as "}"; i moves past
// the closing brace.
QString lerEntreChavetas(const QString& s, qsizetype& i) {
    QString valor;
    while (i < s.size()) {
        if (s[i] != QLatin1Char('}')) {
            valor += s[i++];
        } else if (i + 1 < s.size() && s[i + 1] == QLatin1Char('}')) {
            valor += QLatin1Char('}');
            i += 2;
        } else {
            ++i;
            break;
        }
    }
    return valor;
}

}  // namespace

QString clsStringLigacao::StringLigacao() const {
    return QStringLiteral("Provider=%1;Option=%2;Server=%3;Database=%4;User=%5;Password=%6")
        .arg(entreChavetas(Provider), QString::number(Opcao), entreChavetas(Servidor),
             entreChavetas(BaseDeDados), entreChavetas(Utilizador), entreChavetas(Password));
}

QMap<QString, QString> clsStringLigacao::Ler(const QString& s) {
    QMap<QString, QString> resultado;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype igual = s.indexOf(QLatin1Char('='), i);
        if (igual < 0)
            break;
        const QString chave = s.mid(i, igual - i).trimmed().toLower();
        i = igual + 1;
        QString valor;
        if (i < s.size() && s[i] == QLatin1Char('{')) {
            ++i;
            valor = lerEntreChavetas(s, i);
            while (i < s.size() && s[i] != QLatin1Char(';'))
                ++i;
        } else {
            const qsizetype fim = s.indexOf(QLatin1Char(';'), i);
            valor = s.mid(i, fim < 0 ? -1 : fim - i);
            i = fim < 0 ? s.size() : fim;
        }
        if (i < s.size() && s[i] == QLatin1Char(';'))
            ++i;
        resultado.insert(chave, valor);
    }
    return resultado;
}
