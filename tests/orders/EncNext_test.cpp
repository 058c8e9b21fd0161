#include <QLocale>

#include "orders/EncNext.h"
#include "run/ContextoDaExecucao.h"
#include "support/cl_log.h"
#include "tests/apoio/Apoio.h"

namespace {

const QString QF = QStringLiteral("QF");
const QString kAbrir = QStringLiteral("Evolucao: Abrir ligação ao Next");
const QString kLigado = QStringLiteral("Evolucao: Ligação Sage 100c(V2022) com sucesso");
const QString kNaoLigado = QStringLiteral("Não foi possivel ligar ao Sage 100c(V2022)");
const QString kInicio = QStringLiteral("Evolucao: Inicio da gravação da encomenda");

Moeda m(const char* texto) {
    return *Moeda::deTexto(QString::fromLatin1(texto), QLocale::c());
}

struct Resultado {
    bool ok = false;
    QString documento;  // type/series/number/year as returned
};

// The writer of one order of customer 1 on the demonstration workspace, dated by a fixed clock.
class Escritor : public ComEmpresas {
  public:
    void SetUp() override {
        ComEmpresas::SetUp();
        EncNext::relogio = [] { return QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)); };
        e.sql(QF, QStringLiteral("UPDATE TpDoc SET AutEco = -1"));  // as a killed run left it
        e.definir("QF", "Tipo Doc", QStringLiteral("encw"));
        e.definir("QF", "Sector", QStringLiteral("web"));
        novaEncomenda();
    }
    void TearDown() override {
        EncNext::relogio = [] { return QDateTime::currentDateTime(); };
        ComEmpresas::TearDown();
    }

    void novaEncomenda() {
        n.reset();
        contexto = std::make_unique<ContextoDaExecucao>(janela, e.parametros, log);
        n = std::make_unique<EncNext>(e.parametros, contexto->Contabilidade());
        eventos.clear();
        QObject::connect(n.get(), &EncNext::Evolucao, n.get(), [this](const QString& t) {
            eventos << QStringLiteral("Evolucao: ") + t;
            if (t == QStringLiteral("Inicio da gravação da encomenda"))
                autEcoDuranteAGravacao = autEco();
        });
        QObject::connect(n.get(), &EncNext::Erros, n.get(),
                         [this](const QString& t) { eventos << QStringLiteral("Erros: ") + t; });
        linhas = std::make_shared<Recordset>();
        for (const char* campo : {"Artigo", "Descrição", "DescontoTXT"})
            linhas->appendField(QString::fromUtf8(campo), FieldType::Text, 80);
        for (const char* campo : {"Qtd", "Preço", "Desconto"})
            linhas->appendField(QString::fromUtf8(campo), FieldType::Currency);
        linhas->open();
        n->NumeroEmpresa(QF);
        n->CodigoCliente(QStringLiteral("1"));
        n->Idencomenda(QStringLiteral("1234"));
        n->Observacoes(QStringLiteral("Entregar à tarde"));
        n->DataDoc(QDateTime(QDate(2026, 12, 4), QTime(10, 0)));
        n->RsLinha(linhas);
    }

    // A line of the order; a null text is a null value.
    void linha(const char* artigo, const char* qtd, const char* preco = "1",
               const char* descricao = nullptr, const char* desconto = nullptr,
               const char* descontoTxt = nullptr) {
        linhas->addNew();
        const auto texto = [](const char* t) {
            return t ? QVariant(QString::fromUtf8(t)) : QVariant();
        };
        const auto quantia = [](const char* t) {
            return t ? QVariant::fromValue(m(t)) : QVariant();
        };
        linhas->setValue(QStringLiteral("Artigo"), texto(artigo));
        linhas->setValue(QStringLiteral("Descrição"), texto(descricao));
        linhas->setValue(QStringLiteral("Qtd"), quantia(qtd));
        linhas->setValue(QStringLiteral("Preço"), quantia(preco));
        linhas->setValue(QStringLiteral("Desconto"), quantia(desconto));
        linhas->setValue(QStringLiteral("DescontoTXT"), texto(descontoTxt));
        linhas->update();
    }

    Resultado gravar() {
        Resultado r;
        QString tipo;
        qint16 serie = -9, ano = -9;
        qint32 numero = -9;
        if (!n->LigarAoNext())
            return r;
        r.ok = n->GravarEncomenda(tipo, serie, ano, numero, e.caminho(QStringLiteral("ENC1.xml")),
                                  *contexto, QF);
        n->desligarDoNext();
        r.documento = QStringLiteral("%1/%2/%3/%4").arg(tipo).arg(serie).arg(numero).arg(ano);
        return r;
    }

    // The lines of the last document: article|warehouse|description|quantity|quantity of
    // origin|price|discount rate|discount|line type|related line.
    Linhas linhasGravadas() {
        return e.consultar(
            QF,
            QStringLiteral(
                "SELECT Artigo, Armazem, Descricao, Quantidade, QuantidadeOrigem, PrecoUnitario, "
                "TaxaDesconto, Desconto, TipoDeLinha, LinhaRelacionada, NumeroDaLinha, "
                "EcoTaxaProcessada FROM ct_LinhasDocumento WHERE Numero = (SELECT MAX(Numero) FROM "
                "ct_Documentos) ORDER BY NumeroDaLinha"));
    }

    int autEco() {
        return e.valor(QF, QStringLiteral("SELECT AutEco FROM TpDoc WHERE Codigo = 'ENCW'"))
            .toInt();
    }

    JanelaDeTeste janela;
    cl_log log;  // not open: what the writer says goes to its events
    std::unique_ptr<ContextoDaExecucao> contexto;
    std::unique_ptr<EncNext> n;
    std::shared_ptr<Recordset> linhas;
    QStringList eventos;
    int autEcoDuranteAGravacao = 99;
};

}  // namespace

