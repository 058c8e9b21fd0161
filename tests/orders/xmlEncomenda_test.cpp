#include <gtest/gtest.h>

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QLocale>

#include "orders/xmlEncomenda.h"
#include "platform/FicheiroXml.h"
#include "support/DataRegional.h"
#include "tests/apoio/Apoio.h"

namespace {

const QLocale pt(QLocale::Portuguese, QLocale::Portugal);

QString dados(const char* nome) {
    return QStringLiteral(MARELO_TEST_DATA "/xml/") + QLatin1String(nome);
}

Moeda m(const char* texto) {
    return *Moeda::deTexto(QString::fromUtf8(texto), QLocale::c());
}

// The workstation's regional settings for the test, restored afterwards.
class ComRegiao : public testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(pt); }
    void TearDown() override { QLocale::setDefault(anterior_); }
    void usar(const QLocale& l) { QLocale::setDefault(l); }

    Espaco espaco;

  private:
    QLocale anterior_;
};

// An order file with its number and the given ENC children (a number among them replaces it).
QByteArray encomenda(const QByteArray& filhos) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ENCOMENDAS><ENC><IDENCOMENDA>1"
           "</IDENCOMENDA>" +
           filhos + "</ENC></ENCOMENDAS>\n";
}

// The rows of the lines table as text, for whole-table comparisons; null shows as "~".
QStringList linhas(Recordset rs) {
    QStringList r;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList campos;
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const QVariant v = rs.value(i);
            campos << (v.isNull() ? QStringLiteral("~")
                       : v.canConvert<Moeda>() && rs.field(i).type == FieldType::Currency
                           ? v.value<Moeda>().paraTexto(QLocale::c())
                           : v.toString());
        }
        r << campos.join(QLatin1Char('|'));
    }
    return r;
}

using xmlEncomendaLeitura = ComRegiao;

TEST_F(xmlEncomendaLeitura, TabelaDeLinhasTemOsSeisCampos) {
    xmlEncomenda e;
    const QList<std::tuple<QString, FieldType, int>> esperado{
        {QStringLiteral("Artigo"), FieldType::Text, 15},
        {QStringLiteral("Descrição"), FieldType::Text, 80},
        {QStringLiteral("Qtd"), FieldType::Currency, 0},
        {QStringLiteral("Preço"), FieldType::Currency, 0},
        {QStringLiteral("Desconto"), FieldType::Currency, 0},
        {QStringLiteral("DescontoTXT"), FieldType::Text, 25}};
    ASSERT_EQ(e.RsLinha->fieldCount(), esperado.size());
    for (int i = 0; i < e.RsLinha->fieldCount(); ++i) {
        EXPECT_EQ(e.RsLinha->field(i).name, std::get<0>(esperado[i]));
        EXPECT_EQ(e.RsLinha->field(i).type, std::get<1>(esperado[i]));
        if (std::get<1>(esperado[i]) == FieldType::Text) {
            EXPECT_EQ(e.RsLinha->field(i).definedSize, std::get<2>(esperado[i]));
        }
    }
    EXPECT_TRUE(e.RsLinha->isOpen());
    EXPECT_EQ(e.RsLinha->recordCount(), 0);
}

