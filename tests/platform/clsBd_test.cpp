#include <gtest/gtest.h>

#include "platform/Falha.h"
#include "platform/Recordset.h"
#include "platform/ScriptSql.h"
#include "platform/SqlDialecto.h"
#include "platform/Transaccao.h"
#include "platform/clsBd.h"
#include "platform/clsStringLigacao.h"
#include "tests/apoio/Apoio.h"

namespace {

const char* kEsquema =
    "CREATE TABLE pessoas (Numero int PRIMARY KEY, Nome nvarchar(10), Obs nvarchar(255), Valor "
    "real);"
    "CREATE TABLE registo (Texto nvarchar(20));"
    "CREATE TRIGGER pessoas_ai AFTER INSERT ON pessoas BEGIN "
    "  INSERT INTO registo (Texto) VALUES ('novo; ' || NEW.Nome); END;"
    "INSERT INTO pessoas VALUES (1, 'Ana', NULL, 1.5), (2, 'O''Neil', 'x', NULL);";

class BaseDeDados : public ::testing::Test {
  protected:
    void SetUp() override {
        criarBaseDeDados(e.caminho(), QStringLiteral("EMP"), {QString::fromUtf8(kEsquema)});
        ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(e.caminho(), QStringLiteral("EMP"))));
    }
    Espaco e;
    clsBd bd;
};

}  // namespace

TEST_F(BaseDeDados, ConsultaGuardaNulosTamanhosEContagemDepoisDeDesligar) {
    Recordset rs;
    bd.AbrirConsulta(
        QStringLiteral("SELECT Numero, Nome, Obs, Valor, Numero + 1 AS Outro FROM pessoas "
                       "ORDER BY Numero"),
        rs);
    bd.Desligar();
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.definedSize(QStringLiteral("nome")), 10);
    EXPECT_EQ(rs.definedSize(QStringLiteral("Obs")), 255);
    EXPECT_EQ(rs.definedSize(QStringLiteral("Outro")), 0);
    EXPECT_TRUE(rs.value(QStringLiteral("Obs")).isNull());
    EXPECT_FALSE(rs.value(QStringLiteral("Obs")).isValid());
    rs.moveNext();
    EXPECT_EQ(rs.value(QStringLiteral("Nome")).toString(), QStringLiteral("O'Neil"));
    EXPECT_TRUE(rs.value(QStringLiteral("Valor")).isNull());
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.value(0), Falha);
}

TEST_F(BaseDeDados, ParametrosSaoLiteraisNuncaSql) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT Numero FROM pessoas WHERE (Nome = ?)"), rs,
                     {QStringLiteral("O'Neil")});
    EXPECT_EQ(rs.recordCount(), 1);
    bd.AbrirConsulta(QStringLiteral("SELECT Numero FROM pessoas WHERE (Nome = ?)"), rs,
                     {QStringLiteral("x' OR '1'='1")});
    EXPECT_EQ(rs.recordCount(), 0);
}

TEST_F(BaseDeDados, EdicaoEscreveLinhaNovaELinhaAlteradaPelaChave) {
    Recordset rs;
    bd.AbrirEdicao(QStringLiteral("SELECT * FROM pessoas WHERE (Numero = ?)"), rs, {3});
    ASSERT_TRUE(rs.eof());
    rs.addNew();
    rs.setValue(QStringLiteral("Numero"), 3);
    rs.setValue(QStringLiteral("Nome"), QStringLiteral("Zé"));
    rs.update();
    EXPECT_THROW(rs.setValue(QStringLiteral("Nome"), QStringLiteral("12345678901")), Falha);

    bd.AbrirEdicao(QStringLiteral("SELECT Numero, Nome FROM pessoas WHERE Numero = 2"), rs);
    rs.setValue(QStringLiteral("Nome"), QStringLiteral("Outro"));
    rs.update();

    Recordset lido;
    bd.AbrirConsulta(QStringLiteral("SELECT Numero, Nome, Obs FROM pessoas ORDER BY Numero"), lido);
    ASSERT_EQ(lido.recordCount(), 3);
    lido.moveNext();
    EXPECT_EQ(lido.value(QStringLiteral("Nome")).toString(), QStringLiteral("Outro"));
    EXPECT_EQ(lido.value(QStringLiteral("Obs")).toString(), QStringLiteral("x"));
    lido.moveNext();
    EXPECT_EQ(lido.value(QStringLiteral("Nome")).toString(), QStringLiteral("Zé"));
    EXPECT_TRUE(lido.value(QStringLiteral("Obs")).isNull());
}