TEST_F(Escritor, LinhasComComponentesDoPackDepoisPortesDepoisVoucher) {
    linha("AZEITE05", "2", "7.5", "Azeite da loja", "10", "10%");
    linha("CABAZ01", "3", "25");
    linha("MEL250", "1", "4.2");  // no description: the article's; no discount: none
    n->Portes(m("4.5"));
    n->voucher(m("-5"));

    const Resultado r = gravar();
    ASSERT_TRUE(r.ok) << eventos.join('\n').toStdString();
    EXPECT_EQ(r.documento, QStringLiteral("ENCW/1/1/2026"));
    EXPECT_EQ(eventos,
              (QStringList{kAbrir, kLigado, kInicio, "Evolucao: Encomenda:ENCW/1/1/2026"}));
    EXPECT_EQ(autEcoDuranteAGravacao, -1);
    EXPECT_EQ(autEco(), 0);
    EXPECT_EQ(linhas->recordCount(), 3);  // the caller's table, read in place
    const QString mel = QStringLiteral("Mel de rosmaninho 250 g");
    // Components: quantity times the pack's, priced 0, related to the pack's line.
    EXPECT_EQ(
        linhasGravadas(),
        (Linhas{
            {"AZEITE05", "A1", "Azeite da loja", "2", "2", "7.5", "10", "10%", "1", "0", "1", "0"},
            {"CABAZ01", "A1", "Cabaz Quintaflor: 2 azeites e meio mel", "3", "3", "25", "0", "",
             "1", "0", "2", "0"},
            {"AZEITE05", "A1", "Azeite virgem extra Quintaflor 0,5 l", "6", "6", "0", "0", "0", "1",
             "2", "3", "0"},
            {"MEL250", "A1", mel, "1.5", "1.5", "0", "0", "0", "1", "2", "4", "0"},
            {"MEL250", "A1", mel, "1", "1", "4.2", "0", "", "1", "0", "5", "0"},
            {"PORTES", "", "Portes de envio", "1", "1", "4.5", "0", "0", "2", "0", "6", "0"},
            {"", "", "Voucher no valor de 5 €", "1", "1", "0", "0", "0", "1", "0", "7", "0"}}));
    EXPECT_EQ(e.consultar(QF, QStringLiteral("SELECT Sector, Terceiro, Moeda, Data, Processo, "
                                             "Observacoes, AreaGestao, TipoTerceiro, TipoPreco, "
                                             "Origem FROM ct_Documentos")),
              (Linhas{{"WEB", "1", "EUR", "05-12-2026", "Web 1234", "Entregar à tarde", "2", "2",
                       "0", "3"}}));
}

TEST_F(Escritor, SoPortesPositivosEVoucherPeloValorAbsoluto) {
    const struct {
        const char *portes, *voucher;
        QStringList depois;  // descriptions of the lines after the article line
    } casos[] = {
        {"0", "0", {}},
        {"-3", "0", {}},
        {"0.0001", "0", {"Portes de envio"}},
        {"3.5", "12.50", {"Portes de envio", "Voucher no valor de 12,5 €"}},
        {"0", "-1234.5678", {"Voucher no valor de 1234,5678 €"}},
    };
    for (const auto& c : casos) {
        novaEncomenda();
        linha("MEL250", "1");
        n->Portes(m(c.portes));
        n->voucher(m(c.voucher));
        ASSERT_TRUE(gravar().ok);
        QStringList depois;
        for (const QStringList& l : linhasGravadas().mid(1))
            depois << l[2];
        EXPECT_EQ(depois, c.depois) << c.portes << " " << c.voucher;
    }
}

