#include <limits>

#include "platform/Falha.h"
#include "platform/Moeda.h"
#include "tests/apoio/Apoio.h"

TEST(Moeda, LeEEscrevePelaRegiao) {
    const QLocale pt(QLocale::Portuguese, QLocale::Portugal), c = QLocale::c();
    const struct {
        const char* texto;
        const QLocale& regiao;
        const char* lido;  // as written back in C; null: not an amount
    } casos[] = {
        // clang-format off
        // Portuguese: "," decimal, blank or "." grouping.
        {"12,5", pt, "12.5"}, {"1.234,5", pt, "1234.5"}, {"1 234,5", pt, "1234.5"},
        {"1\u00a0234\u00a0567", pt, "1234567"}, {"-0,25", pt, "-0.25"}, {"+7", pt, "7"},
        {"  2,75 ", pt, "2.75"}, {",5", pt, "0.5"}, {"5,", pt, "5"},
        // Rounded half away from zero at the fourth decimal.
        {"0,00005", pt, "0.0001"}, {"0,000049", pt, "0"}, {"-0,00005", pt, "-0.0001"},
        {"922337203685477,5807", pt, "922337203685477.5807"},
        {"-922337203685477,5808", pt, "-922337203685477.5808"},
        {"922337203685477,5808", pt, nullptr}, {"12.5", pt, nullptr}, {"1.23,4", pt, nullptr},
        {"1,2,3", pt, nullptr}, {"", pt, nullptr}, {"-", pt, nullptr}, {"1e3", pt, nullptr},
        {"12,5€", pt, nullptr},
        // C: "." decimal; a Portuguese amount does not pass as a grouped number.
        {"12.5", c, "12.5"}, {"1,234.5", c, "1234.5"}, {"3,50", c, nullptr}, {"1.234,5", c, nullptr},
        // clang-format on
    };
    for (const auto& caso : casos) {
        const std::optional<Moeda> m = Moeda::deTexto(QString::fromUtf8(caso.texto), caso.regiao);
        EXPECT_EQ(m ? m->paraTexto(c) : QString(), QString::fromUtf8(caso.lido)) << caso.texto;
    }
    EXPECT_EQ(Moeda::deDezMilesimos(12345670001).paraTexto(pt), u"1234567,0001"_s);
    QLocale::setDefault(pt);
    EXPECT_EQ(Moeda::deTexto(u"3,5"_s)->paraTexto(), u"3,5"_s);
    QLocale::setDefault(c);
}

TEST(Moeda, AritmeticaExactaEExcessoLevantado) {
    const Moeda a = Moeda::deDezMilesimos(12345);  // 1.2345
    const Moeda b = Moeda::deInteiro(3);
    EXPECT_EQ((a * b).dezMilesimos(), 37035);
    // 1.2345 x 1.2345 = 1.52399025, half away from zero on the fifth decimal.
    EXPECT_EQ((a * a).dezMilesimos(), 15240);
    EXPECT_EQ((-a * a).dezMilesimos(), -15240);
    EXPECT_EQ((Moeda::deDezMilesimos(-5) * Moeda::deDezMilesimos(5000)).dezMilesimos(), -3);
    EXPECT_EQ((Moeda::deInteiro(100'000'000'000) * Moeda::deDezMilesimos(5000)).dezMilesimos(),
              500'000'000'000'000);
    EXPECT_EQ(QVariant::fromValue(a).value<Moeda>(), a);
    const Moeda maximo = Moeda::deDezMilesimos(std::numeric_limits<qint64>::max());
    const Moeda minimo = Moeda::deDezMilesimos(std::numeric_limits<qint64>::min());
    EXPECT_THROW(maximo + Moeda::deDezMilesimos(1), Falha);
    EXPECT_THROW(minimo - Moeda::deDezMilesimos(1), Falha);
    EXPECT_THROW(-minimo, Falha);
    EXPECT_THROW(maximo * Moeda::deInteiro(2), Falha);
    EXPECT_THROW(Moeda::deInteiro(std::numeric_limits<qint64>::max()), Falha);
}