TEST_F(xmlEncomendaLeitura, EncomendaCompleta) {
    xmlEncomenda e;
    e.FicheiroXML = dados("encomenda.xml");
    ASSERT_TRUE(e.GetEncomenda()) << e.UltimoErro.toStdString();
    EXPECT_TRUE(e.UltimoErro.isEmpty());
    EXPECT_EQ(e.Idencomenda, 1042);
    EXPECT_EQ(e.IdCliente, QStringLiteral("C0007"));
    EXPECT_EQ(e.CodEmpresa, QStringLiteral("QF"));
    EXPECT_FALSE(e.Contacto);
    EXPECT_EQ(e.Data, QDateTime(QDate(2026, 3, 15), QTime(14, 30)));
    EXPECT_EQ(e.Observacoes, QStringLiteral("Entregar à tarde & ligar antes"));
    EXPECT_EQ(e.SubTotal, m("1234.5"));
    EXPECT_EQ(e.EcoValor, m("0.1"));
    EXPECT_EQ(e.Portes, m("3.5"));
    EXPECT_EQ(e.Total, m("1238.1"));
    EXPECT_EQ(e.voucher, m("5"));
    EXPECT_EQ(e.TotalFinal, m("1233.1"));
    EXPECT_FALSE(e.JaGravada);
    EXPECT_TRUE(e.Avisos.isEmpty());
    // Two LINHA in file order; the LINHAECO and the comment between them are skipped; a
    // PRECO with an empty text is 0, a missing DESCONTO stays null.
    EXPECT_EQ(
        linhas(*e.RsLinha),
        QStringList({QStringLiteral("ART001|Azeite Virgem Extra 0,75 l|2|12.5|10|Promoção -10%"),
                     QStringLiteral("ART002|Pão de Ló|1.5|0|~|~")}));
}

TEST_F(xmlEncomendaLeitura, MontantesDasLinhas) {
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(
        QStringLiteral("e.xml"),
        encomenda("<LINHAS><LINHA><CODIGO>A</CODIGO><QUANTIDADE>1</QUANTIDADE><PRECO>2,5"
                  "</PRECO></LINHA><LINHA><CODIGO>B</CODIGO><QUANTIDADE/><PRECO></PRECO></LINHA>"
                  "<LINHA><CODIGO>C</CODIGO><PRECO>grátis</PRECO><QUANTIDADE> 3,5 </QUANTIDADE>"
                  "</LINHA></LINHAS>"));
    ASSERT_TRUE(e.GetEncomenda()) << e.UltimoErro.toStdString();
    EXPECT_EQ(linhas(*e.RsLinha),
              QStringList({QStringLiteral("A|~|1|2.5|~|~"), QStringLiteral("B|~|0|0|~|~"),
                           QStringLiteral("C|~|3.5|0|~|~")}));
    // The text that did not convert reads as 0, but is reported with file and element.
    ASSERT_EQ(e.Avisos.size(), 1);
    EXPECT_TRUE(e.Avisos[0].contains(QStringLiteral("\"grátis\"")));
    EXPECT_TRUE(e.Avisos[0].contains(QStringLiteral("PRECO da linha 3")));
    EXPECT_TRUE(e.Avisos[0].contains(QDir::toNativeSeparators(e.FicheiroXML)));
}

TEST_F(xmlEncomendaLeitura, MontantesPelaRegiao) {
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"),
                                    encomenda("<PORTES>3,50</PORTES><SUBTOTAL>1.234,5</SUBTOTAL>"
                                              "<VOUCHER></VOUCHER><TOTAL>-2,25</TOTAL>"));
    ASSERT_TRUE(e.GetEncomenda());
    EXPECT_EQ(e.Portes, m("3.5"));
    EXPECT_EQ(e.SubTotal, m("1234.5"));
    EXPECT_EQ(e.voucher, Moeda());
    EXPECT_EQ(e.Total, m("-2.25"));
    EXPECT_TRUE(e.Avisos.isEmpty());

    // Started without regional settings (as by a scheduler), a Portuguese amount does not read,
    // and that is reported rather than silently taken as 0 or as 350.
    usar(QLocale::c());
    ASSERT_TRUE(e.GetEncomenda());
    EXPECT_EQ(e.Portes, Moeda());
    EXPECT_EQ(e.SubTotal, Moeda());
    ASSERT_EQ(e.Avisos.size(), 3);
    EXPECT_TRUE(e.Avisos[0].contains(QStringLiteral("PORTES")));
    EXPECT_TRUE(e.Avisos[1].contains(QStringLiteral("SUBTOTAL")));
    EXPECT_TRUE(e.Avisos[2].contains(QStringLiteral("TOTAL")));
}

