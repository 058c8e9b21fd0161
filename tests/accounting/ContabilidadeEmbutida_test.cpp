#include <QDate>

#include "accounting/ContabilidadeEmbutida.h"
#include "platform/Falha.h"
#include "tests/apoio/ExecucaoComEmpresas.h"

namespace {

const QString QF = u"QF"_s;

Moeda m(const char* texto) {
    return *Moeda::deTexto(QString::fromLatin1(texto), QLocale::c());
}

struct LinhaNova {
    qint16 tipo;
    const char *artigo, *quantidade, *preco;
};
const QList<LinhaNova> kUmaLinha = {{1, "AZEITE05", "1", nullptr}};

// The accounting of the demonstration company QF, opened by its user.
class Contabilidade : public ExecucaoComEmpresas {
  protected:
    void SetUp() override {
        ExecucaoComEmpresas::SetUp();
        ASSERT_TRUE(abrir(u"demo"_s, u"demo"_s));
    }
    bool abrir(const QString& utilizador, const QString& password, const QString& empresa = QF) {
        return next.AbrirEmpresa(e.caminho(u"bd"_s), e.caminho(u"log"_s), empresa, utilizador,
                                 password);
    }
    std::unique_ptr<DocumentoComercial> documento(const char* tipo, qint16 serie, qint16 ano,
                                                  const char* terceiro,
                                                  const QList<LinhaNova>& linhas) {
        auto doc = objectoComo<DocumentoComercial>(
            next.CriarObjecto(u"SageApiNextPlus.DocumentoComercial"_s));
        doc->Cab().TipoDocumento(QString::fromLatin1(tipo));
        doc->Cab().Serie(serie);
        doc->Cab().Ano(ano);
        doc->Cab().Terceiro(QString::fromLatin1(terceiro));
        doc->Cab().Processo(u"Web 1"_s);
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
        return e.valor(QF, u"SELECT COUNT(*) FROM "_s + QLatin1String(tabela));
    }

    ContabilidadeEmbutida next;
};

}  // namespace

// The connection refused for a wrong password, user, folder or company: the writer's tests.
TEST_F(Contabilidade, AbreSoComPastaBaseDeDadosEUtilizadorValidos) {
    EXPECT_TRUE(abrir(u"DEMO"_s, u"demo"_s));
    EXPECT_FALSE(abrir(u"outro"_s, u"demo"_s));
    EXPECT_FALSE(next.EmpresaAberta());
    EXPECT_FALSE(abrir(u"demo"_s, u"demo"_s, u"ZZ"_s));
    EXPECT_THROW(next.CriarObjecto(u"SageApiNextPlus.DocumentoComercial"_s), Falha);
    ASSERT_TRUE(abrir(u"demo"_s, u"demo"_s));
    try {
        next.CriarObjecto(u"SageApiNextPlus.Artigo"_s);
        FAIL();
    } catch (const Falha& f) {  // the classes it does not know are named
        EXPECT_EQ(f.numero(), 429);
        EXPECT_TRUE(f.descricao().contains(u"SageApiNextPlus.Artigo"_s));
    }
    const QString texto = QString::fromUtf8(
        e.ler(u"log/Next_%1.log"_s.arg(QDate::currentDate().toString(u"yyyyMMdd"))));
    EXPECT_TRUE(texto.contains(u"[QF] Empresa aberta pelo utilizador DEMO"_s));
    EXPECT_TRUE(texto.contains(u"Utilizador ou password inválidos: outro"_s));
    EXPECT_TRUE(texto.contains(u"[ZZ] A base de dados da empresa não existe"_s));

    // A database without the accounting's tables gets them, empty: nobody gets in until a user
    // is added.
    criarBaseDeDados(e.caminho(u"bd"_s), u"XX"_s, {u"company-sqlite.sql"_s});
    EXPECT_FALSE(abrir(u"x"_s, u"x"_s, u"XX"_s));
    e.sql(u"XX"_s, u"INSERT INTO ct_Utilizadores VALUES ('x', 'x')"_s);
    EXPECT_TRUE(abrir(u"x"_s, u"x"_s, u"XX"_s));
}

