#include "platform/xml/EscritaXml.h"

#include <QList>
#include <algorithm>

namespace {

bool caracterXmlValido(char32_t u) {
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) ||
           (u >= 0xE000 && u <= 0xFFFD) || (u >= 0x10000 && u <= 0x10FFFF);
}

bool precisaDeCuidado(char16_t u) {
    return (u < 0x20 && u != u'\t' && u != u'\n') || u == u'<' || u == u'>' || u == u'&' ||
           u == u'"' || (u >= 0xD800 && u < 0xE000) || u >= 0xFFFE;
}

}  // namespace

void juntarTextoXml(QString& destino, const QString& texto) {
    // Most texts have nothing to take care of, and go in one piece.
    const auto primeiro = std::find_if(texto.cbegin(), texto.cend(),
                                       [](QChar c) { return precisaDeCuidado(c.unicode()); });
    if (primeiro == texto.cend()) {
        destino += texto;
        return;
    }
    destino += QStringView(texto.cbegin(), primeiro);
    const QString resto = QStringView(primeiro, texto.cend()).toString();
    for (const char32_t u : resto.toUcs4()) {
        switch (u) {
            case U'<':
                destino += QLatin1String("&lt;");
                break;
            case U'>':
                destino += QLatin1String("&gt;");
                break;
            case U'&':
                destino += QLatin1String("&amp;");
                break;
            case U'"':
                destino += QLatin1String("&quot;");
                break;
            case U'\r':
                destino += QLatin1String("&#13;");
                break;
            default:
                if (!caracterXmlValido(u))
                    break;
                if (QChar::requiresSurrogates(u)) {
                    destino += QChar(QChar::highSurrogate(u));
                    destino += QChar(QChar::lowSurrogate(u));
                } else {
                    destino += QChar(char16_t(u));
                }
        }
    }
}

void juntarElementoXml(QString& destino, QLatin1String nome, const QString& texto,
                       QStringView atributos) {
    destino += QLatin1Char('<');
    destino += nome;
    destino += atributos;
    const qsizetype antes = destino.size();
    destino += QLatin1Char('>');
    juntarTextoXml(destino, texto);
    if (destino.size() == antes + 1) {
        destino.chop(1);
        destino += QLatin1String("/>");
        return;
    }
    destino += QLatin1String("</");
    destino += nome;
    destino += QLatin1Char('>');
}
