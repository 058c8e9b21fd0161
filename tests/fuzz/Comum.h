#pragma once

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: a folder for the files they read, and the way they report a
// broken promise (an abort, which libFuzzer saves as a crash with its input).

inline QString caminhoDeTrabalho(const QString& nome) {
    static const QTemporaryDir pasta;
    if (!pasta.isValid()) {
        std::fprintf(stderr, "no temporary folder for the fuzz files\n");
        std::abort();
    }
    return pasta.filePath(nome);
}

inline void gravarEntrada(const QString& caminho, const uint8_t* dados, size_t tamanho) {
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(reinterpret_cast<const char*>(dados), qint64(tamanho)) != qint64(tamanho)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(caminho));
        std::abort();
    }
}

[[noreturn]] inline void quebrou(const char* promessa, const QString& detalhe = {}) {
    std::fprintf(stderr, "\n*** %s\n%s\n", promessa, detalhe.toUtf8().constData());
    std::abort();
}

// The workstation's regional settings the readers see, as in production.
inline const QLocale& localPortugues() {
    static const QLocale pt(QLocale::Portuguese, QLocale::Portugal);
    return pt;
}