TEST_F(Contabilidade, RecusaSemGravarNadaEDizPorque) {
    const struct {
        const char* tipo;
        qint16 serie;
        const char* terceiro;
        QList<LinhaNova> linhas;
        const char* mensagem;
    } casos[] = {
        // clang-format off
        {"FT", 1, "1", kUmaLinha, "O tipo de documento 'FT' não existe"},
        {"ENCW", 1, "8", kUmaLinha, "O terceiro '8' não é um cliente"},
        {"ENCW", 1, "MODELO", kUmaLinha, "O terceiro 'MODELO' não é um cliente"},
        {"ENCW", 0, "1", kUmaLinha, "A série 0 não é válida"},
        {"ENCW", 1, "1", {}, "O documento não tem linhas"},
        {"ENCW", 1, "1", {{1, "AZEITE05", "1", nullptr}, {1, "AZEITE5", "1", nullptr}}, "Linha 2: o artigo 'AZEITE5' não existe"},
        {"ENCW", 1, "1", {{2, "PORTE", "1", "3"}}, "Linha 1: o artigo 'PORTE' não existe"},
        {"ENCW", 1, "1", {{2, "", "1", "3"}}, "Linha 1: a linha de portes não tem artigo"},
        {"ENCW", 1, "1", {{3, "AZEITE05", "1", nullptr}}, "Linha 1: o tipo de linha 3 não é válido"},
        // clang-format on
    };
    for (const auto& c : casos) {
        auto doc = documento(c.tipo, c.serie, 2026, c.terceiro, c.linhas);
        EXPECT_FALSE(doc->Validar());
        EXPECT_NE(doc->Inserir(), 0);
        EXPECT_EQ(doc->UltimaMensagem(), QString::fromUtf8(c.mensagem));
        EXPECT_EQ(doc->Cab().NossoNoDocumento(), 0);
    }
    // A database that fails: refused with the reason.
    auto doc = documento("ENCW", 1, 2026, "1", kUmaLinha);
    e.sql(QF, u"ALTER TABLE CLIENTES RENAME TO C"_s);
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_TRUE(doc->UltimaMensagem().startsWith(u"Não foi possível validar"_s));
    EXPECT_EQ(contar("ct_Documentos") + contar("ct_LinhasDocumento"), u"00"_s);
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
    EXPECT_EQ(e.linhas(QF,
                       u"SELECT NumeroDaLinha, TipoDeLinha, Artigo, Unidade, Quantidade, "
                       "PrecoUnitario FROM ct_LinhasDocumento WHERE Numero = 3"_s),
              (QStringList{"1|1|AZEITE05|UN|1.5|7", "2|2|PORTES|SV|1|4.5"}));

    // A line that cannot be stored undoes the whole document, and takes no number.
    e.sql(QF,
          u"CREATE TRIGGER recusada BEFORE INSERT ON ct_LinhasDocumento WHEN "
          "NEW.Artigo = 'MEL250' BEGIN SELECT RAISE(ABORT, 'linha recusada'); END"_s);
    auto doc = documento("ENCW", 1, 2028, "1",
                         {{1, "AZEITE05", "1", nullptr}, {1, "MEL250", "1", nullptr}});
    EXPECT_TRUE(doc->Validar());
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_TRUE(doc->UltimaMensagem().startsWith(u"Não foi possível gravar"_s));
    EXPECT_TRUE(doc->UltimaMensagem().contains(u"linha recusada"_s));
    EXPECT_EQ(contar("ct_Documentos"), u"6"_s);
    EXPECT_EQ(contar("ct_LinhasDocumento"), u"12"_s);
    auto outro = documento("ENCW", 1, 2028, "1", kUmaLinha);
    ASSERT_EQ(outro->Inserir(), 0);
    EXPECT_EQ(outro->Cab().NossoNoDocumento(), 1);
}
