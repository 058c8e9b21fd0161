#include <gtest/gtest.h>

#include <QDate>
#include <QDir>

#include "accounting/ContabilidadeEmbutida.h"
#include "platform/Falha.h"
#include "platform/Recordset.h"
#include "platform/clsBd.h"
#include "tests/apoio/Apoio.h"

namespace {

const char* kEmpresa = R"SQL(
CREATE TABLE TpDoc (Codigo nvarchar(5) PRIMARY KEY, Descricao nvarchar(50),
                    AutEco smallint NOT NULL DEFAULT 0);
CREATE TABLE vek_Packs (Codigo nvarchar(15) PRIMARY KEY, Descricao nvarchar(80));
CREATE TABLE OperaFac (Artigo nvarchar(15), Factor nvarchar(15), Quantida numeric(18,4),
                       PRIMARY KEY (Artigo, Factor));
CREATE TABLE CLIENTES (NUMERO int PRIMARY KEY, CODIGO nvarchar(10) UNIQUE, NOME nvarchar(100),
                       DBTS integer);
INSERT INTO TpDoc (Codigo, Descricao) VALUES ('ENCW', 'Encomenda Web'), ('ORC', 'Orçamento');
INSERT INTO CLIENTES (NUMERO, CODIGO, NOME) VALUES (-1, 'MODELO', 'Modelo'), (7, '7', 'Ana');
)SQL";

const char* kContabilidade = R"SQL(
INSERT INTO ct_Utilizadores (Utilizador, Password) VALUES ('gestor', 'S3gredo');
INSERT INTO ct_Artigos (Codigo, Descricao, PrecoUnitario, Unidade) VALUES
    ('AZEITE05', 'Azeite 0,5 l', 7.95, 'UN'), ('PORTES', 'Portes', 0, 'SV'),
    ('FALHA', 'Artigo que o registo recusa', 1, 'UN');
CREATE TRIGGER linha_recusada BEFORE INSERT ON ct_LinhasDocumento WHEN NEW.Artigo = 'FALHA'
BEGIN SELECT RAISE(ABORT, 'linha recusada'); END;
)SQL";

Moeda m(const char* texto) {
    return *Moeda::deTexto(QString::fromLatin1(texto), QLocale::c());
}

struct LinhaNova {
    qint16 tipo;
    const char* artigo;
    const char* quantidade;
    const char* preco;
};

class Contabilidade : public ::testing::Test {
  protected:
    void SetUp() override {
        pasta = e.pasta(QStringLiteral("bd"));
        criarBaseDeDados(pasta, QStringLiteral("QF"),
                         {QString::fromUtf8(kEmpresa), ContabilidadeEmbutida::Esquema(),
                          QString::fromUtf8(kContabilidade)});
        ASSERT_TRUE(abrir());
    }

    bool abrir(const QString& utilizador = QStringLiteral("gestor"),
               const QString& password = QStringLiteral("S3gredo")) {
        return next.AbrirEmpresa(pasta, e.caminho(QStringLiteral("log")), QStringLiteral("QF"),
                                 utilizador, password);
    }

    std::unique_ptr<DocumentoComercial> documento(const QString& tipo, qint16 serie, qint16 ano,
                                                  const QString& terceiro,
                                                  const QList<LinhaNova>& linhas) {
        auto doc = objectoComo<DocumentoComercial>(
            next.CriarObjecto(QStringLiteral("SageApiNextPlus.DocumentoComercial")));
        doc->Cab().TipoDocumento(tipo);
        doc->Cab().Serie(serie);
        doc->Cab().Ano(ano);
        doc->Cab().Terceiro(terceiro);
        doc->Cab().Moeda(QStringLiteral("EUR"));
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

    int contar(const QString& tabela) {
        clsBd bd;
        EXPECT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, QStringLiteral("QF"))));
        Recordset rs;
        bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM ") + tabela, rs);
        return rs.value(0).toInt();
    }

    Espaco e;
    QString pasta;
    ContabilidadeEmbutida next;
};

}  // namespace