TEST_F(xmlEncomendaLeitura, FlagProspect) {
    const QList<std::pair<QByteArray, bool>> casos{{"<FLAGPROSPECT>0</FLAGPROSPECT>", false},
                                                   {"<FLAGPROSPECT>1</FLAGPROSPECT>", true},
                                                   {"<FLAGPROSPECT>true</FLAGPROSPECT>", true},
                                                   {"<FLAGPROSPECT></FLAGPROSPECT>", true},
                                                   {"<FLAGPROSPECT> 0</FLAGPROSPECT>", true},
                                                   {"<flagProspect>0</flagProspect>", false},
                                                   {"", false}};
    xmlEncomenda e;
    for (const auto& [filho, contacto] : casos) {
        e.Contacto = !contacto;
        e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"), encomenda(filho));
        ASSERT_TRUE(e.GetEncomenda()) << filho.constData();
        EXPECT_EQ(e.Contacto, contacto) << filho.constData();
    }
}

TEST_F(xmlEncomendaLeitura, NomesEmQualquerCaixaMasENCExacto) {
    xmlEncomenda e;
    e.FicheiroXML =
        espaco.escrever(QStringLiteral("e.xml"), encomenda("<Obs>primeira</Obs><oBs>última</oBs>"));
    ASSERT_TRUE(e.GetEncomenda());
    EXPECT_EQ(e.Observacoes, QStringLiteral("última"));

    e.FicheiroXML = espaco.escrever(
        QStringLiteral("f.xml"),
        "<ENCOMENDAS><enc><IDENCOMENDA>1</IDENCOMENDA><OBS>x</OBS></enc></ENCOMENDAS>");
    EXPECT_FALSE(e.GetEncomenda());
    EXPECT_TRUE(e.UltimoErro.contains(QStringLiteral("ENC")));
}

TEST_F(xmlEncomendaLeitura, NadaDeUmFicheiroPassaParaOSeguinte) {
    xmlEncomenda e;
    e.FicheiroXML = dados("encomenda.xml");
    ASSERT_TRUE(e.GetEncomenda());
    e.FicheiroXML =
        espaco.escrever(QStringLiteral("e.xml"), encomenda("<IDENCOMENDA>5</IDENCOMENDA>"));
    ASSERT_TRUE(e.GetEncomenda());
    EXPECT_EQ(e.Idencomenda, 5);
    EXPECT_TRUE(e.IdCliente.isEmpty());
    EXPECT_TRUE(e.CodEmpresa.isEmpty());
    EXPECT_FALSE(e.Contacto);
    EXPECT_FALSE(e.Data.isValid());
    EXPECT_TRUE(e.Observacoes.isEmpty());
    EXPECT_EQ(e.Portes, Moeda());
    EXPECT_EQ(e.TotalFinal, Moeda());
    EXPECT_EQ(e.RsLinha->recordCount(), 0);
}

TEST_F(xmlEncomendaLeitura, ATabelaAnteriorFicaComQuemAGuardou) {
    xmlEncomenda e;
    e.FicheiroXML = dados("encomenda.xml");
    ASSERT_TRUE(e.GetEncomenda());
    const Recordset guardada = *e.RsLinha;
    e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"), encomenda(""));
    ASSERT_TRUE(e.GetEncomenda());
    EXPECT_EQ(guardada.recordCount(), 2);
    EXPECT_EQ(e.RsLinha->recordCount(), 0);
}

struct Ilegivel {
    const char* nome;
    QByteArray conteudo;
    const char* elemento;  // named in the reason
};

void PrintTo(const Ilegivel& i, std::ostream* os) {
    *os << i.nome;
}

class xmlEncomendaIlegivel : public ComRegiao, public testing::WithParamInterface<Ilegivel> {};

