#pragma once

#include <QString>

// A character that breaks a line or is not shown.
inline bool caracterDeControlo(QChar c) {
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// A piece of a web file (a value, a line) as a message quotes it: at most `maximo` characters,
// marked when cut, line breaks and other control characters shown as blanks. A message never
// grows with the file that caused it, nor makes a line of the run log of its own.
inline QString citar(const QString& texto, qsizetype maximo = 200) {
    QString r = texto.left(maximo);
    if (r.size() < texto.size() && r.back().isHighSurrogate())
        r.chop(1);
    for (QChar& c : r)
        if (caracterDeControlo(c))
            c = QLatin1Char(' ');
    if (r.size() < texto.size())
        r += QStringLiteral("… (cortado: %1 caracteres)").arg(texto.size());
    return r;
}
