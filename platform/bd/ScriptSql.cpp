#include "platform/bd/ScriptSql.h"

#include <QRegularExpression>

#include "platform/bd/Transaccao.h"
#include "platform/bd/clsBd.h"

namespace {

// Where the literal opened by the quote at inicio closes (a doubled quote stands for itself
// inside it), or the end of the script when it never does.
qsizetype fimDoLiteral(const QString& script, qsizetype inicio) {
    const QChar aspa = script[inicio];
    const qsizetype n = script.size();
    for (qsizetype j = inicio + 1; j < n; ++j) {
        if (script[j] != aspa)
            continue;
        if (j + 1 < n && script[j + 1] == aspa)
            ++j;
        else
            return j;
    }
    return n;
}

}  // namespace

QStringList dividirScriptSql(const QString& script) {
    static const QRegularExpression gatilho(
        QStringLiteral("^\\s*CREATE\\s+(TEMP\\s+|TEMPORARY\\s+)?TRIGGER\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression fimDeBloco(QStringLiteral("\\bEND\\s*$"),
                                               QRegularExpression::CaseInsensitiveOption);
    QStringList instrucoes;
    QString actual;
    const qsizetype n = script.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = script[i];
        if (c == QLatin1Char('-') && i + 1 < n && script[i + 1] == QLatin1Char('-')) {
            while (i < n && script[i] != QLatin1Char('\n'))
                ++i;
            actual += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && script[i + 1] == QLatin1Char('*')) {
            const qsizetype fim = script.indexOf(QStringLiteral("*/"), i + 2);
            i = fim < 0 ? n : fim + 1;
            actual += QLatin1Char(' ');
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype j = fimDoLiteral(script, i);
            actual += script.mid(i, j - i + 1);
            i = j;
            continue;
        }
        if (c == QLatin1Char(';')) {
            if (gatilho.match(actual).hasMatch() &&
                !fimDeBloco.match(actual.trimmed()).hasMatch()) {
                actual += c;
                continue;
            }
            if (!actual.trimmed().isEmpty())
                instrucoes << actual.trimmed();
            actual.clear();
            continue;
        }
        actual += c;
    }
    if (!actual.trimmed().isEmpty())
        instrucoes << actual.trimmed();
    return instrucoes;
}

void executarScriptSql(clsBd& bd, const QString& script) {
    Transaccao transaccao(bd);
    for (const QString& instrucao : dividirScriptSql(script))
        bd.Executar(instrucao);
    transaccao.Confirmar();
}
