#include <QDir>
#include <QFile>

#include "orders/xmlEncomenda.h"
#include "tests/apoio/Apoio.h"

namespace {

QString dados(const char* nome) {
    return QStringLiteral(MARELO_TEST_DATA "/xml/") + QLatin1String(nome);
}

// An order file with its number, a customer's flag and the given ENC children (a number or a
// flag among them replaces it).
QByteArray encomenda(const QByteArray& filhos,
                     const QByteArray& flag = "<FLAGPROSPECT>0</FLAGPROSPECT>") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ENCOMENDAS><ENC><IDENCOMENDA>1"
           "</IDENCOMENDA>" +
           flag + filhos + "</ENC></ENCOMENDAS>\n";
}

// The rows of the lines table as text; null shows as "~".
QStringList linhas(Recordset rs) {
    QStringList r;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        QStringList campos;
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const QVariant v = rs.value(i);
            campos << (v.isNull()              ? u"~"_s
                       : v.canConvert<Moeda>() ? v.value<Moeda>().paraTexto(QLocale::c())
                                               : v.toString());
        }
        r << campos.join(QLatin1Char('|'));
    }
    return r;
}

const QByteArray kBloco =
    "<IDENCSAGE><TPDOC>FT</TPDOC><NNUMDOC>1</NNUMDOC><SERIE>1</SERIE>"
    "<ANO>2026</ANO></IDENCSAGE>";

class xmlEncomendaTeste : public testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    xmlEncomenda e;
    Espaco espaco;
    bool ler(const QByteArray& conteudo) {
        e.FicheiroXML = espaco.escrever(u"e.xml"_s, conteudo);
        return e.GetEncomenda();
    }
};

}  // namespace

TEST_F(xmlEncomendaTeste, EncomendaCompleta) {
    e.FicheiroXML = dados("encomenda.xml");
    ASSERT_TRUE(e.GetEncomenda()) << e.UltimoErro.toStdString();
    EXPECT_EQ((QStringList{QString::number(e.Idencomenda), e.IdCliente, e.CodEmpresa,
                           e.Data.toString(Qt::ISODate), e.Observacoes}),
              (QStringList{"1042", "C0007", "QF", "2026-03-15T14:30:00",
                           "Entregar à tarde & ligar antes"}));
    EXPECT_FALSE(e.Contacto || e.JaGravada);
    QStringList montantes;
    for (const Moeda& m : {e.SubTotal, e.EcoValor, e.Portes, e.Total, e.voucher, e.TotalFinal})
        montantes << m.paraTexto(QLocale::c());
    EXPECT_EQ(montantes, (QStringList{"1234.5", "0.1", "3.5", "1238.1", "5", "1233.1"}));
    // The LINHA in file order, in any case; the LINHAECO is not one; a missing DESCONTO null.
    EXPECT_EQ(linhas(*e.RsLinha),
              (QStringList{"ART001|Azeite Virgem Extra 0,75 l|2|12.5|10|Promoção -10%",
                           "ART002|Pão de Ló|1.5|0.99|~|~"}));
}

