#include "platform/bd/SqlDialecto.h"

#include <QRegularExpression>
#include <QStringView>

namespace {

bool eCaracterDeNome(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Index just after the quoted literal or identifier that starts at i.
qsizetype saltarAspas(const QString& s, qsizetype i) {
    const QChar aspa = s[i];
    ++i;
    while (i < s.size()) {
        if (s[i] == aspa) {
            if (i + 1 < s.size() && s[i + 1] == aspa) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

// Removes the first "TOP (n)" or "TOP n" that follows a SELECT and places "LIMIT n" where that
// SELECT ends. Returns false when there is none left.
bool reescreverUmTop(QString& sql) {
    static const QRegularExpression top(
        QStringLiteral("\\s+TOP\\s*(?:\\(\\s*(\\d+)\\s*\\)|(\\d+))"),
        QRegularExpression::CaseInsensitiveOption);
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            if (c == QLatin1Char('[')) {
                const qsizetype fim = sql.indexOf(QLatin1Char(']'), i);
                i = fim < 0 ? sql.size() : fim;
            } else {
                i = saltarAspas(sql, i) - 1;
            }
            continue;
        }
        if ((c != QLatin1Char('s') && c != QLatin1Char('S')) ||
            sql.mid(i, 6).compare(QLatin1String("SELECT"), Qt::CaseInsensitive) != 0 ||
            (i > 0 && eCaracterDeNome(sql[i - 1])) ||
            (i + 6 < sql.size() && eCaracterDeNome(sql[i + 6])))
            continue;
        const QRegularExpressionMatch m = top.match(sql, i + 6, QRegularExpression::NormalMatch,
                                                    QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            continue;
        const QString limite = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        sql.remove(m.capturedStart(), m.capturedLength());
        // Find where this SELECT ends: the ")" that closes its depth, or the end of the text.
        int nivel = 0;
        qsizetype fim = sql.size();
        while (fim > 0 && (sql[fim - 1].isSpace() || sql[fim - 1] == QLatin1Char(';')))
            --fim;
        for (qsizetype j = i + 6; j < sql.size(); ++j) {
            const QChar d = sql[j];
            if (d == QLatin1Char('\'') || d == QLatin1Char('"')) {
                j = saltarAspas(sql, j) - 1;
                continue;
            }
            if (d == QLatin1Char('('))
                ++nivel;
            if (d == QLatin1Char(')') && nivel-- == 0) {
                fim = j;
                break;
            }
        }
        sql.insert(fim, QStringLiteral(" LIMIT ") + limite);
        return true;
    }
    return false;
}

}  // namespace

QString adaptarSqlParaSqlite(const QString& tsql) {
    QString sql = tsql;
    static const QRegularExpression nolock(QStringLiteral("\\s+WITH\\s*\\(\\s*NOLOCK\\s*\\)"),
                                           QRegularExpression::CaseInsensitiveOption);
    sql.replace(nolock, QString());

    // N'...' outside other literals.
    QString semN;
    semN.reserve(sql.size());
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype fim = saltarAspas(sql, i);
            semN += sql.mid(i, fim - i);
            i = fim - 1;
            continue;
        }
        if ((c == QLatin1Char('N') || c == QLatin1Char('n')) && i + 1 < sql.size() &&
            sql[i + 1] == QLatin1Char('\'') && (i == 0 || !eCaracterDeNome(sql[i - 1])))
            continue;
        semN += c;
    }
    sql = semN;

    while (reescreverUmTop(sql)) {
    }
    return sql;
}

QString citarNome(const QString& nome, DialectoSql dialecto) {
    QString n = nome;
    if (dialecto == DialectoSql::Sqlite) {
        n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + n + QLatin1Char('"');
    }
    n.replace(QLatin1Char(']'), QStringLiteral("]]"));
    return QLatin1Char('[') + n + QLatin1Char(']');
}

QStringList tabelasDaInstrucao(const QString& sql) {
    static const QRegularExpression re(QStringLiteral("\\b(?:FROM|JOIN)\\s+([A-Za-z_][\\w.]*)"),
                                       QRegularExpression::CaseInsensitiveOption);
    QStringList tabelas;
    auto it = re.globalMatch(sql);
    while (it.hasNext()) {
        const QString t = it.next().captured(1);
        if (!tabelas.contains(t, Qt::CaseInsensitive))
            tabelas.append(t);
    }
    return tabelas;
}
