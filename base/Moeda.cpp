#include "base/Moeda.h"

#include <QVariant>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "base/Falha.h"

namespace {

// 128-bit intermediates keep overflow visible instead of wrapping.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

[[noreturn]] void excesso(const char* operacao) {
    throw Falha(
        Falha::ExcessoDeCapacidade,
        QStringLiteral("Excesso de capacidade no montante (%1)").arg(QLatin1String(operacao)));
}

bool eSeparadorBranco(const QString& s) {
    return s.size() == 1 && s.at(0).isSpace();
}

// The group separators a text may use under the locale.
QStringList separadoresDeGrupo(const QLocale& locale) {
    if (locale.numberOptions() & QLocale::RejectGroupSeparator)
        return {};
    QStringList grupos{locale.groupSeparator()};
    if (eSeparadorBranco(locale.groupSeparator())) {
        // Blanks are typed as plain or non-breaking spaces alike; where the decimal separator is
        // "," people still write thousands with ".".
        grupos << QStringLiteral(" ") << QString(QChar(0x00A0)) << QString(QChar(0x202F));
        if (locale.decimalPoint() == QLatin1String(","))
            grupos << QStringLiteral(".");
    }
    grupos.removeAll(locale.decimalPoint());
    grupos.removeAll(QString());
    return grupos;
}

// Length of the separator from the list that starts at pos, or 0.
qsizetype separadorEm(const QString& s, qsizetype pos, const QStringList& separadores) {
    for (const QString& sep : separadores)
        if (QStringView(s).mid(pos).startsWith(sep))
            return sep.size();
    return 0;
}

// The sign a text starts with: the locale's, or a plain "-" or "+".
struct Sinal {
    bool negativo = false;
    qsizetype tamanho = 0;
};

// What a locale writes numbers with, found once for the locale in use: amounts are read by the
// thousand, and a locale's symbols are costly to ask for.
struct Simbolos {
    QLocale locale;
    QString decimal;
    QString menos;
    QString mais;
    QStringList grupos;
};

const Simbolos& simbolosDe(const QLocale& locale) {
    // An amount is read by the regional settings and by the two usual conventions: three
    // locales take turns.
    thread_local std::array<std::optional<Simbolos>, 4> memo;
    thread_local std::size_t proximo = 0;
    for (const std::optional<Simbolos>& s : memo)
        if (s && s->locale == locale)
            return *s;
    std::optional<Simbolos>& novo = memo[proximo++ % memo.size()];
    novo = Simbolos{locale, locale.decimalPoint(), locale.negativeSign(), locale.positiveSign(),
                    separadoresDeGrupo(locale)};
    return *novo;
}

Sinal sinalNoInicio(const QString& s, const Simbolos& simbolos) {
    const QString& menos = simbolos.menos;
    const QString& mais = simbolos.mais;
    if (!menos.isEmpty() && s.startsWith(menos))
        return {true, menos.size()};
    if (s.startsWith(QLatin1Char('-')))
        return {true, 1};
    if (!mais.isEmpty() && s.startsWith(mais))
        return {false, mais.size()};
    if (s.startsWith(QLatin1Char('+')))
        return {false, 1};
    return {};
}

}  // namespace

Moeda Moeda::deInteiro(qint64 inteiro) {
    qint64 r = 0;
    if (__builtin_mul_overflow(inteiro, Escala, &r))
        excesso("conversão");
    return Moeda(r);
}

