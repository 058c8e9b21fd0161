#include <QDate>

#include "accounting/ContabilidadeEmbutida.h"
#include "platform/Falha.h"
#include "tests/apoio/Apoio.h"

namespace {

const QString QF = QStringLiteral("QF");

Moeda m(const char* texto) {
    return *Moeda::deTexto(QString::fromLatin1(texto), QLocale::c());
}

struct LinhaNova {
    qint16 tipo;
    const char *artigo, *quantidade, *preco;
};
const QList<LinhaNova> kUmaLinha = {{1, "AZEITE05", "1", nullptr}};

// The accounting of the demonstration company QF, opened by its user.
class Contabilidade : public ComEmpresas {
  protected:
    void SetUp() override {
        ComEmpresas::SetUp();
        ASSERT_TRUE(abrir(QStringLiteral("demo"), QStringLiteral("demo")));
    }
    bool abrir(const QString& utilizador, const QString& password, const QString& empresa = QF) {
        return next.AbrirEmpresa(e.caminho(QStringLiteral("bd")), e.caminho(QStringLiteral("log")),
                                 empresa, utilizador, password);
    }
    std::unique_ptr<DocumentoComercial> documento(const char* tipo, qint16 serie, qint16 ano,
                                                  const char* terceiro,
                                                  const QList<LinhaNova>& linhas) {
        auto doc = objectoComo<DocumentoComercial>(
            next.CriarObjecto(QStringLiteral("SageApiNextPlus.DocumentoComercial")));
        doc->Cab().TipoDocumento(QString::fromLatin1(tipo));
        doc->Cab().Serie(serie);
        doc->Cab().Ano(ano);
        doc->Cab().Terceiro(QString::fromLatin1(terceiro));
        doc->Cab().Processo(QStringLiteral("Web 1"));
        for (const LinhaNova& l : linhas) {
            auto linha = next.NovaLinha();
            linha->TipoDeLinha(l.tipo);
            linha->Artigo(QString::fromLatin1(l.artigo));
            doc->SugereValoresLin(*linha, true, true, true, false, true, false, true);
            linha->Quantidade(m(l.quantidade));
            if (l.preco)
                linha->PrecoUnitario(m(l.preco));
            doc->AdicionaLinha(*linha);
        }
        return doc;
    }
    QString contar(const char* tabela) {
        return e.valor(QF, QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(tabela));
    }

    ContabilidadeEmbutida next;
};

}  // namespace

TEST_F(Contabilidade, AbreSoComPastaBaseDeDadosEUtilizadorValidos) {
    EXPECT_TRUE(abrir(QStringLiteral("DEMO"), QStringLiteral("demo")));
    EXPECT_FALSE(abrir(QStringLiteral("demo"), QStringLiteral("DEMO")));
    EXPECT_FALSE(abrir(QStringLiteral("outro"), QStringLiteral("demo")));
    EXPECT_FALSE(next.EmpresaAberta());
    EXPECT_FALSE(abrir(QStringLiteral("demo"), QStringLiteral("demo"), QStringLiteral("ZZ")));
    EXPECT_FALSE(abrir(QStringLiteral("demo"), QStringLiteral("demo"), QString()));
    EXPECT_FALSE(next.AbrirEmpresa(e.caminho(QStringLiteral("nada")), QString(), QF,
                                   QStringLiteral("demo"), QStringLiteral("demo")));
    EXPECT_THROW(next.CriarObjecto(QStringLiteral("SageApiNextPlus.DocumentoComercial")), Falha);
    const QString texto = QString::fromUtf8(
        e.ler(QStringLiteral("log/Next_%1.log").arg(QDate::currentDate().toString(u"yyyyMMdd"))));
    EXPECT_TRUE(texto.contains(QStringLiteral("[QF] Empresa aberta pelo utilizador DEMO")));
    EXPECT_TRUE(texto.contains(QStringLiteral("Utilizador ou password inválidos: outro")));
    EXPECT_TRUE(texto.contains(QStringLiteral("[ZZ] A base de dados da empresa não existe")));

    // A database without the accounting's tables gets them, empty: nobody gets in until a user
    // is added.
    criarBaseDeDados(e.caminho(QStringLiteral("bd")), QStringLiteral("XX"),
                     {QStringLiteral("company-sqlite.sql")});
    EXPECT_FALSE(abrir(QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("XX")));
    e.sql(QStringLiteral("XX"), QStringLiteral("INSERT INTO ct_Utilizadores VALUES ('x', 'x')"));
    EXPECT_TRUE(abrir(QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("XX")));
}