TEST_F(BaseDeDados, TransaccaoAnuladaNaoDeixaNada) {
    bd.IniciarTransaccao();
    Recordset rs;
    bd.AbrirEdicao(QStringLiteral("SELECT * FROM pessoas WHERE Numero = 9"), rs);
    rs.addNew();
    rs.setValue(QStringLiteral("Numero"), 9);
    rs.update();
    bd.Executar(QStringLiteral("DELETE FROM pessoas WHERE Numero = ?"), {1});
    bd.AnularTransaccao();
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM pessoas"), rs);
    EXPECT_EQ(rs.value(0).toInt(), 2);
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM registo"), rs);
    EXPECT_EQ(rs.value(0).toInt(), 2);  // the two rows of the script, not the rolled-back one

    // A block's transaction: rolled back when a failure leaves the block, kept when confirmed.
    EXPECT_THROW(
        {
            Transaccao t(bd);
            bd.Executar(QStringLiteral("DELETE FROM pessoas"));
            bd.Executar(QStringLiteral("DELETE FROM tabela_que_nao_existe"));
        },
        Falha);
    EXPECT_FALSE(bd.EmTransaccao());
    {
        Transaccao t(bd);
        bd.Executar(QStringLiteral("DELETE FROM pessoas WHERE Numero = ?"), {1});
        t.Confirmar();
    }
    bd.AbrirConsulta(QStringLiteral("SELECT Numero FROM pessoas"), rs);
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.value(0).toInt(), 2);
}

TEST_F(BaseDeDados, LinhaApagadaEntretantoNaoEActualizadaEmSilencio) {
    Recordset rs;
    bd.AbrirEdicao(QStringLiteral("SELECT * FROM pessoas WHERE Numero = 1"), rs);
    bd.Executar(QStringLiteral("DELETE FROM pessoas WHERE Numero = 1"));
    rs.setValue(QStringLiteral("Nome"), QStringLiteral("x"));
    EXPECT_THROW(rs.update(), Falha);
}

TEST_F(BaseDeDados, InstrucaoErradaEOperacaoSemLigacaoSaoFalhas) {
    Recordset rs;
    EXPECT_THROW(bd.AbrirConsulta(QStringLiteral("SELECT nada FROM tabela_que_nao_existe"), rs),
                 Falha);
    bd.Desligar();
    EXPECT_THROW(bd.Executar(QStringLiteral("DELETE FROM pessoas")), Falha);
}

TEST(clsBdLigar, BaseEmbutidaQueNaoExisteNaoECriada) {
    Espaco e;
    clsBd bd;
    EXPECT_FALSE(bd.Ligar(stringLigacaoEmbutida(e.caminho(), QStringLiteral("QF"))));
    EXPECT_FALSE(e.existe(QStringLiteral("QF.db")));
    EXPECT_FALSE(bd.UltimoErro().isEmpty());
}

TEST(Recordset, TabelaEmMemoria) {
    Recordset rs;
    rs.appendField(QStringLiteral("Artigo"), FieldType::Text, 15);
    rs.appendField(QStringLiteral("Qtd"), FieldType::Real);
    rs.open();
    EXPECT_TRUE(rs.eof());
    rs.addNew();
    rs.setValue(QStringLiteral("artigo"), QStringLiteral("A1"));
    rs.update();
    rs.addNew();
    EXPECT_THROW(rs.setValue(QStringLiteral("Artigo"), QString(16, QLatin1Char('x'))), Falha);
    rs.update();
    EXPECT_EQ(rs.recordCount(), 2);
    rs.moveFirst();
    const Recordset copia = rs.clone();
    EXPECT_EQ(copia.value(QStringLiteral("Artigo")).toString(), QStringLiteral("A1"));
    EXPECT_TRUE(copia.value(QStringLiteral("Qtd")).isNull());
    EXPECT_THROW(rs.value(QStringLiteral("Preço")), Falha);
}