TEST_F(Contabilidade, AbreSoComPastaBaseDeDadosEUtilizadorValidos) {
    EXPECT_TRUE(abrir(QStringLiteral("GESTOR"), QStringLiteral("S3gredo")));
    EXPECT_FALSE(abrir(QStringLiteral("gestor"), QStringLiteral("s3gredo")));
    EXPECT_FALSE(abrir(QStringLiteral("outro"), QStringLiteral("S3gredo")));
    EXPECT_FALSE(next.EmpresaAberta());
    const QString log = e.caminho(QStringLiteral("log"));
    EXPECT_FALSE(next.AbrirEmpresa(e.caminho(QStringLiteral("nada")), log, QStringLiteral("QF"),
                                   QStringLiteral("gestor"), QStringLiteral("S3gredo")));
    EXPECT_FALSE(next.AbrirEmpresa(pasta, log, QStringLiteral("SR"), QStringLiteral("gestor"),
                                   QStringLiteral("S3gredo")));
    EXPECT_FALSE(next.AbrirEmpresa(pasta, log, QString(), QStringLiteral("gestor"),
                                   QStringLiteral("S3gredo")));
    EXPECT_THROW(next.CriarObjecto(QStringLiteral("SageApiNextPlus.DocumentoComercial")), Falha);

    const QString diario = QStringLiteral("log/Next_") +
                           QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                           QStringLiteral(".log");
    const QString texto = QString::fromUtf8(e.ler(diario));
    EXPECT_TRUE(texto.contains(QStringLiteral("[QF] Empresa aberta pelo utilizador GESTOR")));
    EXPECT_TRUE(texto.contains(QStringLiteral("Utilizador ou password inválidos: outro")));
    EXPECT_TRUE(texto.contains(QStringLiteral("[SR] A base de dados da empresa não existe")));
}

TEST_F(Contabilidade, CriaAsSuasTabelasNumaBaseDeDadosQueNaoAsTem) {
    criarBaseDeDados(pasta, QStringLiteral("SR"), {QString::fromUtf8(kEmpresa)});
    // Without users nobody gets in, but the tables are there for the first one.
    EXPECT_FALSE(next.AbrirEmpresa(pasta, QString(), QStringLiteral("SR"), QStringLiteral("x"),
                                   QStringLiteral("x")));
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, QStringLiteral("SR"))));
    bd.Executar(QStringLiteral("INSERT INTO ct_Utilizadores VALUES ('x', 'x')"));
    EXPECT_TRUE(next.AbrirEmpresa(pasta, QString(), QStringLiteral("SR"), QStringLiteral("x"),
                                  QStringLiteral("x")));
}

TEST_F(Contabilidade, CriaSoAsDuasClassesQueConhece) {
    auto doc = next.CriarObjecto(QStringLiteral("SageApiNextPlus.DocumentoComercial"));
    EXPECT_NE(dynamic_cast<DocumentoComercial*>(doc.get()), nullptr);
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
}

TEST_F(Contabilidade, SugereDescricaoPrecoDoArtigo) {
    auto doc = documento(QStringLiteral("ENCW"), 1, 2026, QStringLiteral("7"), {});
    auto linha = next.NovaLinha();
    linha->Artigo(QStringLiteral("AZEITE05"));
    doc->SugereValoresLin(*linha, true, true, true, false, true, false, true);
    EXPECT_EQ(linha->Descricao(), QStringLiteral("Azeite 0,5 l"));
    EXPECT_EQ(linha->PrecoUnitario(), m("7.95"));
    auto desconhecida = next.NovaLinha();
    desconhecida->Artigo(QStringLiteral("NADA"));
    desconhecida->Descricao(QStringLiteral("fica"));
    doc->SugereValoresLin(*desconhecida, true, true, true, false, true, false, true);
    EXPECT_EQ(desconhecida->Descricao(), QStringLiteral("fica"));
}

struct Recusa {
    const char* tipo;
    qint16 serie;
    const char* terceiro;
    QList<LinhaNova> linhas;
    const char* mensagem;
};

class ContabilidadeRecusa : public Contabilidade, public ::testing::WithParamInterface<Recusa> {};