TEST_F(Contabilidade, CriaSoAsClassesQueConheceESugereOArtigo) {
    auto linha = next.CriarObjecto(QStringLiteral("SageApiNextPlus.DocumentosGCLin"));
    EXPECT_NE(dynamic_cast<DocumentosGCLin*>(linha.get()), nullptr);
    EXPECT_THROW(objectoComo<DocumentoComercial>(std::move(linha)), Falha);
    try {
        next.CriarObjecto(QStringLiteral("SageApiNextPlus.Artigo"));
        FAIL();
    } catch (const Falha& f) {
        EXPECT_EQ(f.numero(), 429);
        EXPECT_TRUE(f.descricao().contains(QStringLiteral("SageApiNextPlus.Artigo")));
    }
    auto doc = documento("ENCW", 1, 2026, "1", {});
    auto sugerida = next.NovaLinha();
    sugerida->Artigo(QStringLiteral("AZEITE05"));
    doc->SugereValoresLin(*sugerida, true, true, true, false, true, false, true);
    EXPECT_EQ(sugerida->Descricao(), QStringLiteral("Azeite virgem extra Quintaflor 0,5 l"));
    EXPECT_EQ(sugerida->PrecoUnitario(), m("7.95"));
    auto desconhecida = next.NovaLinha();
    desconhecida->Artigo(QStringLiteral("NADA"));
    desconhecida->Descricao(QStringLiteral("fica"));
    doc->SugereValoresLin(*desconhecida, true, true, true, false, true, false, true);
    EXPECT_EQ(desconhecida->Descricao(), QStringLiteral("fica"));
}

TEST_F(Contabilidade, RecusaSemGravarNadaEDizPorque) {
    const struct {
        const char* tipo;
        qint16 serie;
        const char* terceiro;
        QList<LinhaNova> linhas;
        const char* mensagem;
    } casos[] = {
        {"FT", 1, "1", kUmaLinha, "O tipo de documento 'FT' não existe"},
        {"ENCW", 1, "8", kUmaLinha, "O terceiro '8' não é um cliente"},
        {"ENCW", 1, "MODELO", kUmaLinha, "O terceiro 'MODELO' não é um cliente"},
        {"ENCW", 0, "1", kUmaLinha, "A série 0 não é válida"},
        {"ENCW", 1, "1", {}, "O documento não tem linhas"},
        {"ENCW",
         1,
         "1",
         {{1, "AZEITE05", "1", nullptr}, {1, "AZEITE5", "1", nullptr}},
         "Linha 2: o artigo 'AZEITE5' não existe"},
        {"ENCW", 1, "1", {{2, "PORTE", "1", "3"}}, "Linha 1: o artigo 'PORTE' não existe"},
        {"ENCW", 1, "1", {{2, "", "1", "3"}}, "Linha 1: a linha de portes não tem artigo"},
        {"ENCW",
         1,
         "1",
         {{3, "AZEITE05", "1", nullptr}},
         "Linha 1: o tipo de linha 3 não é válido"},
    };
    for (const auto& c : casos) {
        auto doc = documento(c.tipo, c.serie, 2026, c.terceiro, c.linhas);
        EXPECT_FALSE(doc->Validar());
        EXPECT_NE(doc->Inserir(), 0);
        EXPECT_EQ(doc->UltimaMensagem(), QString::fromUtf8(c.mensagem));
        EXPECT_EQ(doc->Cab().NossoNoDocumento(), 0);
    }
    // Type and customer changed after a validation are checked again.
    auto doc = documento("ENCW", 1, 2026, "1", kUmaLinha);
    ASSERT_TRUE(doc->Validar());
    doc->Cab().Terceiro(QStringLiteral("8"));
    EXPECT_NE(doc->Inserir(), 0);
    doc->Cab().Terceiro(QStringLiteral("1"));
    doc->Cab().TipoDocumento(QStringLiteral("XX"));
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_EQ(contar("ct_Documentos") + contar("ct_LinhasDocumento"), QStringLiteral("00"));
    // A closed company, or a database that fails: refused with the reason.
    doc->Cab().TipoDocumento(QStringLiteral("ENCW"));
    e.sql(QF, QStringLiteral("ALTER TABLE CLIENTES RENAME TO C"));
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_TRUE(doc->UltimaMensagem().startsWith(QStringLiteral("Não foi possível validar")));
    EXPECT_THROW(doc->Validar(), Falha);
    next.FecharEmpresa();
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_EQ(doc->UltimaMensagem(), QStringLiteral("A empresa não está aberta"));
    EXPECT_THROW(next.DocumentosPorProcesso(QStringLiteral("Web 1")), Falha);
}