// Whose order it is and what it bills are read exactly, or the order is refused naming the
// element and the text; an empty discount, shipping or voucher is none.
TEST_F(xmlEncomendaTeste, FlagEMontantesLidosExactamenteOuRecusados) {
    const QByteArray linha = "<LINHAS><LINHA><CODIGO>A</CODIGO>";
    const QByteArray fim = "</LINHA></LINHAS>";
    const QByteArray cliente = "<FLAGPROSPECT>0</FLAGPROSPECT>";
    const struct {
        QByteArray filhos;
        const char* lido;  // prospect and the lines table; or, refused, the reason
    } casos[] = {
        // clang-format off
        {cliente, "0|"},
        {"<flagProspect> 1 </flagProspect>", "1|"},
        {"", "Falta o elemento FLAGPROSPECT"},
        {"<FLAGPROSPECT/>", "O elemento FLAGPROSPECT (\"\") não é 0 nem 1"},
        {"<FLAGPROSPECT>true</FLAGPROSPECT>", "O elemento FLAGPROSPECT (\"true\") não é 0 nem 1"},
        {cliente + linha + "<QUANTIDADE> 3,5 </QUANTIDADE><PRECO>1.234,5</PRECO><DESCONTO/>" + fim +
         "<PORTES/><VOUCHER></VOUCHER>", "0|A|~|3.5|1234.5|0|~"},
        {cliente + linha + "<QUANTIDADE>1</QUANTIDADE><PRECO/>" + fim,
         "O elemento PRECO da linha 1 está vazio"},
        {cliente + linha + "<QUANTIDADE>0.500</QUANTIDADE><PRECO>1</PRECO>" + fim,
         "O montante \"0.500\" do elemento QUANTIDADE da linha 1 é ambíguo: pelas definições "
         "regionais (pt_PT) lê-se 500, mas também se lê 0,5"},
        {cliente + "<PORTES>3.50</PORTES>",
         "O montante \"3.50\" do elemento PORTES não é um número pelas definições regionais (pt_PT)"},
        {cliente + "<TOTAL>1e3</TOTAL>", "O montante \"1e3\" do elemento TOTAL"},
        // A file already written is only moved: its lines and amounts are not checked again.
        {cliente + "<PORTES>3.50</PORTES>" + kBloco, "0|"},
        // clang-format on
    };
    for (const auto& [filhos, lido] : casos) {
        SCOPED_TRACE(filhos.toStdString());
        const bool leu = ler(encomenda(filhos, {}));
        const QString obtido =
            leu ? QString::number(e.Contacto) + u'|' + linhas(*e.RsLinha).join(u'/') : e.UltimoErro;
        EXPECT_TRUE(obtido.startsWith(QString::fromUtf8(lido))) << obtido.toStdString();
    }
    // Started without regional settings (as by a scheduler), a Portuguese amount is refused,
    // not taken as 350 or 0.
    QLocale::setDefault(QLocale::c());
    EXPECT_FALSE(ler(encomenda("<PORTES>3,50</PORTES>")));
    EXPECT_TRUE(e.UltimoErro.contains(u"definições regionais (C)"_s)) << e.UltimoErro.toStdString();
}

TEST_F(xmlEncomendaTeste, EncomendaQueNaoSePodeGravarDizPorque) {
    const QByteArray linhas = "<LINHAS><LINHA><QUANTIDADE>1</QUANTIDADE><PRECO>1</PRECO>";
    const std::pair<QByteArray, const char*> casos[] = {
        // clang-format off
        {"<ENCOMENDAS><enc><IDENCOMENDA>1</IDENCOMENDA></enc></ENCOMENDAS>", "ENC"},
        {encomenda("<IDENCOMENDA>12,5</IDENCOMENDA>"), "IDENCOMENDA"},
        {encomenda("<IDENCOMENDA/>"), "IDENCOMENDA"},
        {encomenda("<IDENCOMENDA>2147483648</IDENCOMENDA>"), "IDENCOMENDA"},
        {encomenda("<DATA>5 12 2026</DATA>"), "O elemento DATA (\"5 12 2026\")"},
        {"<ENCOMENDAS><ENC><IDCLIENTE>1</IDCLIENTE></ENC></ENCOMENDAS>", "Falta o elemento IDENCOMENDA"},
        {encomenda(linhas + "</LINHA></LINHAS>"), "A linha 1 não tem o elemento CODIGO"},
        {encomenda(linhas + "<CODIGO> </CODIGO></LINHA></LINHAS>"), "O elemento CODIGO da linha 1 está vazio"},
        {encomenda(linhas + "<CODIGO>1234567890123456</CODIGO></LINHA></LINHAS>"), "CODIGO da linha 1"},
        {encomenda(linhas + "<NOME>" + QByteArray(81, 'n') + "</NOME></LINHA></LINHAS>"), "Descrição"},
        {encomenda("<LINHAS><LINHA/><LINHA><DESCONTOTXT>" + QByteArray(26, 'd') + "</DESCONTOTXT></LINHA></LINHAS>"),
         "DESCONTOTXT da linha 2"},
        // The file could not be marked as written afterwards, and would be written again.
        {"<!DOCTYPE E [<!ENTITY e \"<ENC><IDENCOMENDA>1</IDENCOMENDA></ENC>\">]><E>&e;</E>", "entidade"},
        {"<!DOCTYPE R [<!ENTITY e \"<ENC/>\">]><R>&e;<ENC><IDENCOMENDA>2</IDENCOMENDA></ENC></R>", "entidade"},
        // clang-format on
    };
    for (const auto& [conteudo, razao] : casos) {
        EXPECT_FALSE(ler(conteudo)) << razao;
        EXPECT_TRUE(e.UltimoErro.contains(QString::fromUtf8(razao))) << e.UltimoErro.toStdString();
    }
    // At the fields' limits the texts fit.
    ASSERT_TRUE(ler(encomenda("<LINHAS><LINHA><CODIGO>ÇÇÇÇÇÇÇÇÇÇÇÇÇÇÇ</CODIGO><NOME>" +
                              QByteArray(80, 'n') + "</NOME><DESCONTOTXT>" + QByteArray(25, 'd') +
                              "</DESCONTOTXT><QUANTIDADE>1</QUANTIDADE><PRECO>1</PRECO></LINHA>"
                              "</LINHAS>")))
        << e.UltimoErro.toStdString();
}

