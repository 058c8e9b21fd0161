#include "support/JanelaDeProgresso.h"

#include <cstdio>

namespace {

void escrever(FILE* destino, QString texto) {
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = texto.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), destino);
    std::fputc('\n', destino);
    std::fflush(destino);
}

}  // namespace

void JanelaDeConsola::mostrarLinha(const QString& texto) {
    escrever(stdout, texto);
}

void JanelaDeConsola::mostrarMensagem(const QString& texto) {
    escrever(stderr, texto);
}