TEST_F(Contabilidade, NumeraPorTipoSerieEAnoEGuardaTudoOuNada) {
    const struct {
        const char* tipo;
        qint16 serie, ano;
        qint32 numero;
    } casos[] = {{"ENCW", 1, 2026, 1}, {"encw", 1, 2026, 2}, {"ENCW", 2, 2026, 1},
                 {"ENCW", 1, 2027, 1}, {"FA", 1, 2026, 1},   {"ENCW", 1, 2026, 3}};
    for (const auto& c : casos) {
        auto doc = documento(c.tipo, c.serie, c.ano, "1",
                             {{1, "AZEITE05", "1.5", "7"}, {2, "PORTES", "1", "4.5"}});
        ASSERT_EQ(doc->Inserir(), 0) << doc->UltimaMensagem().toStdString();
        EXPECT_EQ(doc->Cab().NossoNoDocumento(), c.numero) << c.tipo << c.serie << c.ano;
        EXPECT_EQ(doc->Cab().TipoDocumento(), QString::fromLatin1(c.tipo).toUpper());
        EXPECT_NE(doc->Inserir(), 0);  // once only
    }
    EXPECT_EQ(
        e.consultar(QF, QStringLiteral("SELECT NumeroDaLinha, TipoDeLinha, Artigo, Unidade, "
                                       "Quantidade, PrecoUnitario FROM ct_LinhasDocumento "
                                       "WHERE Numero = 3 ORDER BY NumeroDaLinha")),
        (Linhas{{"1", "1", "AZEITE05", "UN", "1.5", "7"}, {"2", "2", "PORTES", "SV", "1", "4.5"}}));
    const auto achados = next.DocumentosPorProcesso(QStringLiteral("Web 1"));
    ASSERT_EQ(achados.size(), 6);
    EXPECT_EQ(achados[0].Terceiro, QStringLiteral("1"));
    EXPECT_TRUE(next.DocumentosPorProcesso(QStringLiteral("Web 10")).isEmpty());

    // A line that cannot be stored undoes the whole document, and takes no number.
    e.sql(QF,
          QStringLiteral("CREATE TRIGGER recusada BEFORE INSERT ON ct_LinhasDocumento WHEN "
                         "NEW.Artigo = 'MEL250' BEGIN SELECT RAISE(ABORT, 'linha recusada'); END"));
    auto doc = documento("ENCW", 1, 2028, "1",
                         {{1, "AZEITE05", "1", nullptr}, {1, "MEL250", "1", nullptr}});
    EXPECT_TRUE(doc->Validar());
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_TRUE(doc->UltimaMensagem().startsWith(QStringLiteral("Não foi possível gravar")));
    EXPECT_TRUE(doc->UltimaMensagem().contains(QStringLiteral("linha recusada")));
    EXPECT_EQ(contar("ct_Documentos"), QStringLiteral("6"));
    EXPECT_EQ(contar("ct_LinhasDocumento"), QStringLiteral("12"));
    auto outro = documento("ENCW", 1, 2028, "1", kUmaLinha);
    ASSERT_EQ(outro->Inserir(), 0);
    EXPECT_EQ(outro->Cab().NossoNoDocumento(), 1);
}
