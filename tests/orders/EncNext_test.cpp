#include <QLocale>

#include "orders/EncNext.h"
#include "orders/xmlEncomenda.h"
#include "run/ContextoDaExecucao.h"
#include "support/cl_log.h"
#include "tests/apoio/ExecucaoComEmpresas.h"

namespace {

const QString QF = u"QF"_s;
const QString kAbrir = u"Evolucao: Abrir ligação ao Next"_s;
const QString kLigado = u"Evolucao: Ligação Sage 100c(V2022) com sucesso"_s;
const QString kNaoLigado = u"Não foi possivel ligar ao Sage 100c(V2022)"_s;
const QString kInicio = u"Evolucao: Inicio da gravação da encomenda"_s;

Moeda m(const char* texto) {
    return *Moeda::deTexto(QString::fromLatin1(texto), QLocale::c());
}

struct Resultado {
    bool ok = false;
    QString documento;  // type/series/number/year as returned
};

// The writer of one order of customer 1 on the demonstration workspace, dated by a fixed clock.
class Escritor : public ExecucaoComEmpresas {
  public:
    void SetUp() override {
        ExecucaoComEmpresas::SetUp();
        EncNext::relogio = [] { return QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)); };
        e.sql(QF, u"UPDATE TpDoc SET AutEco = -1"_s);  // as a killed run left it
        e.definir("QF", "Tipo Doc", u"encw"_s);
        e.definir("QF", "Sector", u"web"_s);
        novaEncomenda();
    }
    void TearDown() override {
        EncNext::relogio = [] { return QDateTime::currentDateTime(); };
        ExecucaoComEmpresas::TearDown();
    }

    void novaEncomenda() {
        n.reset();
        contexto = std::make_unique<ContextoDaExecucao>(janela, e.parametros, log);
        n = std::make_unique<EncNext>(e.parametros, contexto->Contabilidade());
        eventos.clear();
        QObject::connect(n.get(), &EncNext::Evolucao, n.get(), [this](const QString& t) {
            eventos << u"Evolucao: "_s + t;
            if (t == u"Inicio da gravação da encomenda"_s)
                autEcoDuranteAGravacao = autEco();
        });
        QObject::connect(n.get(), &EncNext::Erros, n.get(),
                         [this](const QString& t) { eventos << u"Erros: "_s + t; });
        linhasXml.clear();
        n->NumeroEmpresa(QF);
        n->CodigoCliente(u"1"_s);
        n->Idencomenda(u"1234"_s);
        n->Observacoes(u"Entregar à tarde"_s);
        n->DataDoc(QDateTime(QDate(2026, 12, 4), QTime(10, 0)));
    }

    // A line of the order file, with perhaps NOME, DESCONTO and DESCONTOTXT.
    void linha(const char* artigo, const char* qtd, const char* preco = "1",
               const QByteArray& resto = {}) {
        linhasXml += "<LINHA><CODIGO>" + QByteArray(artigo) + "</CODIGO><QUANTIDADE>" + qtd +
                     "</QUANTIDADE><PRECO>" + preco + "</PRECO>" + resto + "</LINHA>";
    }

    // Writes the order with its lines as the reader gives them from the file.
    Resultado gravar() {
        Resultado r;
        xmlEncomenda leitor;
        leitor.FicheiroXML = e.escrever(u"ENC1.xml"_s, encomendaWeb("1234", "1", linhasXml));
        EXPECT_TRUE(leitor.GetEncomenda()) << leitor.UltimoErro.toStdString();
        n->RsLinha(leitor.RsLinha);
        QString tipo;
        qint16 serie = -9, ano = -9;
        qint32 numero = -9;
        if (!n->LigarAoNext())
            return r;
        r.ok =
            n->GravarEncomenda(tipo, serie, ano, numero, e.caminho(u"ENC1.xml"_s), *contexto, QF);
        n->desligarDoNext();
        r.documento = u"%1/%2/%3/%4"_s.arg(tipo).arg(serie).arg(numero).arg(ano);
        return r;
    }

    // The lines of the last document.
    QStringList linhasGravadas() {
        return e.linhas(QF,
                        u"SELECT Artigo, Armazem, Descricao, Quantidade, QuantidadeOrigem, "
                        "PrecoUnitario, TaxaDesconto, Desconto, TipoDeLinha, LinhaRelacionada, "
                        "NumeroDaLinha, EcoTaxaProcessada FROM ct_LinhasDocumento WHERE Numero "
                        "= (SELECT MAX(Numero) FROM ct_Documentos) ORDER BY NumeroDaLinha"_s);
    }

    int autEco() {
        return e.valor(QF, u"SELECT AutEco FROM TpDoc WHERE Codigo = 'ENCW'"_s).toInt();
    }

    JanelaDeTeste janela;
    cl_log log;  // not open: what the writer says goes to its events
    std::unique_ptr<ContextoDaExecucao> contexto;
    std::unique_ptr<EncNext> n;
    QByteArray linhasXml;
    QStringList eventos;
    int autEcoDuranteAGravacao = 99;
};

}  // namespace

