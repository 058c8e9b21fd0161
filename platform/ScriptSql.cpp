#include "platform/ScriptSql.h"

#include <QRegularExpression>

#include "platform/Transaccao.h"
#include "platform/clsBd.h"

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
            qsizetype j = i + 1;
            while (j < n) {
                if (script[j] == c) {
                    if (j + 1 < n && script[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
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
