#pragma once

#include <QFile>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share. A broken promise is an abort, which libFuzzer saves as a crash
// with its input.
[[noreturn]] inline void quebrou(const char* promessa, const QString& detalhe = {}) {
    std::fprintf(stderr, "\n*** %s\n%s\n", promessa, detalhe.toUtf8().constData());
    std::abort();
}

// The input written as the file `nome` of a folder of the target's own.
inline QString gravarEntrada(const char* nome, const uint8_t* dados, size_t tamanho) {
    static const QTemporaryDir pasta;
    QFile f(pasta.filePath(QString::fromLatin1(nome)));
    if (!pasta.isValid() || !f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(reinterpret_cast<const char*>(dados), qint64(tamanho)) != qint64(tamanho))
        quebrou("cannot write the input", f.fileName());
    return f.fileName();
}

// The workstation's regional settings the readers see, as in production.
inline const QLocale& localPortugues() {
    static const QLocale pt(QLocale::Portuguese, QLocale::Portugal);
    return pt;
}