TEST_F(Escritor, LinhasComComponentesDoPackDepoisPortesDepoisVoucher) {
    linha("AZEITE05", "2", "7,5",
          "<NOME>Azeite da loja</NOME><DESCONTO>10</DESCONTO><DESCONTOTXT>10%</DESCONTOTXT>");
    linha("CABAZ01", "3", "25");
    linha("MEL250", "1", "4,2");  // no description: the article's; no discount: none
    n->Portes(m("4.5"));
    n->voucher(m("-5"));

    const Resultado r = gravar();
    ASSERT_TRUE(r.ok) << eventos.join('\n').toStdString();
    EXPECT_EQ(r.documento, u"ENCW/1/1/2026"_s);
    EXPECT_EQ(eventos,
              (QStringList{kAbrir, kLigado, kInicio, "Evolucao: Encomenda:ENCW/1/1/2026"}));
    EXPECT_EQ(autEcoDuranteAGravacao, -1);
    EXPECT_EQ(autEco(), 0);
    // Article|warehouse|description|quantity|of origin|price|discount rate|discount|line type|
    // related line|number|eco tax. Components: quantity times the pack's, priced 0, related to
    // the pack's line.
    EXPECT_EQ(linhasGravadas(),
              (QStringList{"AZEITE05|A1|Azeite da loja|2|2|7.5|10|10%|1|0|1|0",
                           "CABAZ01|A1|Cabaz Quintaflor: 2 azeites e meio mel|3|3|25|0||1|0|2|0",
                           "AZEITE05|A1|Azeite virgem extra Quintaflor 0,5 l|6|6|0|0|0|1|2|3|0",
                           "MEL250|A1|Mel de rosmaninho 250 g|1.5|1.5|0|0|0|1|2|4|0",
                           "MEL250|A1|Mel de rosmaninho 250 g|1|1|4.2|0||1|0|5|0",
                           "PORTES||Portes de envio|1|1|4.5|0|0|2|0|6|0",
                           "||Voucher no valor de 5 €|1|1|0|0|0|1|0|7|0"}));
    EXPECT_EQ(e.linhas(QF,
                       u"SELECT Sector, Terceiro, Moeda, Data, Processo, Observacoes, "
                       "AreaGestao, TipoTerceiro, TipoPreco, Origem FROM ct_Documentos"_s),
              QStringList{u"WEB|1|EUR|05-12-2026|Web 1234|Entregar à tarde|2|2|0|3"_s});
}