TEST_P(xmlEncomendaIlegivel, DaFalsoComARazao) {
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"), GetParam().conteudo);
    EXPECT_FALSE(e.GetEncomenda());
    EXPECT_TRUE(e.UltimoErro.contains(QString::fromUtf8(GetParam().elemento)))
        << e.UltimoErro.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Ficheiros, xmlEncomendaIlegivel,
    testing::Values(
        Ilegivel{"semENC", "<ENCOMENDAS><PEDIDO/></ENCOMENDAS>", "ENC"},
        Ilegivel{"idDecimal", encomenda("<IDENCOMENDA>12,5</IDENCOMENDA>"), "IDENCOMENDA"},
        Ilegivel{"idVazio", encomenda("<IDENCOMENDA/>"), "IDENCOMENDA"},
        Ilegivel{"semId", "<ENCOMENDAS><ENC><IDCLIENTE>1</IDCLIENTE></ENC></ENCOMENDAS>",
                 "Falta o elemento IDENCOMENDA"},
        Ilegivel{"linhaSemArtigo",
                 encomenda("<LINHAS><LINHA><QUANTIDADE>1</QUANTIDADE><PRECO>1</PRECO></LINHA>"
                           "</LINHAS>"),
                 "A linha 1 não tem o elemento CODIGO"},
        Ilegivel{"idGrande", encomenda("<IDENCOMENDA>2147483648</IDENCOMENDA>"), "IDENCOMENDA"},
        Ilegivel{"codigoLongo",
                 encomenda("<LINHAS><LINHA><CODIGO>1234567890123456</CODIGO></LINHA></LINHAS>"),
                 "CODIGO da linha 1"},
        Ilegivel{
            "nomeLongo",
            encomenda("<LINHAS><LINHA><NOME>" + QByteArray(81, 'n') + "</NOME></LINHA></LINHAS>"),
            "Descrição"},
        Ilegivel{"descontoTxtLongo",
                 encomenda("<LINHAS><LINHA/><LINHA><DESCONTOTXT>" + QByteArray(26, 'd') +
                           "</DESCONTOTXT></LINHA></LINHAS>"),
                 "DESCONTOTXT da linha 2"},
        // The file could not be marked as written afterwards, and would be written again.
        Ilegivel{"encDeUmaEntidade",
                 "<!DOCTYPE E [<!ENTITY e \"<ENC><IDENCOMENDA>1</IDENCOMENDA></ENC>\">]><E>&e;</E>",
                 "entidade"},
        Ilegivel{"primeiroEncDeUmaEntidade",
                 "<!DOCTYPE R [<!ENTITY e \"<ENC/>\">]><R>&e;<ENC><IDENCOMENDA>2</IDENCOMENDA>"
                 "</ENC></R>",
                 "entidade"}),
    [](const testing::TestParamInfo<Ilegivel>& i) { return std::string(i.param.nome); });

TEST_F(xmlEncomendaLeitura, TextosNoLimiteDosCamposCabem) {
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(
        QStringLiteral("e.xml"),
        encomenda("<LINHAS><LINHA><CODIGO>ÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇ</CODIGO><NOME>" + QByteArray(80, 'n') +
                  "</NOME><DESCONTOTXT>" + QByteArray(25, 'd') +
                  "</DESCONTOTXT><QUANTIDADE>1</QUANTIDADE><PRECO>1</PRECO>"
                  "</LINHA></LINHAS>"));
    ASSERT_TRUE(e.GetEncomenda()) << e.UltimoErro.toStdString();
    e.RsLinha->moveFirst();
    EXPECT_EQ(e.RsLinha->value(QStringLiteral("Artigo")).toString(), QString(15, QChar(0xC7)));
}