std::optional<Moeda> Moeda::deTexto(const QString& texto, const QLocale& locale) {
    const QString s = texto.trimmed();
    const Simbolos& simbolos = simbolosDe(locale);
    const Sinal sinal = sinalNoInicio(s, simbolos);
    const bool negativo = sinal.negativo;
    qsizetype pos = sinal.tamanho;

    const QString& decimal = simbolos.decimal;
    const QStringList& grupos = simbolos.grupos;
    // The magnitude in ten-thousandths, kept beyond 64 bits so overflow is seen, not wrapped.
    constexpr UInt128 limite = UInt128(std::numeric_limits<qint64>::max()) + 1;
    UInt128 inteiro = 0;
    int digitos = 0;
    int digitosNoGrupo = 0;
    bool agrupado = false;

    while (pos < s.size()) {
        const QChar c = s.at(pos);
        if (c.isDigit()) {
            inteiro = inteiro * 10 + unsigned(c.digitValue());
            if (inteiro > limite)
                return std::nullopt;
            ++digitos;
            ++digitosNoGrupo;
            ++pos;
            continue;
        }
        if (QStringView(s).mid(pos).startsWith(decimal))
            break;
        const qsizetype sep = separadorEm(s, pos, grupos);
        if (sep == 0)
            return std::nullopt;
        // A separator closes a group: the first of 1 to 3 digits, the others of exactly 3.
        if (digitosNoGrupo == 0 || digitosNoGrupo > 3 || (agrupado && digitosNoGrupo != 3))
            return std::nullopt;
        agrupado = true;
        digitosNoGrupo = 0;
        pos += sep;
    }
    if (agrupado && digitosNoGrupo != 3)
        return std::nullopt;

    UInt128 fraccao = 0;
    int casas = 0;
    bool arredondarParaCima = false;
    if (pos < s.size()) {
        pos += decimal.size();
        for (; pos < s.size(); ++pos) {
            const QChar c = s.at(pos);
            if (!c.isDigit())
                return std::nullopt;
            ++digitos;
            if (casas < 4)
                fraccao = fraccao * 10 + unsigned(c.digitValue());
            else if (casas == 4)
                arredondarParaCima = c.digitValue() >= 5;
            ++casas;
        }
    }
    if (digitos == 0)
        return std::nullopt;
    for (int i = casas; i < 4; ++i)
        fraccao *= 10;

    UInt128 magnitude = inteiro * Escala + fraccao + (arredondarParaCima ? 1 : 0);
    if (magnitude > limite || (!negativo && magnitude == limite))
        return std::nullopt;
    if (negativo)
        return Moeda(magnitude == limite ? std::numeric_limits<qint64>::min() : -qint64(magnitude));
    return Moeda(qint64(magnitude));
}

LeituraDeMontante Moeda::lerExacto(const QString& texto, const QLocale& locale) {
    LeituraDeMontante r;
    const std::optional<Moeda> regional = deTexto(texto, locale);
    if (!regional)
        return r;
    r.estado = LeituraDeMontante::Lido;
    r.valor = *regional;
    // "," decimal with "." or blank grouping, and "." decimal with "," grouping.
    static const QLocale virgula(QLocale::Portuguese, QLocale::Portugal);
    for (const QLocale& convencao : {virgula, QLocale::c()}) {
        const std::optional<Moeda> outro = deTexto(texto, convencao);
        if (outro && *outro != *regional) {
            r.estado = LeituraDeMontante::Ambiguo;
            r.outroValor = *outro;
            break;
        }
    }
    return r;
}

Moeda Moeda::daColuna(const QVariant& v, const QString& origem) {
    if (v.metaType() == QMetaType::fromType<Moeda>())
        return v.value<Moeda>();
    switch (v.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return Moeda::deInteiro(v.toLongLong());
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble() * double(Moeda::Escala);
            if (std::isfinite(d) && std::abs(d) < 9.2e18)
                return Moeda::deDezMilesimos(std::llround(d));
            break;
        }
        case QMetaType::QString:
            if (auto m = Moeda::deTexto(v.toString(), QLocale::c()))
                return *m;
            break;
        default:
            break;
    }
    throw Falha(Falha::TipoIncompativel,
                QStringLiteral("O valor '%1' de %2 não é uma quantia").arg(v.toString(), origem));
}

QString Moeda::paraTexto(const QLocale& locale) const {
    const quint64 magnitude = valor_ < 0 ? quint64(0) - quint64(valor_) : quint64(valor_);
    QString texto = QString::number(magnitude / quint64(Escala));
    if (const quint64 fraccao = magnitude % quint64(Escala); fraccao != 0) {
        QString casas = QStringLiteral("%1").arg(fraccao, 4, 10, QLatin1Char('0'));
        while (casas.endsWith(QLatin1Char('0')))
            casas.chop(1);
        texto += locale.decimalPoint() + casas;
    }
    if (valor_ < 0)
        texto.prepend(locale.negativeSign());
    return texto;
}

Moeda Moeda::operator+(Moeda outra) const {
    qint64 r = 0;
    if (__builtin_add_overflow(valor_, outra.valor_, &r))
        excesso("soma");
    return Moeda(r);
}

Moeda Moeda::operator-(Moeda outra) const {
    qint64 r = 0;
    if (__builtin_sub_overflow(valor_, outra.valor_, &r))
        excesso("subtracção");
    return Moeda(r);
}

Moeda Moeda::operator-() const {
    if (valor_ == std::numeric_limits<qint64>::min())
        excesso("simétrico");
    return Moeda(-valor_);
}

Moeda Moeda::operator*(Moeda outra) const {
    const Int128 produto = Int128(valor_) * outra.valor_;
    const Int128 magnitude = produto < 0 ? -produto : produto;
    Int128 r = (magnitude + Escala / 2) / Escala;
    if (produto < 0)
        r = -r;
    if (r > std::numeric_limits<qint64>::max() || r < std::numeric_limits<qint64>::min())
        excesso("produto");
    return Moeda(qint64(r));
}