TEST(SqlDialecto, FormasTSqlReescritasParaSqlite) {
    struct Caso {
        const char* tsql;
        const char* sqlite;
    } casos[] = {
        {"SELECT TOP (1) a FROM t", "SELECT a FROM t LIMIT 1"},
        {"SELECT x, (SELECT TOP (1) b FROM u WHERE (u.k = t.k)) AS y FROM t ORDER BY x",
         "SELECT x, (SELECT b FROM u WHERE (u.k = t.k) LIMIT 1) AS y FROM t ORDER BY x"},
        {"Select * from vek_Packs WITH (NOLOCK) where Codigo=?",
         "Select * from vek_Packs where Codigo=?"},
        {"SELECT Codigo From vek_contactos WHERE (Codigo = N'12')",
         "SELECT Codigo From vek_contactos WHERE (Codigo = '12')"},
        {"SELECT 'N''a' AS n, TOPO FROM t", "SELECT 'N''a' AS n, TOPO FROM t"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(adaptarSqlParaSqlite(QString::fromUtf8(c.tsql)), QString::fromUtf8(c.sqlite));
}

TEST(ScriptSql, DivideNosPontoEVirgulaForaDeTextosComentariosEGatilhos) {
    const QStringList partes = dividirScriptSql(
        QString::fromUtf8(kEsquema) + QStringLiteral("-- fim; nada\n/* a; b */ SELECT 1"));
    ASSERT_EQ(partes.size(), 5);
    EXPECT_TRUE(partes[2].startsWith(QStringLiteral("CREATE TRIGGER")));
    EXPECT_TRUE(partes[2].endsWith(QStringLiteral("END")));
    EXPECT_EQ(partes[4], QStringLiteral("SELECT 1"));
}

// Qt's ODBC driver sends a null of no type as binary, which SQL Server refuses for date and
// numeric columns: a null written back through a record set carries its column's type.
TEST(clsBdOdbc, NuloEscritoDeVoltaLevaOTipoDaColuna) {
    struct Captura : RecordsetWriter {
        QVector<QVariant> valores;
        void insertRow(const QVector<RecordsetField>&, const QVector<QVariant>& v,
                       const QVector<bool>&) override {
            valores = v;
        }
        void updateRow(const QVector<RecordsetField>&, const QVector<QVariant>&,
                       const QVector<QVariant>&, const QVector<bool>&) override {}
    };
    Espaco e;
    criarBaseDeDados(e.caminho(), QStringLiteral("EMP"),
                     {QStringLiteral("CREATE TABLE v (N int PRIMARY KEY, Quando datetime, "
                                     "Quantia numeric(18,4), Texto nvarchar(10))")});
    clsStringLigacao s;
    s.Servidor =
        QStringLiteral("DRIVER={SQLite3};Database=%1/{NomeSQL}.db;NoCreat=1").arg(e.caminho());
    s.BaseDeDados = QStringLiteral("EMP");
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(s.StringLigacao())) << bd.UltimoErro().toStdString();
    Recordset rs;
    bd.AbrirEdicao(QStringLiteral("SELECT * FROM v"), rs);
    const auto gravar = [&rs](const std::shared_ptr<RecordsetWriter>& escritor) {
        if (escritor)
            rs.setWriter(escritor);
        rs.addNew();
        for (int i = 0; i < rs.fieldCount(); ++i)
            rs.setValue(i, i == 0 ? QVariant(rs.recordCount()) : QVariant());
        rs.update();
    };
    gravar(nullptr);  // through the driver: the nulls go in as nulls
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM v WHERE Quando IS NULL AND Quantia IS "
                                    "NULL AND Texto IS NULL"),
                     rs);
    EXPECT_EQ(rs.value(0).toInt(), 1);
    bd.AbrirEdicao(QStringLiteral("SELECT * FROM v"), rs);
    auto captura = std::make_shared<Captura>();
    gravar(captura);
    const QList<int> tipos = {QMetaType::QDateTime, QMetaType::Double, QMetaType::QString};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(captura->valores[i].isNull()) << i;
        EXPECT_EQ(captura->valores[i].typeId(), tipos[i - 1]) << i;
    }
}
