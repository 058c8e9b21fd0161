#include <limits>

#include "base/Falha.h"
#include "base/Moeda.h"
#include "tests/apoio/Apoio.h"

// An amount of a web file under no regional settings (as cron starts programs), Portuguese and
// English ones: what it reads as, written back in C, or "?" when refused as ambiguous and ""
// when it does not read.
TEST(Moeda, LidoExactamenteOuRecusadoPorRegiao) {
    const QLocale c = QLocale::c(), pt(QLocale::Portuguese, QLocale::Portugal),
                  en(QLocale::English, QLocale::UnitedStates);
    const struct {
        const char* texto;
        const char *nenhuma, *portuguesa, *inglesa;
    } casos[] = {
        // clang-format off
        {"12",            "12",     "12",      "12"},
        {"7,95",          "",       "7.95",    ""},
        {"7.95",          "7.95",   "",        "7.95"},
        {"1.234,50",      "",       "1234.5",  ""},
        {"1 234,50",      "",       "1234.5",  ""},
        {"1\u00a0234,5",  "",       "1234.5",  ""},
        {"1,234.50",      "1234.5", "",        "1234.5"},
        {"0.500",         "?",      "?",       "?"},
        {"1.500",         "?",      "?",       "?"},
        {"2,500",         "?",      "?",       "?"},
        {"0,500",         "?",      "?",       "?"},
        {"2,50",          "",       "2.5",     ""},
        {"1.234.567",     "",       "1234567", ""},
        {" -0,25 ",       "",       "-0.25",   ""},
        {"+7",            "7",      "7",       "7"},
        {",5",            "",       "0.5",     ""},
        {"0,00005",       "",       "0.0001",  ""},  // half away from zero at the fifth decimal
        {"-0,00005",      "",       "-0.0001", ""},
        {"922337203685477,5807", "", "922337203685477.5807", ""},
        {"922337203685477,5808", "", "",       ""},  // beyond 64 bits
        {"1.23,4",        "",       "",        ""},
        {"1,2,3",         "",       "",        ""},
        {"1e3",           "",       "",        ""},
        {"12,5€",         "",       "",        ""},
        {"",              "",       "",        ""},
        {"-",             "",       "",        ""},
        // clang-format on
    };
    for (const auto& caso : casos) {
        const QString texto = QString::fromUtf8(caso.texto);
        for (const auto& [regiao, esperado] :
             {std::pair{c, caso.nenhuma}, std::pair{pt, caso.portuguesa},
              std::pair{en, caso.inglesa}}) {
            const LeituraDeMontante l = Moeda::lerExacto(texto, regiao);
            const QString lido = l.estado == LeituraDeMontante::Lido      ? l.valor.paraTexto(c)
                                 : l.estado == LeituraDeMontante::Ambiguo ? u"?"_s
                                                                          : QString();
            EXPECT_EQ(lido, QString::fromUtf8(esperado))
                << caso.texto << " " << regiao.name().toStdString();
        }
    }
    // Written back by the regional settings, as the voucher line's description shows it.
    EXPECT_EQ(Moeda::deDezMilesimos(12345670001).paraTexto(pt), u"1234567,0001"_s);
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