TEST_F(xmlEncomendaLeitura, FicheiroMalFormadoNaoMudaNada) {
    xmlEncomenda e;
    e.FicheiroXML = dados("encomenda.xml");
    ASSERT_TRUE(e.GetEncomenda());
    e.FicheiroXML = espaco.escrever(QStringLiteral("mau.xml"), "<ENC>\n<OBS>x</ENC>");
    EXPECT_FALSE(e.GetEncomenda());
    EXPECT_TRUE(e.UltimoErro.startsWith(
        QStringLiteral("Erro ao abrir o ficheiro.\r\nErro           #: %1: ")
            .arg(FicheiroXml::MalFormado)));
    EXPECT_TRUE(e.UltimoErro.contains(QStringLiteral("Linha          #: 2\r\n")));
    EXPECT_EQ(e.IdCliente, QStringLiteral("C0007"));
    EXPECT_EQ(e.Portes, m("3.5"));
    EXPECT_EQ(e.RsLinha->recordCount(), 2);
}

TEST_F(xmlEncomendaLeitura, CodificacoesDoSite) {
    for (const char* nome :
         {"encomenda_latin1.xml", "encomenda_utf16.xml", "encomenda_windows1252.xml"}) {
        xmlEncomenda e;
        e.FicheiroXML = dados(nome);
        ASSERT_TRUE(e.GetEncomenda()) << nome << e.UltimoErro.toStdString();
        EXPECT_TRUE(e.Contacto);
        EXPECT_EQ(e.IdCliente, QStringLiteral("CT0042"));
        EXPECT_TRUE(e.Observacoes.startsWith(QStringLiteral("Conceição, Guimarães"))) << nome;
        EXPECT_EQ(linhas(*e.RsLinha), QStringList(QStringLiteral("Ç1|Açúcar mascavado|3|1.25|~|~")))
            << nome;
    }
    xmlEncomenda w;
    w.FicheiroXML = dados("encomenda_windows1252.xml");
    ASSERT_TRUE(w.GetEncomenda());
    EXPECT_EQ(w.Observacoes, QStringLiteral("Conceição, Guimarães € “URGENTE”"));
}

struct Data {
    const char* texto;
    const QLocale* locale;
    QDateTime esperado;  // invalid: not a date
};

void PrintTo(const Data& d, std::ostream* os) {
    *os << '"' << d.texto << "\" " << d.locale->name().toStdString();
}

class DataDoFicheiro : public testing::TestWithParam<Data> {};

TEST_P(DataDoFicheiro, LePelaRegiaoOuIso) {
    const std::optional<QDateTime> d =
        lerDataRegional(QString::fromUtf8(GetParam().texto), *GetParam().locale);
    ASSERT_EQ(d.has_value(), GetParam().esperado.isValid()) << GetParam().texto;
    if (d) {
        EXPECT_EQ(*d, GetParam().esperado) << GetParam().texto;
    }
}

const QLocale c = QLocale::c();
const QLocale us(QLocale::English, QLocale::UnitedStates);

INSTANTIATE_TEST_SUITE_P(
    Textos, DataDoFicheiro,
    testing::Values(
        Data{"15/03/2026", &pt, QDateTime(QDate(2026, 3, 15), QTime(0, 0))},
        Data{"15-03-26", &pt, QDateTime(QDate(2026, 3, 15), QTime(0, 0))},
        Data{"1.2.99", &pt, QDateTime(QDate(1999, 2, 1), QTime(0, 0))},
        Data{"5-3-2026 9:05", &pt, QDateTime(QDate(2026, 3, 5), QTime(9, 5))},
        Data{"15.03.2026 14:30:05", &pt, QDateTime(QDate(2026, 3, 15), QTime(14, 30, 5))},
        Data{" 2026-03-15 ", &pt, QDateTime(QDate(2026, 3, 15), QTime(0, 0))},
        Data{"2026-03-15T14:30:05", &c, QDateTime(QDate(2026, 3, 15), QTime(14, 30, 5))},
        Data{"3/15/2026 2:30 PM", &us, QDateTime(QDate(2026, 3, 15), QTime(14, 30))},
        Data{"15/03/2026", &us, QDateTime()}, Data{"03-05-2026", &us, QDateTime()},
        Data{"", &pt, QDateTime()}, Data{"15-03.2026", &pt, QDateTime()},
        Data{"32-01-2026", &pt, QDateTime()}, Data{"15/03/2026 25:00", &pt, QDateTime()}));