TEST_F(xmlEncomendaTeste, OBlocoDoDocumentoEntraNoPrimeiroEncEOrestoFicaComoEstava) {
    const QByteArray simples = encomenda("<OBS>primeira</OBS>");
    const struct {
        const char* caso;
        QByteArray lido, depois;  // depois: written over the file after it was read
        QByteArray esperado;      // null: refused, the file unchanged
    } casos[] = {
        // clang-format off
        {"as read", simples, {}, QByteArray(simples).replace("</ENC>", kBloco + "</ENC>")},
        // The document was made of what was read: another content is not marked with it.
        {"changed, same size", simples, encomenda("<OBS>segunda!</OBS>"), {}},
        {"changed, another size", simples, encomenda("<OBS>mais</OBS>"), {}},
        {"two byte-order marks", "\xEF\xBB\xBF\xEF\xBB\xBF" + simples, {},
         "\xEF\xBB\xBF\xEF\xBB\xBF" + QByteArray(simples).replace("</ENC>", kBloco + "</ENC>")},
        {"no longer an order", simples, "<R><X/></R>", {}},
        {"malformed", "<ENC><OBS>x</ENC>", {}, {}},
        {"no ENC", "<R><enc/></R>", {}, {}},
        {"empty ENC, then one inside", "<R><ENC/><ENC><X/></ENC></R>", {}, "<R><ENC>" + kBloco + "</ENC><ENC><X/></ENC></R>"},
        {"ENC in ENC", "<ENC a='1'><ENC><X/></ENC><Y/></ENC   >", {}, "<ENC a='1'><ENC><X/></ENC><Y/>" + kBloco + "</ENC   >"},
        {"entities", "<!DOCTYPE E [<!ENTITY i \"<IDENCOMENDA>7</IDENCOMENDA>\">]><E><ENC>&i;</ENC></E>", {},
         "<!DOCTYPE E [<!ENTITY i \"<IDENCOMENDA>7</IDENCOMENDA>\">]><E><ENC>&i;" + kBloco + "</ENC></E>"},
        // clang-format on
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        ler(c.lido);
        if (!c.depois.isNull()) {  // through another file, as the web side writes
            espaco.escrever(u"novo.xml"_s, c.depois);
            QFile::remove(e.FicheiroXML);
            QFile::rename(espaco.caminho(u"novo.xml"_s), e.FicheiroXML);
        }
        const QByteArray antes = lerFicheiro(e.FicheiroXML);
        EXPECT_EQ(e.ActualizarXML(u"FT"_s, 1, 1, 2026, QString(), u"g"_s), !c.esperado.isNull());
        EXPECT_EQ(lerFicheiro(e.FicheiroXML), c.esperado.isNull() ? antes : c.esperado);
    }
    // Gone: false, and nothing made. A name at the file system's limit is still saved, through a
    // shorter temporary name.
    ler(simples);
    QFile::remove(e.FicheiroXML);
    EXPECT_FALSE(e.ActualizarXML(u"FT"_s, 1, 1, 2026, QString(), QString()));
    EXPECT_FALSE(QFile::exists(e.FicheiroXML));
    e.FicheiroXML = espaco.escrever(QString(251, QLatin1Char('e')) + u".xml"_s, simples);
    EXPECT_TRUE(e.ActualizarXML(u"FT"_s, 1, 1, 2026, QString(), QString()))
        << e.UltimoErro.toStdString();
    EXPECT_EQ(lerFicheiro(e.FicheiroXML), QByteArray(simples).replace("</ENC>", kBloco + "</ENC>"));
}

