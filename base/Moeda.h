#pragma once

#include <QLocale>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <compare>
#include <optional>

struct LeituraDeMontante;

// A currency amount with four decimals, held exactly as a whole number of ten-thousandths, so
// that sums and prices never pick up binary floating-point error. Every order amount and
// quantity is a Moeda; a Recordset currency field holds QVariant::fromValue(Moeda).
// Arithmetic that would leave the 64-bit range raises Falha instead of wrapping.
class Moeda {
  public:
    static constexpr qint64 Escala = 10000;

    constexpr Moeda() = default;

    static constexpr Moeda deDezMilesimos(qint64 valor) { return Moeda(valor); }
    constexpr qint64 dezMilesimos() const { return valor_; }
    static Moeda deInteiro(qint64 inteiro);

    // Reads a decimal text by the locale's decimal and group separators and signs, without
    // passing through floating point; more than four decimals are rounded half away from zero.
    // Surrounding blanks are ignored. Group separators are taken only in the whole part and only
    // between groups of three digits, so "3,50" under a locale whose group separator is ","
    // does not read as 350. Where the locale groups with a blank (Portuguese), "." is taken as
    // the group separator as well ("1.234,5"). Gives nullopt for anything else and on
    // overflow.
    static std::optional<Moeda> deTexto(const QString& texto, const QLocale& locale = QLocale());

    // An amount of a web file, read exactly or not at all: by the regional settings (deTexto),
    // and refused as ambiguous when one of the two usual conventions ("1.234,5" and "1,234.5")
    // reads the same text as another number ("0.500" is a half or five hundred).
    static LeituraDeMontante lerExacto(const QString& texto, const QLocale& locale = QLocale());

    // An amount as a database column or the lines table holds it: a Moeda, a whole or floating
    // number, or a text in C's form. Anything else raises Falha naming origem, never a 0.
    static Moeda daColuna(const QVariant& valor, const QString& origem);

    // The locale's decimal separator and minus sign, no grouping, no trailing zeros
    // (Portuguese: 12.5 gives "12,5", 5 gives "5").
    QString paraTexto(const QLocale& locale = QLocale()) const;

    double paraDouble() const { return double(valor_) / double(Escala); }

    Moeda operator+(Moeda outra) const;
    Moeda operator-(Moeda outra) const;
    Moeda operator-() const;
    // Product rounded half away from zero to four decimals.
    Moeda operator*(Moeda outra) const;
    Moeda& operator+=(Moeda outra) { return *this = *this + outra; }
    Moeda& operator-=(Moeda outra) { return *this = *this - outra; }
    Moeda abs() const { return valor_ < 0 ? -*this : *this; }

    constexpr auto operator<=>(const Moeda&) const = default;

  private:
    constexpr explicit Moeda(qint64 valor) : valor_(valor) {}

    qint64 valor_ = 0;
};

// What Moeda::lerExacto made of a text.
struct LeituraDeMontante {
    enum Estado { Lido, Ilegivel, Ambiguo };
    Estado estado = Ilegivel;
    Moeda valor;       // Lido: the amount; Ambiguo: what the regional settings read
    Moeda outroValor;  // Ambiguo: what the other convention reads
};

Q_DECLARE_METATYPE(Moeda)
