#include <gtest/gtest.h>

#include <QLocale>
#include <QVariant>
#include <limits>

#include "platform/Falha.h"
#include "platform/Moeda.h"

namespace {

const QLocale pt(QLocale::Portuguese, QLocale::Portugal);
const QLocale c = QLocale::c();

struct Leitura {
    const char* texto;
    const QLocale* locale;
    std::optional<qint64> dezMilesimos;
};

void PrintTo(const Leitura& l, std::ostream* os) {
    *os << '"' << l.texto << "\" " << l.locale->name().toStdString();
}

class MoedaLeitura : public testing::TestWithParam<Leitura> {};

TEST_P(MoedaLeitura, LeTextoPelaRegiao) {
    const Leitura& l = GetParam();
    const std::optional<Moeda> m = Moeda::deTexto(QString::fromUtf8(l.texto), *l.locale);
    ASSERT_EQ(m.has_value(), l.dezMilesimos.has_value()) << l.texto;
    if (m) {
        EXPECT_EQ(m->dezMilesimos(), *l.dezMilesimos) << l.texto;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Textos, MoedaLeitura,
    testing::Values(
        // Portuguese: "," decimal, blank or "." grouping.
        Leitura{"12,5", &pt, 125000}, Leitura{"3,50", &pt, 35000}, Leitura{"5", &pt, 50000},
        Leitura{"1.234,5", &pt, 12345000}, Leitura{"1 234,5", &pt, 12345000},
        Leitura{"1\u00a0234\u00a0567", &pt, 12345670000}, Leitura{"-0,25", &pt, -2500},
        Leitura{"+7", &pt, 70000}, Leitura{"  2,75 ", &pt, 27500}, Leitura{",5", &pt, 5000},
        Leitura{"5,", &pt, 50000}, Leitura{"0,00005", &pt, 1}, Leitura{"0,000049", &pt, 0},
        Leitura{"-0,00005", &pt, -1}, Leitura{"2,99995", &pt, 30000},
        Leitura{"12.5", &pt, std::nullopt}, Leitura{"1.23,4", &pt, std::nullopt},
        Leitura{"1,2,3", &pt, std::nullopt}, Leitura{"abc", &pt, std::nullopt},
        Leitura{"", &pt, std::nullopt}, Leitura{"-", &pt, std::nullopt},
        Leitura{"1e3", &pt, std::nullopt}, Leitura{"12,5€", &pt, std::nullopt},
        // C: "." decimal; a Portuguese amount does not pass silently as a grouped number.
        Leitura{"12.5", &c, 125000}, Leitura{"3,50", &c, std::nullopt},
        Leitura{"1,234.5", &c, 12345000}, Leitura{"1.234,5", &c, std::nullopt},
        // Range: the extremes read, one past them does not.
        Leitura{"922337203685477,5807", &pt, std::numeric_limits<qint64>::max()},
        Leitura{"-922337203685477,5808", &pt, std::numeric_limits<qint64>::min()},
        Leitura{"922337203685477,5808", &pt, std::nullopt},
        Leitura{"99999999999999999999999", &pt, std::nullopt}));

TEST(Moeda, EscreveSemZerosNemAgrupamento) {
    EXPECT_EQ(Moeda::deDezMilesimos(125000).paraTexto(pt), QStringLiteral("12,5"));
    EXPECT_EQ(Moeda::deInteiro(5).paraTexto(pt), QStringLiteral("5"));
    EXPECT_EQ(Moeda::deDezMilesimos(-2500).paraTexto(pt), QStringLiteral("-0,25"));
    EXPECT_EQ(Moeda::deDezMilesimos(12345670001).paraTexto(pt), QStringLiteral("1234567,0001"));
    EXPECT_EQ(Moeda::deDezMilesimos(125000).paraTexto(c), QStringLiteral("12.5"));
    EXPECT_EQ(Moeda().paraTexto(pt), QStringLiteral("0"));
    const Moeda minimo = Moeda::deDezMilesimos(std::numeric_limits<qint64>::min());
    EXPECT_EQ(minimo.paraTexto(c), QStringLiteral("-922337203685477.5808"));
    EXPECT_EQ(Moeda::deTexto(minimo.paraTexto(pt), pt), minimo);
}

TEST(Moeda, UsaARegiaoPorOmissao) {
    const QLocale anterior;
    QLocale::setDefault(pt);
    const std::optional<Moeda> m = Moeda::deTexto(QStringLiteral("3,5"));
    const QString texto = Moeda::deDezMilesimos(35000).paraTexto();
    QLocale::setDefault(anterior);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->dezMilesimos(), 35000);
    EXPECT_EQ(texto, QStringLiteral("3,5"));
}

TEST(Moeda, Aritmetica) {
    const Moeda a = Moeda::deDezMilesimos(12345);  // 1.2345
    const Moeda b = Moeda::deInteiro(3);
    EXPECT_EQ((a + b).dezMilesimos(), 42345);
    EXPECT_EQ((a - b).dezMilesimos(), -17655);
    EXPECT_EQ((-a).dezMilesimos(), -12345);
    EXPECT_EQ((a - b).abs().dezMilesimos(), 17655);
    EXPECT_EQ((a * b).dezMilesimos(), 37035);
    // 1.2345 x 1.2345 = 1.52399025, half away from zero on the fifth decimal.
    EXPECT_EQ((a * a).dezMilesimos(), 15240);
    EXPECT_EQ((-a * a).dezMilesimos(), -15240);
    EXPECT_EQ((Moeda::deDezMilesimos(5) * Moeda::deDezMilesimos(5000)).dezMilesimos(), 3);
    EXPECT_EQ((Moeda::deDezMilesimos(-5) * Moeda::deDezMilesimos(5000)).dezMilesimos(), -3);
    // Large values multiply exactly through the wide intermediate.
    const Moeda grande = Moeda::deInteiro(100'000'000'000);
    EXPECT_EQ((grande * Moeda::deDezMilesimos(5000)).dezMilesimos(), 500'000'000'000'000);
    EXPECT_LT(a, b);
    EXPECT_EQ(Moeda::deInteiro(2), Moeda::deDezMilesimos(20000));
    EXPECT_DOUBLE_EQ(a.paraDouble(), 1.2345);
}

TEST(Moeda, ExcessoDeCapacidadeELevantado) {
    const Moeda maximo = Moeda::deDezMilesimos(std::numeric_limits<qint64>::max());
    const Moeda minimo = Moeda::deDezMilesimos(std::numeric_limits<qint64>::min());
    EXPECT_THROW(maximo + Moeda::deDezMilesimos(1), Falha);
    EXPECT_THROW(minimo - Moeda::deDezMilesimos(1), Falha);
    EXPECT_THROW(-minimo, Falha);
    EXPECT_THROW(maximo * Moeda::deInteiro(2), Falha);
    EXPECT_THROW(Moeda::deInteiro(std::numeric_limits<qint64>::max()), Falha);
}

TEST(Moeda, CabeNumQVariant) {
    const QVariant v = QVariant::fromValue(Moeda::deDezMilesimos(35000));
    ASSERT_TRUE(v.canConvert<Moeda>());
    EXPECT_EQ(v.value<Moeda>().dezMilesimos(), 35000);
    EXPECT_EQ(v, QVariant::fromValue(Moeda::deInteiro(3) + Moeda::deDezMilesimos(5000)));
}

}  // namespace
