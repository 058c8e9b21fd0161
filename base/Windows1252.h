#pragma once

#include <array>

// windows-1252, the single-byte text of Western European Windows: ISO-8859-1 but for the row
// 0x80-0x9F. The five bytes that row leaves unassigned map to the C1 controls, so every byte
// reads and writes back unchanged.
inline constexpr std::array<char16_t, 32> kWindows1252Linha80{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t caracterWindows1252(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? kWindows1252Linha80[b - 0x80] : char16_t(b);
}

// The byte of the character, or -1 when windows-1252 has none.
constexpr int byteWindows1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return int(u);
    for (int b = 0x80; b <= 0x9F; ++b)
        if (kWindows1252Linha80[b - 0x80] == u)
            return b;
    return -1;
}