TEST_P(ContabilidadeRecusa, NaoGravaNadaEDizPorque) {
    const Recusa& r = GetParam();
    auto doc = documento(QString::fromLatin1(r.tipo), r.serie, 2026,
                         QString::fromLatin1(r.terceiro), r.linhas);
    EXPECT_FALSE(doc->Validar());
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_EQ(doc->UltimaMensagem(), QString::fromUtf8(r.mensagem));
    EXPECT_EQ(doc->Cab().NossoNoDocumento(), 0);
    EXPECT_EQ(contar(QStringLiteral("ct_Documentos")), 0);
    EXPECT_EQ(contar(QStringLiteral("ct_LinhasDocumento")), 0);
}

const QList<LinhaNova> kUmaLinha = {{1, "AZEITE05", "1", nullptr}};

INSTANTIATE_TEST_SUITE_P(
    Motivos, ContabilidadeRecusa,
    ::testing::Values(
        Recusa{"FT", 1, "7", kUmaLinha, "O tipo de documento 'FT' não existe"},
        Recusa{"ENCW", 1, "8", kUmaLinha, "O terceiro '8' não é um cliente"},
        Recusa{"ENCW", 1, "MODELO", kUmaLinha, "O terceiro 'MODELO' não é um cliente"},
        Recusa{"ENCW", 0, "7", kUmaLinha, "A série 0 não é válida"},
        Recusa{"ENCW", 1, "7", {}, "O documento não tem linhas"},
        Recusa{"ENCW",
               1,
               "7",
               {{1, "AZEITE05", "1", nullptr}, {1, "AZEITE5", "1", nullptr}},
               "Linha 2: o artigo 'AZEITE5' não existe"},
        Recusa{"ENCW", 1, "7", {{2, "PORTE", "1", "3"}}, "Linha 1: o artigo 'PORTE' não existe"},
        Recusa{"ENCW", 1, "7", {{2, "", "1", "3"}}, "Linha 1: a linha de portes não tem artigo"},
        Recusa{"ENCW",
               1,
               "7",
               {{3, "AZEITE05", "1", nullptr}},
               "Linha 1: o tipo de linha 3 não é válido"}));

TEST_F(Contabilidade, NumeraPorTipoSerieEAnoEGuardaAsLinhasPorOrdem) {
    struct Caso {
        const char* tipo;
        qint16 serie, ano;
        qint32 numero;
    };
    const Caso casos[] = {{"ENCW", 1, 2026, 1}, {"encw", 1, 2026, 2}, {"ENCW", 2, 2026, 1},
                          {"ENCW", 1, 2027, 1}, {"ORC", 1, 2026, 1},  {"ENCW", 1, 2026, 3}};
    for (const Caso& c : casos) {
        auto doc = documento(QString::fromLatin1(c.tipo), c.serie, c.ano, QStringLiteral("7"),
                             {{1, "AZEITE05", "2", nullptr}, {1, "", "1", "0"}});
        ASSERT_EQ(doc->Inserir(), 0) << doc->UltimaMensagem().toStdString();
        EXPECT_EQ(doc->Cab().NossoNoDocumento(), c.numero) << c.tipo << c.serie << c.ano;
        EXPECT_EQ(doc->Cab().TipoDocumento(), QString::fromLatin1(c.tipo).toUpper());
        EXPECT_NE(doc->Inserir(), 0);  // once only
    }

    auto doc = documento(QStringLiteral("ENCW"), 1, 2026, QStringLiteral("7"),
                         {{1, "AZEITE05", "1.5", "7"}, {2, "PORTES", "1", "4.5"}});
    doc->Cab().Processo(QStringLiteral("Web 99"));
    ASSERT_EQ(doc->Inserir(), 0);
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, QStringLiteral("QF"))));
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT NumeroDaLinha, TipoDeLinha, Artigo, Descricao, "
                                    "Unidade, Quantidade, PrecoUnitario FROM ct_LinhasDocumento "
                                    "WHERE TipoDocumento = 'ENCW' AND Serie = 1 AND Ano = 2026 "
                                    "AND Numero = 4 ORDER BY NumeroDaLinha"),
                     rs);
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.value(2).toString(), QStringLiteral("AZEITE05"));
    EXPECT_EQ(rs.value(3).toString(), QStringLiteral("Azeite 0,5 l"));
    EXPECT_EQ(rs.value(4).toString(), QStringLiteral("UN"));
    EXPECT_EQ(rs.value(5).toDouble(), 1.5);
    EXPECT_EQ(rs.value(6).toDouble(), 7.0);
    rs.moveNext();
    EXPECT_EQ(rs.value(0).toInt(), 2);
    EXPECT_EQ(rs.value(1).toInt(), 2);
    EXPECT_EQ(rs.value(4).toString(), QStringLiteral("SV"));
    EXPECT_EQ(rs.value(6).toDouble(), 4.5);

    const auto achados = next.DocumentosPorProcesso(QStringLiteral("Web 99"));
    ASSERT_EQ(achados.size(), 1);
    EXPECT_EQ(achados[0].texto(), QStringLiteral("ENCW/1/4/2026"));
    EXPECT_EQ(achados[0].Terceiro, QStringLiteral("7"));
    EXPECT_TRUE(next.DocumentosPorProcesso(QStringLiteral("Web 100")).isEmpty());
}

