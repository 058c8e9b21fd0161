#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The encodings the web files come in, and what reading and writing them needs.
enum class CodificacaoDeTexto { Utf8, Utf16LE, Utf16BE, Latin1, Windows1252, Latin9 };

// The character of a byte in an 8-bit encoding.
char16_t caracterDe8Bits(unsigned char b, CodificacaoDeTexto c);
// The byte for the character in an 8-bit encoding, or -1 when it has none.
int byteDe8Bits(char32_t u, CodificacaoDeTexto c);
// The encoding an XML declaration names, when it is one of those.
std::optional<CodificacaoDeTexto> codificacaoPeloNome(const QString& nome);
// Index of the first byte that does not start a valid UTF-8 sequence, or -1.
qsizetype primeiroByteInvalidoUtf8(const QByteArray& b);
