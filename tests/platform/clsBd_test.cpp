#include "base/Falha.h"
#include "platform/bd/Recordset.h"
#include "platform/bd/clsStringLigacao.h"
#include "tests/apoio/Apoio.h"

namespace {

const char* kEsquema =
    "CREATE TABLE pessoas (Numero int PRIMARY KEY, Nome nvarchar(10), Obs nvarchar(255), Valor "
    "real); CREATE TABLE registo (Texto nvarchar(20));"
    "CREATE TRIGGER pessoas_ai AFTER INSERT ON pessoas BEGIN "
    "  INSERT INTO registo (Texto) VALUES ('novo; ' || NEW.Nome); END;"
    "INSERT INTO pessoas VALUES (1, 'Ana', NULL, 1.5), (2, 'O''Neil', 'x', NULL);";

class BaseDeDados : public ::testing::Test {
  protected:
    void SetUp() override {
        criarBaseDeDados(e.caminho(), u"EMP"_s, {QString::fromUtf8(kEsquema)});
        ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(e.caminho(), u"EMP"_s)));
    }
    Espaco e;
    clsBd bd;
};

}  // namespace

TEST_F(BaseDeDados, ConsultaGuardaNulosTamanhosEContagemDepoisDeDesligar) {
    Recordset rs;
    bd.AbrirConsulta(u"SELECT Nome, Obs, Valor, Numero + 1 AS Outro FROM pessoas ORDER BY 1"_s, rs);
    bd.Desligar();
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.definedSize(u"nome"_s), 10);
    EXPECT_EQ(rs.definedSize(u"Obs"_s), 255);
    EXPECT_EQ(rs.definedSize(u"Outro"_s), 0);
    EXPECT_TRUE(rs.value(u"Obs"_s).isNull());
    rs.moveNext();
    EXPECT_EQ(rs.value(u"Nome"_s).toString(), u"O'Neil"_s);
    EXPECT_TRUE(rs.value(u"Valor"_s).isNull());
    rs.moveNext();
    EXPECT_THROW(rs.value(0), Falha);
    EXPECT_THROW(bd.Executar(u"DELETE FROM pessoas"_s), Falha);  // not connected
    EXPECT_FALSE(bd.Ligar(stringLigacaoEmbutida(e.caminho(), u"QF"_s)));
    EXPECT_FALSE(e.existe(u"QF.db"_s));  // an embedded database is never made by connecting
}

TEST_F(BaseDeDados, EdicaoEscreveLinhaNovaEAlteradaMasNuncaUmaQueJaNaoExiste) {
    Recordset rs;
    bd.AbrirEdicao(u"SELECT * FROM pessoas WHERE (Numero = ?)"_s, rs, {3});
    ASSERT_TRUE(rs.eof());
    rs.addNew();
    rs.setValue(u"Numero"_s, 3);
    rs.setValue(u"Nome"_s, u"Zé"_s);
    rs.update();
    EXPECT_THROW(rs.setValue(u"Nome"_s, u"12345678901"_s), Falha);
    bd.AbrirEdicao(u"SELECT Numero, Nome FROM pessoas WHERE Numero = 2"_s, rs);
    rs.setValue(u"Nome"_s, u"Outro"_s);
    rs.update();
    EXPECT_EQ(valores(bd, u"SELECT Numero || Nome || IFNULL(Obs, '~') FROM pessoas ORDER BY 1"_s),
              (QStringList{"1Ana~", "2Outrox", "3Zé~"}));
    bd.AbrirEdicao(u"SELECT * FROM pessoas WHERE Numero = 1"_s, rs);
    bd.Executar(u"DELETE FROM pessoas WHERE Numero = 1"_s);
    rs.setValue(u"Nome"_s, u"x"_s);
    EXPECT_THROW(rs.update(), Falha);
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
    criarBaseDeDados(e.caminho(), u"EMP"_s,
                     {u"CREATE TABLE v (N int PRIMARY KEY, Quando datetime, Quantia "
                      "numeric(18,4), Texto nvarchar(10))"_s});
    clsStringLigacao s;
    s.Servidor = u"DRIVER={SQLite3};Database=%1/{NomeSQL}.db;NoCreat=1"_s.arg(e.caminho());
    s.BaseDeDados = u"EMP"_s;
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(s.StringLigacao())) << bd.UltimoErro().toStdString();
    auto captura = std::make_shared<Captura>();
    for (auto escritor : {std::shared_ptr<Captura>(), captura}) {
        Recordset rs;
        bd.AbrirEdicao(u"SELECT * FROM v"_s, rs);
        if (escritor)
            rs.setWriter(escritor);
        rs.addNew();
        for (int i = 0; i < rs.fieldCount(); ++i)
            rs.setValue(i, i == 0 ? QVariant(rs.recordCount()) : QVariant());
        rs.update();
    }
    Recordset rs;  // through the driver the nulls went in as nulls
    bd.AbrirConsulta(u"SELECT COUNT(*) FROM v WHERE Quando IS NULL AND Quantia IS NULL"_s, rs);
    EXPECT_EQ(rs.value(0).toInt(), 1);
    const QList<int> tipos = {QMetaType::QDateTime, QMetaType::Double, QMetaType::QString};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(captura->valores[i].isNull()) << i;
        EXPECT_EQ(captura->valores[i].typeId(), tipos[i - 1]) << i;
    }
}