TEST_F(Contabilidade, UmaLinhaQueNaoSeGravaDesfazODocumentoInteiro) {
    auto doc = documento(QStringLiteral("ENCW"), 1, 2026, QStringLiteral("7"),
                         {{1, "AZEITE05", "1", nullptr}, {1, "FALHA", "1", nullptr}});
    EXPECT_TRUE(doc->Validar());
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_TRUE(doc->UltimaMensagem().startsWith(QStringLiteral("Não foi possível gravar")));
    EXPECT_TRUE(doc->UltimaMensagem().contains(QStringLiteral("linha recusada")));
    EXPECT_EQ(contar(QStringLiteral("ct_Documentos")), 0);
    EXPECT_EQ(contar(QStringLiteral("ct_LinhasDocumento")), 0);
    // The next document still gets number 1.
    auto outro = documento(QStringLiteral("ENCW"), 1, 2026, QStringLiteral("7"), kUmaLinha);
    ASSERT_EQ(outro->Inserir(), 0);
    EXPECT_EQ(outro->Cab().NossoNoDocumento(), 1);
}

TEST_F(Contabilidade, DocumentoDeUmaEmpresaFechadaNaoSeInsere) {
    auto doc = documento(QStringLiteral("ENCW"), 1, 2026, QStringLiteral("7"), kUmaLinha);
    next.FecharEmpresa();
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_EQ(doc->UltimaMensagem(), QStringLiteral("A empresa não está aberta"));
    EXPECT_THROW(next.DocumentosPorProcesso(QStringLiteral("Web 1")), Falha);
}

TEST_F(Contabilidade, FalhaDaBaseDeDadosAoValidarEUmaRecusaComOMotivo) {
    auto doc = documento(QStringLiteral("ENCW"), 1, 2026, QStringLiteral("7"), kUmaLinha);
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, QStringLiteral("QF"))));
    bd.Executar(QStringLiteral("DROP TABLE CLIENTES"));
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_TRUE(doc->UltimaMensagem().startsWith(QStringLiteral("Não foi possível validar")));
    EXPECT_THROW(doc->Validar(), Falha);
}

TEST_F(Contabilidade, TipoEClienteMudadosDepoisDeValidarSaoVistosDeNovo) {
    auto doc = documento(QStringLiteral("ENCW"), 1, 2026, QStringLiteral("7"),
                         {{1, "AZEITE05", "1", nullptr}});
    ASSERT_TRUE(doc->Validar()) << doc->UltimaMensagem().toStdString();
    doc->Cab().Terceiro(QStringLiteral("8"));
    EXPECT_FALSE(doc->Validar());
    EXPECT_TRUE(doc->UltimaMensagem().contains(QStringLiteral("'8'")));
    doc->Cab().Terceiro(QStringLiteral("7"));
    doc->Cab().TipoDocumento(QStringLiteral("XX"));
    EXPECT_NE(doc->Inserir(), 0);
    EXPECT_TRUE(doc->UltimaMensagem().contains(QStringLiteral("'XX'")));
    doc->Cab().TipoDocumento(QStringLiteral("orc"));
    ASSERT_EQ(doc->Inserir(), 0) << doc->UltimaMensagem().toStdString();
    EXPECT_EQ(doc->Cab().TipoDocumento(), QStringLiteral("ORC"));
}