// ---- Writing the document's identity back ----

using xmlEncomendaActualizar = ComRegiao;

// The IDENCSAGE blocks of a file, each as "NAME=text" of its children.
QList<QStringList> blocos(const QString& caminho) {
    QDomDocument doc;
    EXPECT_TRUE(doc.setContent(lerFicheiro(caminho)));
    QList<QStringList> r;
    const QDomElement enc = doc.elementsByTagName(QStringLiteral("ENC")).at(0).toElement();
    for (QDomElement b = enc.firstChildElement(QStringLiteral("IDENCSAGE")); !b.isNull();
         b = b.nextSiblingElement(QStringLiteral("IDENCSAGE"))) {
        QStringList filhos;
        for (QDomElement f = b.firstChildElement(); !f.isNull(); f = f.nextSiblingElement())
            filhos << f.tagName() + QLatin1Char('=') + f.text();
        r << filhos;
    }
    EXPECT_EQ(enc.lastChildElement().tagName(), QStringLiteral("IDENCSAGE"));
    return r;
}

TEST_F(xmlEncomendaActualizar, BlocoSemClienteNovoEORestoIntacto) {
    const QByteArray original = lerFicheiro(dados("encomenda.xml"));
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"), original);
    ASSERT_TRUE(e.ActualizarXML(QStringLiteral("FT"), 123, 1, 2026, QString(),
                                QStringLiteral("{ignorado}")));
    EXPECT_EQ(
        blocos(e.FicheiroXML),
        QList<QStringList>{QStringList({QStringLiteral("TPDOC=FT"), QStringLiteral("NNUMDOC=123"),
                                        QStringLiteral("SERIE=1"), QStringLiteral("ANO=2026")})});
    // Only the block was added, just before </ENC>.
    const QByteArray depois = lerFicheiro(e.FicheiroXML);
    const qsizetype fim = original.indexOf("</ENC>");
    EXPECT_EQ(depois.left(fim), original.left(fim));
    EXPECT_EQ(depois.mid(fim),
              "<IDENCSAGE><TPDOC>FT</TPDOC><NNUMDOC>123</NNUMDOC><SERIE>1</SERIE><ANO>2026</ANO>"
              "</IDENCSAGE>" +
                  original.mid(fim));

    ASSERT_TRUE(e.GetEncomenda());
    EXPECT_TRUE(e.JaGravada);
    EXPECT_EQ(e.RsLinha->recordCount(), 2);
}

TEST_F(xmlEncomendaActualizar, ComClienteNovoEDuasVezes) {
    xmlEncomenda e;
    // A line that could not be written now does not stop a file already written from reading.
    e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"),
                                    encomenda("<IDCLIENTE>CT0042</IDCLIENTE><FLAGPROSPECT>1"
                                              "</FLAGPROSPECT><LINHAS><LINHA/></LINHAS>"));
    EXPECT_FALSE(e.GetEncomenda());
    ASSERT_TRUE(e.ActualizarXML(QStringLiteral("ENC & Co"), -5, -1, 26, QStringLiteral("C0100"),
                                QStringLiteral("{0F8FAD5B-D9CB-469F-A165-70867728950E}")));
    ASSERT_TRUE(e.ActualizarXML(QStringLiteral("FT"), 2147483647, 32767, -32768,
                                QStringLiteral("C0101"), QString()));
    EXPECT_EQ(
        blocos(e.FicheiroXML),
        (QList<QStringList>{{QStringLiteral("TPDOC=ENC & Co"), QStringLiteral("NNUMDOC=-5"),
                             QStringLiteral("SERIE=-1"), QStringLiteral("ANO=26"),
                             QStringLiteral("IDCLIENTE=C0100"),
                             QStringLiteral("Id_Unico={0F8FAD5B-D9CB-469F-A165-70867728950E}")},
                            {QStringLiteral("TPDOC=FT"), QStringLiteral("NNUMDOC=2147483647"),
                             QStringLiteral("SERIE=32767"), QStringLiteral("ANO=-32768"),
                             QStringLiteral("IDCLIENTE=C0101"), QStringLiteral("Id_Unico=")}}));
    // The prospect's code under ENC is kept; the new customer lives only in the block.
    ASSERT_TRUE(e.GetEncomenda()) << e.UltimoErro.toStdString();
    EXPECT_EQ(e.IdCliente, QStringLiteral("CT0042"));
    EXPECT_TRUE(e.JaGravada);
    ASSERT_EQ(e.Gravados.size(), 2);
    EXPECT_EQ(e.Gravados[0].Documento.texto(), QStringLiteral("ENC & Co/-1/-5/26"));
    EXPECT_EQ(e.Gravados[0].IdCliente, QStringLiteral("C0100"));
    EXPECT_EQ(e.Gravados[0].Id_Unico, QStringLiteral("{0F8FAD5B-D9CB-469F-A165-70867728950E}"));
    EXPECT_EQ(e.Gravados[1].Documento.texto(), QStringLiteral("FT/32767/2147483647/-32768"));
}

