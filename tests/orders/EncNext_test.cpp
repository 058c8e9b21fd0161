// Web orders of customers through whole runs into documents: the lines (a pack's components,
// shipping, a voucher), the header, what the writer says, and the document type's AutEco, on only
// while a document is written.
#include "orders/EncNext.h"
#include "tests/apoio/ExecucaoComEmpresas.h"

namespace {

const QString QF = u"QF"_s;
const QString kNaoLigado = u"Não foi possivel ligar ao Sage 100c(V2022)"_s;

class Escritor : public ExecucaoComEmpresas {
  protected:
    void SetUp() override {
        ExecucaoComEmpresas::SetUp();
        e.relogio.hora = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9));
        e.definir("QF", "Tipo Doc", u"encw"_s);
        e.definir("QF", "Sector", u"web"_s);
        e.sql(QF, u"CREATE TABLE AutEcoVisto (Valor int)"_s);
        e.sql(QF,
              u"CREATE TRIGGER ver AFTER INSERT ON ct_Documentos BEGIN INSERT INTO AutEcoVisto "
              "SELECT AutEco FROM TpDoc WHERE Codigo = NEW.TipoDocumento; END"_s);
    }

    // A run over one order of customer 1 per element of `resto`; the file ENC_<n>.xml is the
    // order "n", counted from 1. AutEco is on before it, as a killed run leaves it.
    bool executar(const QList<QByteArray>& resto, const QByteArray& linhas,
                  const QByteArray& cliente = "1") {
        for (const QString& f : e.ficheiros(u"ee"_s))
            QFile::remove(e.caminho(u"ee/"_s + f));
        for (int i = 0; i < resto.size(); ++i)
            e.escrever(u"ee/ENC_%1.xml"_s.arg(i + 1),
                       encomendaWeb(QByteArray::number(i + 1), cliente, linhas, resto[i]));
        e.sql(QF, u"UPDATE TpDoc SET AutEco = -1"_s);
        return e.executar();
    }

    // The lines of the document of order n.
    QStringList linhasGravadas(int n = 1) {
        return e.linhas(QF,
                        u"SELECT l.Artigo, l.Armazem, l.Descricao, l.Quantidade, "
                        "l.QuantidadeOrigem, l.PrecoUnitario, l.TaxaDesconto, l.Desconto, "
                        "l.TipoDeLinha, l.LinhaRelacionada, l.NumeroDaLinha, l.EcoTaxaProcessada "
                        "FROM ct_LinhasDocumento l JOIN ct_Documentos d ON d.TipoDocumento = "
                        "l.TipoDocumento AND d.Serie = l.Serie AND d.Ano = l.Ano AND d.Numero = "
                        "l.Numero WHERE d.Processo = ? ORDER BY l.NumeroDaLinha"_s,
                        {u"Web %1"_s.arg(n)});
    }
    QString autEco() { return e.valor(QF, u"SELECT AutEco FROM TpDoc WHERE Codigo = 'ENCW'"_s); }
};

}  // namespace

TEST_F(Escritor, LinhasComComponentesDoPackDepoisPortesDepoisVoucher) {
    ASSERT_TRUE(executar({"<PORTES>4,5</PORTES><VOUCHER>-5</VOUCHER><OBS>Entregar à tarde</OBS>"},
                         "<LINHA><CODIGO>AZEITE05</CODIGO><QUANTIDADE>2</QUANTIDADE><PRECO>7,5"
                         "</PRECO><NOME>Azeite da loja</NOME><DESCONTO>10</DESCONTO><DESCONTOTXT>"
                         "10%</DESCONTOTXT></LINHA>" +
                             linhaWeb("CABAZ01", "3", "25") +
                             linhaWeb("MEL250", "1", "4,2")))  // the article's name, no discount
        << e.lista().toStdString();
    const QStringList l = e.janela.lista;
    EXPECT_EQ(l.mid(l.indexOf(u"Abrir ligação ao Next"_s), 4),
              (QStringList{"Abrir ligação ao Next", "Ligação Sage 100c(V2022) com sucesso",
                           "Inicio da gravação da encomenda", "Encomenda:ENCW/1/1/2026"}));
    EXPECT_EQ(e.valor(QF, u"SELECT group_concat(Valor) FROM AutEcoVisto"_s), u"-1"_s);
    EXPECT_EQ(autEco(), u"0"_s);
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
              QStringList{u"WEB|1|EUR|05-12-2026|Web 1|Entregar à tarde|2|2|0|3"_s});
}

TEST_F(Escritor, SoPortesPositivosEVoucherPeloValorAbsoluto) {
    const std::pair<QByteArray, QStringList> casos[] = {
        {"<PORTES>0</PORTES>", {}},
        {"<PORTES>-3</PORTES>", {}},
        {"<PORTES>0,0001</PORTES>", {"Portes de envio"}},
        {"<PORTES>3,5</PORTES><VOUCHER>12,50</VOUCHER>",
         {"Portes de envio", "Voucher no valor de 12,5 €"}},
        {"<VOUCHER>-1234,5678</VOUCHER>", {"Voucher no valor de 1234,5678 €"}},
    };
    QList<QByteArray> resto;
    for (const auto& c : casos)
        resto << c.first;
    ASSERT_TRUE(executar(resto, linhaWeb("MEL250", "1", "1"))) << e.lista().toStdString();
    for (int i = 0; i < resto.size(); ++i) {
        QStringList depois;  // the descriptions of the lines after the article's
        for (const QString& l : linhasGravadas(i + 1).mid(1))
            depois << l.section(u'|', 2, 2);
        EXPECT_EQ(depois, casos[i].second) << casos[i].first.constData();
    }
}

