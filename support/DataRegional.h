#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// Reads a date as the workstation writes it: the locale's short date, alone or followed by a
// time ("15/03/26", "15/03/2026 14:30", "15/03/2026 14:30:05" in Portuguese), or ISO 8601
// ("2026-03-15", "2026-03-15T14:30:05"). Where the short date is day-month-year, also with "-"
// or "." between the parts ("15-03-2026", "15.03.26 14:30"). Days and months may have one or two
// digits; a two-digit year 00 to 29 is 2000 to 2029 and 30 to 99 is 1930 to 1999. Gives nullopt
// for anything else.
std::optional<QDateTime> lerDataRegional(const QString& texto, const QLocale& locale = QLocale());