TEST_F(xmlEncomendaActualizar, EncVazioOuDentroDeOutroEnc) {
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"), "<R><ENC/><ENC><X/></ENC></R>");
    ASSERT_TRUE(e.ActualizarXML(QStringLiteral("FT"), 1, 1, 2026, QString(), QString()));
    EXPECT_EQ(lerFicheiro(e.FicheiroXML),
              QByteArray("<R><ENC><IDENCSAGE><TPDOC>FT</TPDOC><NNUMDOC>1</NNUMDOC><SERIE>1</SERIE>"
                         "<ANO>2026</ANO></IDENCSAGE></ENC><ENC><X/></ENC></R>"));

    e.FicheiroXML =
        espaco.escrever(QStringLiteral("f.xml"), "<ENC a='1'><ENC><X/></ENC><Y/></ENC   >");
    ASSERT_TRUE(e.ActualizarXML(QStringLiteral("FT"), 1, 1, 2026, QString(), QString()));
    EXPECT_EQ(lerFicheiro(e.FicheiroXML),
              QByteArray("<ENC a='1'><ENC><X/></ENC><Y/><IDENCSAGE><TPDOC>FT</TPDOC><NNUMDOC>1"
                         "</NNUMDOC><SERIE>1</SERIE><ANO>2026</ANO></IDENCSAGE></ENC   >"));
}

TEST_F(xmlEncomendaActualizar, EntidadesDentroDoEncNaoImpedemAMarca) {
    const QByteArray original =
        "<!DOCTYPE ENCOMENDAS [<!ENTITY id \"<IDENCOMENDA>77</IDENCOMENDA>\">"
        "<!ENTITY loja \"Loja &amp; Cia\">]>\n"
        "<ENCOMENDAS><ENC>&id;<OBS>&loja;</OBS></ENC></ENCOMENDAS>\n";
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"), original);
    ASSERT_TRUE(e.GetEncomenda()) << e.UltimoErro.toStdString();
    EXPECT_EQ(e.Idencomenda, 77);
    EXPECT_EQ(e.Observacoes, QStringLiteral("Loja & Cia"));
    ASSERT_TRUE(e.ActualizarXML(QStringLiteral("FT"), 1, 1, 2026, QString(), QString()));
    const qsizetype fim = original.indexOf("</ENC>");
    EXPECT_EQ(lerFicheiro(e.FicheiroXML),
              original.left(fim) +
                  "<IDENCSAGE><TPDOC>FT</TPDOC><NNUMDOC>1</NNUMDOC><SERIE>1</SERIE><ANO>2026</ANO>"
                  "</IDENCSAGE>" +
                  original.mid(fim));
    ASSERT_TRUE(e.GetEncomenda());
    EXPECT_TRUE(e.JaGravada);
    EXPECT_EQ(e.Idencomenda, 77);
}