TEST_F(xmlEncomendaTeste, BlocoDeUmProspectLidoDeVolta) {
    // A line that could not be written now does not stop a file already written from reading.
    EXPECT_FALSE(ler(encomenda("<IDCLIENTE>CT0042</IDCLIENTE><LINHAS><LINHA/></LINHAS>")));
    ASSERT_TRUE(e.ActualizarXML(u"ENC & Co"_s, -5, -1, 26, u"C0100"_s, u"{0F8F-70}"_s));
    EXPECT_TRUE(lerFicheiro(e.FicheiroXML)
                    .contains("<IDENCSAGE><TPDOC>ENC &amp; Co</TPDOC><NNUMDOC>-5</NNUMDOC><SERIE>-1"
                              "</SERIE><ANO>26</ANO><IDCLIENTE>C0100</IDCLIENTE><Id_Unico>{0F8F-70}"
                              "</Id_Unico></IDENCSAGE></ENC>"));
    ASSERT_TRUE(e.GetEncomenda()) << e.UltimoErro.toStdString();
    EXPECT_EQ(e.IdCliente, u"CT0042"_s);  // the prospect's code stays under ENC
    ASSERT_TRUE(e.JaGravada && e.Gravados.size() == 1);
    EXPECT_EQ(e.Gravados[0].Documento.texto() + e.Gravados[0].IdCliente + e.Gravados[0].Id_Unico,
              u"ENC & Co/-1/-5/26C0100{0F8F-70}"_s);
}

TEST_F(xmlEncomendaTeste, FicheirosDoSiteGuardamACodificacao) {
    const std::pair<const char*, QByteArray> casos[] = {
        {"encomenda_latin1.xml", "<IDCLIENTE>\xC7&#8364;</IDCLIENTE>"},
        {"encomenda_utf16.xml", QByteArray("\xFF\xFE", 2)},
        {"encomenda_windows1252.xml", "<IDCLIENTE>\xC7\x80</IDCLIENTE>"},
    };
    for (const auto& [nome, marca] : casos) {
        SCOPED_TRACE(nome);
        ASSERT_TRUE(ler(lerFicheiro(dados(nome))));
        EXPECT_TRUE(e.Contacto);
        EXPECT_EQ(linhas(*e.RsLinha), QStringList{"Ç1|Açúcar mascavado|3|1.25|~|~"});
        ASSERT_TRUE(e.ActualizarXML(u"FT"_s, 7, 1, 2026, u"Ç€"_s, u"g"_s));
        EXPECT_TRUE(lerFicheiro(e.FicheiroXML).contains(marca));
        ASSERT_TRUE(e.GetEncomenda());
        EXPECT_TRUE(e.JaGravada);
        EXPECT_TRUE(e.Observacoes.startsWith(u"Conceição, Guimarães"_s));
    }
    EXPECT_EQ(e.Observacoes, u"Conceição, Guimarães € “URGENTE”"_s);
}
