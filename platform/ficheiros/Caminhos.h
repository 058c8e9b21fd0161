#pragma once

#include <QString>

// Folders in the settings may end with "/" or "\"; a name is joined with exactly one separator.
inline bool terminaEmSeparador(const QString& pasta) {
    return pasta.endsWith(QLatin1Char('/')) || pasta.endsWith(QLatin1Char('\\'));
}

inline QString juntarCaminho(const QString& pasta, const QString& nome) {
    if (terminaEmSeparador(pasta))
        return pasta + nome;
    return pasta + QLatin1Char('/') + nome;
}