TEST_F(xmlEncomendaActualizar, FicheiroQueNaoServeFicaComoEstava) {
    const QList<QByteArray> conteudos{"<ENC><OBS>x</ENC>", "<R><enc/></R>"};
    for (const QByteArray& conteudo : conteudos) {
        xmlEncomenda e;
        e.FicheiroXML = espaco.escrever(QStringLiteral("e.xml"), conteudo);
        EXPECT_FALSE(e.ActualizarXML(QStringLiteral("FT"), 1, 1, 2026, QString(), QString()));
        EXPECT_FALSE(e.UltimoErro.isEmpty());
        EXPECT_EQ(lerFicheiro(e.FicheiroXML), conteudo);
    }
    xmlEncomenda e;
    e.FicheiroXML = espaco.caminho(QStringLiteral("nao_existe.xml"));
    EXPECT_FALSE(e.ActualizarXML(QStringLiteral("FT"), 1, 1, 2026, QString(), QString()));
    EXPECT_FALSE(QFile::exists(e.FicheiroXML));
}

TEST_F(xmlEncomendaActualizar, GravacaoFalhadaDaFalsoEDeixaOFicheiro) {
    // A name at the file system's limit leaves no room for the temporary file.
    const QByteArray original = encomenda("<IDENCOMENDA>9</IDENCOMENDA>");
    xmlEncomenda e;
    e.FicheiroXML =
        espaco.escrever(QString(251, QLatin1Char('e')) + QStringLiteral(".xml"), original);
    EXPECT_FALSE(e.ActualizarXML(QStringLiteral("FT"), 1, 1, 2026, QString(), QString()));
    EXPECT_TRUE(e.UltimoErro.contains(QStringLiteral("Não foi possível gravar")));
    EXPECT_EQ(lerFicheiro(e.FicheiroXML), original);
    EXPECT_EQ(QDir(espaco.caminho()).entryList(QDir::Files).size(), 1);
}

TEST_F(xmlEncomendaActualizar, GuardaACodificacaoDoFicheiro) {
    struct Caso {
        const char* nome;
        const char* cliente;
        QByteArray esperadoNoBloco;  // how the new customer code is written
    };
    const QList<Caso> casos{
        {"encomenda_latin1.xml", "Ç€", "<IDCLIENTE>\xC7&#8364;</IDCLIENTE>"},
        {"encomenda_windows1252.xml", "Ç€", "<IDCLIENTE>\xC7\x80</IDCLIENTE>"},
        {"encomenda_utf16.xml", "Ç€", QByteArray()},
    };
    for (const Caso& caso : casos) {
        const QByteArray original = lerFicheiro(dados(caso.nome));
        xmlEncomenda e;
        e.FicheiroXML = espaco.escrever(QLatin1String(caso.nome), original);
        ASSERT_TRUE(e.ActualizarXML(QStringLiteral("FT"), 7, 1, 2026,
                                    QString::fromUtf8(caso.cliente), QStringLiteral("g")))
            << caso.nome;
        const QByteArray depois = lerFicheiro(e.FicheiroXML);
        if (!caso.esperadoNoBloco.isEmpty()) {
            EXPECT_TRUE(depois.contains(caso.esperadoNoBloco)) << caso.nome;
            const qsizetype fim = original.indexOf("</ENC>");
            EXPECT_EQ(depois.left(fim), original.left(fim)) << caso.nome;
        } else {
            EXPECT_TRUE(depois.startsWith("\xFF\xFE")) << caso.nome;
        }
        // Read back through the same file: accents intact, the block there.
        ASSERT_TRUE(e.GetEncomenda()) << caso.nome;
        EXPECT_TRUE(e.JaGravada);
        EXPECT_EQ(e.Observacoes.left(20), QStringLiteral("Conceição, Guimarães"));
    }
}

}  // namespace