// Refused by the accounting or failed on the way: nothing written, the file stays, the reason
// is shown and logged.
TEST_F(Escritor, RecusaOuFalhaDitaERegistadaEAutEcoDesligado) {
    const struct {
        const char *cliente, *linhas, *chave, *valor, *sql, *erro;
        bool desligado = true;  // ENCW's AutEco, left on by a killed run, is switched off
    } casos[] = {
        // clang-format off
        {"99", "MEL250", "", "", "", "Erro ao gravar a encomenda O terceiro '99' não é um cliente"},
        {"MODELO", "MEL250", "", "", "", "O terceiro 'MODELO' não é um cliente"},
        {"1", "MEL250 AZEITE5", "", "", "", "Linha 2: o artigo 'AZEITE5' não existe"},
        {"1", "MEL250", "Tipo Doc", "FT", "", "O tipo de documento 'FT' não existe", false},
        {"1", "MEL250", "Serie", "0", "", "A série 0 não é válida"},
        {"1", "MEL250", "ARTPORTES", "PORTE", "", "Linha 2: o artigo 'PORTE' não existe"},
        {"1", "MEL250", "ARTPORTES", "", "", "Linha 2: a linha de portes não tem artigo"},
        // A line the database refuses undoes the whole document.
        {"1", "MEL250 VINHO75", "", "", "CREATE TRIGGER recusada BEFORE INSERT ON ct_LinhasDocumento WHEN NEW.Artigo = 'VINHO75' BEGIN SELECT RAISE(ABORT, 'linha recusada'); END",
         "Não foi possível gravar"},
        {"1", "CABAZ01", "", "", "UPDATE OperaFac SET Quantida = 'muito' WHERE Factor = 'MEL250'",
         "Erro 13\r\n(O valor 'muito' de OperaFac.Quantida não é uma quantia)"},
        {"1", "AZEITE05", "Serie", "um", "", "Erro 13\r\n(A série 'um' da empresa QF não é um número)", false},
        {"1", "MEL250", "", "", "UPDATE ct_Artigos SET PrecoUnitario = 'caro' WHERE Codigo = 'MEL250'",
         "Erro 13\r\n(O valor 'caro' de ct_Artigos.PrecoUnitario do artigo MEL250 não é uma quantia)"},
        {"1", "AZEITE05", "", "", "DROP TABLE vek_Packs", "Erro 3146\r\n("},
        // clang-format on
    };
    for (const auto& c : casos) {
        const QString erro = QString::fromUtf8(c.erro);
        SCOPED_TRACE(c.erro);
        if (*c.sql)
            e.sql(QF, QString::fromUtf8(c.sql));
        const QString antes =
            *c.chave ? e.parametros.LerValor(QF, QString::fromUtf8(c.chave)) : QString();
        if (*c.chave)
            e.definir("QF", c.chave, QString::fromUtf8(c.valor));
        QByteArray linhas;
        for (const QByteArray& artigo : QByteArray(c.linhas).split(' '))
            linhas += linhaWeb(artigo, "1", "1");
        EXPECT_FALSE(executar({"<PORTES>2</PORTES>"}, linhas, c.cliente));
        EXPECT_TRUE(e.lista().contains(erro)) << e.lista().toStdString();
        EXPECT_TRUE(e.registo().contains(erro));
        EXPECT_EQ(e.ficheiros(u"ee"_s), QStringList{u"ENC_1.xml"_s});
        EXPECT_EQ(e.valor(QF, u"SELECT COUNT(*) FROM ct_Documentos"_s), u"0"_s);
        // Untouched when no document of its type was begun; off again when one was.
        EXPECT_EQ(autEco(), c.desligado ? u"0"_s : u"-1"_s);
        if (*c.chave)
            e.definir("QF", c.chave, antes);
    }
}

TEST_F(Escritor, LigacaoFalhadaDitaERegistada) {
    const struct {
        const char *seccao, *chave, *valor;
    } casos[] = {{"Next", "Password", "errada"},
                 {"Next", "Username", ""},
                 {"Next", "PercursoNext", "/nao/existe"},
                 {"QF", "CodigoNext", ""}};
    int vezes = 0;
    for (const auto& c : casos) {
        const QString antes =
            e.parametros.LerValor(QString::fromUtf8(c.seccao), QString::fromUtf8(c.chave));
        e.definir(c.seccao, c.chave, QString::fromUtf8(c.valor));
        EXPECT_FALSE(executar({{}}, linhaWeb("MEL250", "1", "1"))) << c.chave;
        EXPECT_TRUE(e.janela.lista.contains(kNaoLigado)) << e.lista().toStdString();
        EXPECT_EQ(e.registo().count(kNaoLigado), ++vezes);
        EXPECT_EQ(e.ficheiros(u"ee"_s), QStringList{u"ENC_1.xml"_s});
        e.definir(c.seccao, c.chave, antes);
    }
}
