#include "support/DataRegional.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Rewrites a locale date or time format so that it accepts one or two digits for days, months
// and hours, with the year written with `digitosDoAno` digits. Quoted literals are kept.
QString formatoTolerante(const QString& formato, int digitosDoAno) {
    QString r;
    for (qsizetype i = 0; i < formato.size();) {
        const QChar c = formato.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype fim = formato.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype ate = fim < 0 ? formato.size() : fim + 1;
            r += formato.mid(i, ate - i);
            i = ate;
            continue;
        }
        qsizetype n = 1;
        while (i + n < formato.size() && formato.at(i + n) == c)
            ++n;
        const bool numeroCurto = n <= 2 && (c == QLatin1Char('d') || c == QLatin1Char('M') ||
                                            c == QLatin1Char('H') || c == QLatin1Char('h'));
        if (numeroCurto)
            r += c;
        else if (c == QLatin1Char('y'))
            r += QString(digitosDoAno, QLatin1Char('y'));
        else
            r += formato.mid(i, n);
        i += n;
    }
    return r;
}

QDate comAnoDeDoisDigitos(QDate d) {
    // The parser puts two-digit years in the 1900s.
    const int aa = d.year() - 1900;
    return aa < 30 ? d.addYears(100) : d;
}

// Whether the locale's short date puts the day first, then the month, then the year.
bool diaMesAno(const QString& formato) {
    QString ordem;
    bool citado = false;
    for (const QChar c : formato) {
        if (c == QLatin1Char('\''))
            citado = !citado;
        else if (!citado &&
                 (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) &&
                 !ordem.contains(c))
            ordem += c;
    }
    return ordem == QLatin1String("dMy");
}

// Day, month and year separated by "/", "-" or "." (the same twice), with two or four digits
// for the year, alone or followed by a time: the ways a date is written where the short date
// is day-month-year, the program's own "dd-mm-yyyy" among them.
std::optional<QDateTime> lerDiaMesAno(const QString& t) {
    static const QRegularExpression forma(QStringLiteral(
        R"(^(\d{1,2})([/.-])(\d{1,2})\2(\d{2}|\d{4})(?: +(\d{1,2}):(\d{2})(?::(\d{2}))?)?$)"));
    const QRegularExpressionMatch m = forma.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    int ano = m.captured(4).toInt();
    if (m.captured(4).size() == 2)
        ano += ano < 30 ? 2000 : 1900;
    const QDate data(ano, m.captured(3).toInt(), m.captured(1).toInt());
    const QTime hora = m.captured(5).isEmpty() ? QTime(0, 0)
                                               : QTime(m.captured(5).toInt(), m.captured(6).toInt(),
                                                       m.captured(7).toInt());
    if (!data.isValid() || !hora.isValid())
        return std::nullopt;
    return QDateTime(data, hora);
}

}  // namespace

std::optional<QDateTime> lerDataRegional(const QString& texto, const QLocale& locale) {
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return std::nullopt;

    for (const Qt::DateFormat iso : {Qt::ISODateWithMs, Qt::ISODate}) {
        const QDateTime dt = QDateTime::fromString(t, iso);
        if (dt.isValid())
            return dt;
    }

    const QString curta = locale.dateFormat(QLocale::ShortFormat);
    if (diaMesAno(curta))
        if (std::optional<QDateTime> dt = lerDiaMesAno(t))
            return dt;
    QStringList horas{formatoTolerante(locale.timeFormat(QLocale::ShortFormat), 4),
                      QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")};
    horas.removeDuplicates();
    for (const int digitos : {2, 4}) {
        const QString data = formatoTolerante(curta, digitos);
        QDateTime dt;
        if (const QDate d = locale.toDate(t, data); d.isValid()) {
            dt = QDateTime(d, QTime(0, 0));
        } else {
            for (const QString& hora : horas) {
                dt = locale.toDateTime(t, data + QLatin1Char(' ') + hora);
                if (dt.isValid())
                    break;
            }
        }
        if (!dt.isValid())
            continue;
        if (digitos == 2)
            dt.setDate(comAnoDeDoisDigitos(dt.date()));
        return dt;
    }
    return std::nullopt;
}
