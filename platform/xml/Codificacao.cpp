#include "platform/xml/Codificacao.h"

#include <array>

#include "base/Windows1252.h"

namespace {

// Where ISO-8859-15 differs from ISO-8859-1.
constexpr std::array<std::pair<unsigned char, char16_t>, 8> latin9{{{0xA4, 0x20AC},
                                                                    {0xA6, 0x0160},
                                                                    {0xA8, 0x0161},
                                                                    {0xB4, 0x017D},
                                                                    {0xB8, 0x017E},
                                                                    {0xBC, 0x0152},
                                                                    {0xBD, 0x0153},
                                                                    {0xBE, 0x0178}}};

}  // namespace

char16_t caracterDe8Bits(unsigned char b, CodificacaoDeTexto c) {
    if (c == CodificacaoDeTexto::Windows1252)
        return caracterWindows1252(b);
    if (c == CodificacaoDeTexto::Latin9)
        for (const auto& [byte, caracter] : latin9)
            if (byte == b)
                return caracter;
    return b;
}

// The byte for the character in an 8-bit encoding, or -1 when it has none.
int byteDe8Bits(char32_t u, CodificacaoDeTexto c) {
    if (u < 0x80)
        return int(u);
    for (int b = 0x80; b <= 0xFF; ++b)
        if (caracterDe8Bits(static_cast<unsigned char>(b), c) == u)
            return b;
    return -1;
}

std::optional<CodificacaoDeTexto> codificacaoPeloNome(const QString& nome) {
    using C = CodificacaoDeTexto;
    const QString n = nome.toLower();
    for (const char* u : {"utf-8", "utf8", "us-ascii", "ascii"})
        if (n == QLatin1String(u))
            return C::Utf8;
    for (const char* l :
         {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "latin-1", "l1", "cp819", "ibm819"})
        if (n == QLatin1String(l))
            return C::Latin1;
    for (const char* w : {"windows-1252", "cp1252", "x-cp1252"})
        if (n == QLatin1String(w))
            return C::Windows1252;
    for (const char* l : {"iso-8859-15", "iso8859-15", "iso_8859-15", "latin-9", "latin9"})
        if (n == QLatin1String(l))
            return C::Latin9;
    return std::nullopt;
}

// Index of the first byte that does not start a valid UTF-8 sequence, or -1.
qsizetype primeiroByteInvalidoUtf8(const QByteArray& b) {
    const auto* d = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype n = b.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = d[i];
        int extra = 0;
        char32_t minimo = 0;
        char32_t u = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, minimo = 0x80, u = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, minimo = 0x800, u = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, minimo = 0x10000, u = c & 0x07;
        } else {
            return i;
        }
        if (i + extra >= n)
            return i;
        for (int k = 1; k <= extra; ++k) {
            if ((d[i + k] & 0xC0) != 0x80)
                return i;
            u = (u << 6) | (d[i + k] & 0x3F);
        }
        if (u < minimo || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF))
            return i;
        i += extra + 1;
    }
    return -1;
}
