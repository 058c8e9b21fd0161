#include "support/DataRegional.h"
#include "tests/apoio/Apoio.h"

TEST(DataRegional, LePelaRegiaoOuIso) {
    const QLocale pt(QLocale::Portuguese, QLocale::Portugal),
        c = QLocale::c(), us(QLocale::English, QLocale::UnitedStates);
    const struct {
        const char* texto;
        const QLocale& regiao;
        const char* esperado;  // ISO, or null when it is not a date
    } casos[] = {
        // clang-format off
        {"15/03/2026", pt, "2026-03-15T00:00:00"}, {"15-03-26", pt, "2026-03-15T00:00:00"},
        {"1.2.99", pt, "1999-02-01T00:00:00"}, {"5-3-2029 9:05", pt, "2029-03-05T09:05:00"},
        {"15.03.1930 14:30:05", pt, "1930-03-15T14:30:05"}, {" 2026-03-15 ", pt, "2026-03-15T00:00:00"},
        {"2026-03-15T14:30:05", c, "2026-03-15T14:30:05"}, {"3/15/2026 2:30 PM", us, "2026-03-15T14:30:00"},
        {"15/03/2026", us, nullptr}, {"", pt, nullptr}, {"5 12 2026", pt, nullptr},
        {"15-03.2026", pt, nullptr}, {"31.02.2026", pt, nullptr}, {"15/03/2026 25:00", pt, nullptr},
        {"amanhã", pt, nullptr},
        // clang-format on
    };
    for (const auto& caso : casos) {
        const std::optional<QDateTime> d =
            lerDataRegional(QString::fromUtf8(caso.texto), caso.regiao);
        EXPECT_EQ(d ? d->toString(Qt::ISODate) : QString(), QString::fromUtf8(caso.esperado))
            << caso.texto;
    }
}