TEST_F(Escritor, RecusaOuFalhaDaOsDoisEventosEDeixaAutEcoDesligado) {
    const struct {
        const char* nome;
        std::function<void(Escritor&)> preparar;
        QString erro;  // how the Erros event starts
        bool chegaAoInicio;
    } casos[] = {
        {"refused by the accounting",
         [](Escritor& t) {
             t.n->CodigoCliente(QStringLiteral("99"));
             t.linha("MEL250", "1");
         },
         QStringLiteral("Erro ao gravar a encomenda O terceiro '99' não é um cliente"), true},
        {"line without quantity", [](Escritor& t) { t.linha("AZEITE05", nullptr); },
         QStringLiteral("Erro 94\r\n(A linha 1 da encomenda (artigo AZEITE05) não tem quantidade)"),
         true},
        {"line without price", [](Escritor& t) { t.linha("AZEITE05", "1", nullptr); },
         QStringLiteral("Erro 94\r\n(A linha 1 da encomenda (artigo AZEITE05) não tem preço)"),
         true},
        {"component quantity not a number",
         [](Escritor& t) {
             t.linha("CABAZ01", "1");
             t.e.sql(QF, QStringLiteral(
                             "UPDATE OperaFac SET Quantida = 'muito' WHERE Factor = 'MEL250'"));
         },
         QStringLiteral("Erro 13\r\n(O valor 'muito' de OperaFac.Quantida não é uma quantia)"),
         true},
        {"series not a number",
         [](Escritor& t) {
             t.linha("AZEITE05", "1");
             t.e.definir("QF", "Serie", QStringLiteral("um"));
             t.novaEncomenda();
             t.linha("AZEITE05", "1");
         },
         QStringLiteral("Erro 13\r\n(A série 'um' da empresa QF não é um número)"), false},
        {"packs table missing",
         [](Escritor& t) {
             t.linha("AZEITE05", "1");
             t.e.sql(QF, QStringLiteral("DROP TABLE vek_Packs"));
         },
         QStringLiteral("Erro 3146\r\n("), true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        e.sql(QF, QStringLiteral("UPDATE TpDoc SET AutEco = -1"));
        novaEncomenda();
        c.preparar(*this);
        autEcoDuranteAGravacao = 99;
        const Resultado r = gravar();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.documento, QStringLiteral("/0/0/0"));
        ASSERT_GE(eventos.size(), 2);
        const QString erro = eventos.last().mid(7);
        EXPECT_TRUE(eventos.last().startsWith(QStringLiteral("Erros: ") + c.erro))
            << eventos.last().toStdString();
        EXPECT_EQ(eventos[eventos.size() - 2], QStringLiteral("Evolucao: ") + erro);
        EXPECT_EQ(eventos.contains(kInicio), c.chegaAoInicio);
        EXPECT_EQ(autEcoDuranteAGravacao, c.chegaAoInicio ? -1 : 99);
        EXPECT_EQ(autEco(), c.chegaAoInicio ? 0 : -1);  // untouched when the build never began
        EXPECT_EQ(e.valor(QF, QStringLiteral("SELECT COUNT(*) FROM ct_Documentos")),
                  QStringLiteral("0"));
        e.definir("QF", "Serie", QStringLiteral("1"));
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

TEST_F(Escritor, TipoDeDocumentoEArtigoComPlicaSaoValoresNaoSql) {
    e.sql(QF, QStringLiteral("INSERT INTO TpDoc (Codigo, AutEco) VALUES ('E''CW', -1)"));
    e.sql(QF, QStringLiteral("INSERT INTO vek_Packs (Codigo) VALUES ('O''PACK')"));
    e.sql(QF, QStringLiteral("INSERT INTO OperaFac VALUES ('O''PACK', 'MEL250', 1)"));
    e.sql(QF, QStringLiteral("INSERT INTO ct_Artigos (Codigo, Descricao) VALUES ('O''PACK', 'P')"));
    e.definir("QF", "Tipo Doc", QStringLiteral("E'CW"));
    novaEncomenda();
    linha("O'PACK", "2");
    const Resultado r = gravar();
    ASSERT_TRUE(r.ok) << eventos.join('\n').toStdString();
    EXPECT_EQ(r.documento, QStringLiteral("E'CW/1/1/2026"));
    EXPECT_EQ(e.valor(QF, QStringLiteral("SELECT AutEco FROM TpDoc WHERE Codigo = 'E''CW'")),
              QStringLiteral("0"));
    EXPECT_EQ(linhasGravadas().value(1).mid(0, 4),
              (QStringList{"MEL250", "A1", "Mel de rosmaninho 250 g", "2"}));
}