TEST_F(Escritor, SoPortesPositivosEVoucherPeloValorAbsoluto) {
    const struct {
        const char *portes, *voucher;
        QStringList depois;  // descriptions of the lines after the article line
    } casos[] = {{"0", "0", {}},
                 {"-3", "0", {}},
                 {"0.0001", "0", {"Portes de envio"}},
                 {"3.5", "12.50", {"Portes de envio", "Voucher no valor de 12,5 €"}},
                 {"0", "-1234.5678", {"Voucher no valor de 1234,5678 €"}}};
    for (const auto& c : casos) {
        novaEncomenda();
        linha("MEL250", "1");
        n->Portes(m(c.portes));
        n->voucher(m(c.voucher));
        ASSERT_TRUE(gravar().ok);
        QStringList depois;
        for (const QString& l : linhasGravadas().mid(1))
            depois << l.section(u'|', 2, 2);
        EXPECT_EQ(depois, c.depois) << c.portes << " " << c.voucher;
    }
}

TEST_F(Escritor, RecusaOuFalhaDaOsDoisEventosEDeixaAutEcoDesligado) {
    const struct {
        const char *cliente, *artigo, *serie, *sql;
        QString erro;  // how the Erros event starts
    } casos[] = {
        // clang-format off
        {"99", "MEL250", "1", "", u"Erro ao gravar a encomenda O terceiro '99' não é um cliente"_s},
        {"1", "CABAZ01", "1", "UPDATE OperaFac SET Quantida = 'muito' WHERE Factor = 'MEL250'",
         u"Erro 13\r\n(O valor 'muito' de OperaFac.Quantida não é uma quantia)"_s},
        {"1", "AZEITE05", "um", "", u"Erro 13\r\n(A série 'um' da empresa QF não é um número)"_s},
        {"1", "AZEITE05", "1", "DROP TABLE vek_Packs", u"Erro 3146\r\n("_s},
        // clang-format on
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.erro.toStdString());
        e.sql(QF, u"UPDATE TpDoc SET AutEco = -1"_s);
        if (*c.sql)
            e.sql(QF, QString::fromUtf8(c.sql));
        e.definir("QF", "Serie", QString::fromUtf8(c.serie));
        novaEncomenda();
        n->CodigoCliente(QString::fromUtf8(c.cliente));
        linha(c.artigo, "1");
        autEcoDuranteAGravacao = 99;
        const Resultado r = gravar();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.documento, u"/0/0/0"_s);
        ASSERT_GE(eventos.size(), 2);
        EXPECT_TRUE(eventos.last().startsWith(u"Erros: "_s + c.erro))
            << eventos.last().toStdString();
        EXPECT_EQ(eventos[eventos.size() - 2], u"Evolucao: "_s + eventos.last().mid(7));
        // Untouched when the build never began; off again when it did.
        const bool comecou = eventos.contains(kInicio);
        EXPECT_EQ(comecou, qstrcmp(c.serie, "um") != 0);
        EXPECT_EQ(autEcoDuranteAGravacao, comecou ? -1 : 99);
        EXPECT_EQ(autEco(), comecou ? 0 : -1);
        EXPECT_EQ(e.valor(QF, u"SELECT COUNT(*) FROM ct_Documentos"_s), u"0"_s);
    }
}

TEST_F(Escritor, LigacaoFalhadaDizOMesmoNosDoisEventos) {
    const struct {
        const char *seccao, *chave, *valor;
    } casos[] = {{"Next", "Password", "errada"},
                 {"Next", "Username", ""},
                 {"Next", "PercursoNext", "/nao/existe"},
                 {"QF", "CodigoNext", ""}};
    for (const auto& c : casos) {
        const QString antes =
            e.parametros.LerValor(QString::fromUtf8(c.seccao), QString::fromUtf8(c.chave));
        e.definir(c.seccao, c.chave, QString::fromUtf8(c.valor));
        novaEncomenda();
        EXPECT_FALSE(n->LigarAoNext()) << c.chave;
        EXPECT_EQ(eventos,
                  (QStringList{kAbrir, "Evolucao: " + kNaoLigado, "Erros: " + kNaoLigado}));
        e.definir(c.seccao, c.chave, antes);
    }
}
