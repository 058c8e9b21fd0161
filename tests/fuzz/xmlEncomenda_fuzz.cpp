// Reads arbitrary bytes as an order file, and as an amount and a date under several regional
// settings. An order that reads must take its document identity (ActualizarXML) with the rest
// of the file unchanged, and then read the same, now marked as written.
#include <QFile>
#include <QLocale>
#include <array>

#include "base/Moeda.h"
#include "orders/xmlEncomenda.h"
#include "support/DataRegional.h"
#include "tests/fuzz/Comum.h"

namespace {

const std::array<QLocale, 6>& regioes() {
    static const std::array<QLocale, 6> r{
        localPortugues(),
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Switzerland),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Arabic, QLocale::Egypt),
    };
    return r;
}

// Short inputs are also amounts and dates: an amount that reads is written and read back the
// same.
void montantesEDatas(const uint8_t* dados, size_t tamanho) {
    if (tamanho > 96)
        return;
    const QString texto =
        QString::fromUtf8(reinterpret_cast<const char*>(dados), qsizetype(tamanho));
    for (size_t i = 0; i < regioes().size(); ++i) {
        const QLocale& regiao = regioes()[i];
        if (const std::optional<Moeda> m = Moeda::deTexto(texto, regiao)) {
            const QString escrito = m->paraTexto(regiao);
            const std::optional<Moeda> volta = Moeda::deTexto(escrito, regiao);
            if (!volta || *volta != *m)
                quebrou("an amount does not read back as written",
                        QStringLiteral("%1: \"%2\" -> \"%3\"").arg(regiao.name(), texto, escrito));
        }
        if (i < 3)
            (void)lerDataRegional(texto, regiao);
    }
}

// Everything the reading gives, as text.
QString lida(const xmlEncomenda& e) {
    QStringList r{e.IdCliente,
                  e.CodEmpresa,
                  e.Observacoes,
                  e.Data.toString(Qt::ISODateWithMs),
                  QString::number(e.Idencomenda),
                  QString::number(e.Contacto)};
    for (const Moeda& m : {e.SubTotal, e.EcoValor, e.Portes, e.Total, e.voucher, e.TotalFinal})
        r << QString::number(m.dezMilesimos());
    Recordset rs = *e.RsLinha;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        for (int i = 0; i < rs.fieldCount(); ++i)
            r << (rs.value(i).isNull() ? QStringLiteral("~")
                  : rs.field(i).type == FieldType::Currency
                      ? QString::number(rs.value(i).value<Moeda>().dezMilesimos())
                      : rs.value(i).toString());
    return r.join(QChar(0x1F));
}

QByteArray lerBytes(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        quebrou("the order file went missing", caminho);
    return f.readAll();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(localPortugues());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    montantesEDatas(dados, tamanho);

    const QString ficheiro = gravarEntrada("encomenda.xml", dados, tamanho);
    xmlEncomenda e;
    e.FicheiroXML = ficheiro;
    if (!e.GetEncomenda()) {
        if (e.UltimoErro.isEmpty())
            quebrou("GetEncomenda failed without saying why");
        return 0;
    }
    const QString antes = lida(e);

    if (!e.ActualizarXML(QStringLiteral("FA"), 2147483647, 3, 2026, QStringLiteral("C<&>\r]]>'\""),
                         QStringLiteral("{0F8FAD5B-D9CB-469F-A165-70867728950E}")))
        quebrou("an order that reads cannot take its document identity", e.UltimoErro);

    // The block went in at one place and nothing else moved, but for the "/>" of an empty ENC
    // (at most four bytes, in UTF-16).
    const QByteArray original(reinterpret_cast<const char*>(dados), qsizetype(tamanho));
    const QByteArray actual = lerBytes(ficheiro);
    qsizetype inicio = 0;
    while (inicio < original.size() && inicio < actual.size() && original[inicio] == actual[inicio])
        ++inicio;
    qsizetype fim = 0;
    while (fim < original.size() - inicio && fim < actual.size() - inicio &&
           original[original.size() - 1 - fim] == actual[actual.size() - 1 - fim])
        ++fim;
    if (actual.size() <= original.size() || original.size() - inicio - fim > 4)
        quebrou("ActualizarXML changed the file beyond its block");

    if (!e.GetEncomenda())
        quebrou("an order file does not read after ActualizarXML", e.UltimoErro);
    if (!e.JaGravada)
        quebrou("the document identity written is not seen when read");
    if (lida(e) != antes)
        quebrou("the order reads differently after ActualizarXML");
    return 0;
}
