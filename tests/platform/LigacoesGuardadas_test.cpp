#include <gtest/gtest.h>

#include "platform/Falha.h"
#include "platform/LigacoesGuardadas.h"
#include "platform/Recordset.h"
#include "platform/clsBd.h"
#include "tests/apoio/Apoio.h"

// The embedded connections the run keeps for reuse, and the statements the embedded database
// runs itself.

namespace {

const char* kEsquema =
    "CREATE TABLE t (n int PRIMARY KEY, a nvarchar(5), r real, b blob);"
    "INSERT INTO t VALUES (1, 'um', 1.5, NULL), (2, 'dois', NULL, x'00ff'), (5, 'cinco', 2, NULL);";

class Guardadas : public ::testing::Test {
  protected:
    void SetUp() override {
        criarBaseDeDados(e.caminho(), QStringLiteral("EMP"), {QString::fromUtf8(kEsquema)});
        ligacao = stringLigacaoEmbutida(e.caminho(), QStringLiteral("EMP"));
    }
    // A temporary table lives on its own connection only.
    static bool temTabelaTemporaria(clsBd& bd) {
        Recordset rs;
        bd.AbrirConsulta(
            QStringLiteral("SELECT COUNT(*) FROM sqlite_temp_master WHERE name = 'marca'"), rs);
        return rs.value(0).toInt() == 1;
    }
    Espaco e;
    QString ligacao;
};

}  // namespace

TEST_F(Guardadas, LigacaoFechadaVoltaAoProximoLigarEFechaComAReserva) {
    {
        LigacoesGuardadas reserva;
        clsBd bd;
        ASSERT_TRUE(bd.Ligar(ligacao, &reserva));
        bd.Executar(QStringLiteral("CREATE TEMP TABLE marca (x int)"));
        bd.Desligar();
        ASSERT_TRUE(bd.Ligar(ligacao, &reserva));
        EXPECT_TRUE(temTabelaTemporaria(bd));
        bd.Desligar();
        // Closed for good: the log of the database is checkpointed and removed.
    }
    EXPECT_FALSE(e.existe(QStringLiteral("EMP.db-wal")));
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao));
    EXPECT_FALSE(temTabelaTemporaria(bd));
}

TEST_F(Guardadas, SemReservaCadaLigarAbreUmaLigacaoNova) {
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao));
    bd.Executar(QStringLiteral("CREATE TEMP TABLE marca (x int)"));
    bd.Desligar();
    ASSERT_TRUE(bd.Ligar(ligacao));
    EXPECT_FALSE(temTabelaTemporaria(bd));
}

TEST_F(Guardadas, TransaccaoDeixadaAbertaEAnuladaAntesDeAReutilizar) {
    LigacoesGuardadas reserva;
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao, &reserva));
    bd.IniciarTransaccao();
    bd.Executar(QStringLiteral("INSERT INTO t (n, a) VALUES (9, 'nove')"));
    bd.Desligar();

    ASSERT_TRUE(bd.Ligar(ligacao, &reserva));
    EXPECT_FALSE(bd.EmTransaccao());
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM t WHERE n = 9"), rs);
    EXPECT_EQ(rs.value(0).toInt(), 0);
    bd.IniciarTransaccao();
    bd.Executar(QStringLiteral("INSERT INTO t (n, a) VALUES (9, 'nove')"));
    bd.ConfirmarTransaccao();
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM t WHERE n = 9"), rs);
    EXPECT_EQ(rs.value(0).toInt(), 1);
}

TEST_F(Guardadas, EdicaoDeUmaLigacaoAnteriorNaoEscreveNaLigacaoReutilizada) {
    LigacoesGuardadas reserva;
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao, &reserva));
    Recordset rs;
    bd.AbrirEdicao(QStringLiteral("SELECT n, a FROM t WHERE n = 1"), rs);
    bd.Desligar();
    clsBd outra;
    ASSERT_TRUE(outra.Ligar(ligacao, &reserva));
    rs.setValue(QStringLiteral("a"), QStringLiteral("novo"));
    EXPECT_THROW(rs.update(), Falha);
    Recordset lido;
    outra.AbrirConsulta(QStringLiteral("SELECT a FROM t WHERE n = 1"), lido);
    EXPECT_EQ(lido.value(0).toString(), QStringLiteral("um"));
}

TEST_F(Guardadas, TamanhosDefinidosAcompanhamAMudancaDaTabela) {
    LigacoesGuardadas reserva;
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao, &reserva));
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT a FROM t"), rs);
    EXPECT_EQ(rs.definedSize(QStringLiteral("a")), 5);
    bd.Desligar();
    {
        clsBd fora;  // another connection changes the table while this one waits
        ASSERT_TRUE(fora.Ligar(ligacao));
        fora.Executar(QStringLiteral("DROP TABLE t"));
        fora.Executar(QStringLiteral("CREATE TABLE t (n int PRIMARY KEY, a nvarchar(12))"));
    }
    ASSERT_TRUE(bd.Ligar(ligacao, &reserva));
    bd.AbrirConsulta(QStringLiteral("SELECT a FROM t"), rs);
    EXPECT_EQ(rs.definedSize(QStringLiteral("a")), 12);
}

TEST_F(Guardadas, NumerosComparadosNoTextoDaoAsLinhasCertas) {
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao));
    struct Caso {
        const char* sql;
        QVariantList parametros;
        QStringList esperado;
    };
    const Caso casos[] = {
        {"SELECT a FROM t WHERE (n = 1)", {}, {QStringLiteral("um")}},
        {"SELECT a FROM t WHERE (n = 2)", {}, {QStringLiteral("dois")}},
        {"SELECT a FROM t WHERE (n =5)", {}, {QStringLiteral("cinco")}},
        {"SELECT a FROM t WHERE (a = ?) AND (n = 2)",
         {QStringLiteral("dois")},
         {QStringLiteral("dois")}},
        {"SELECT a FROM t WHERE (n = 5) AND (a = ?)", {QStringLiteral("dois")}, {}},
        {"SELECT a FROM t WHERE (n >= 2) ORDER BY n",
         {},
         {QStringLiteral("dois"), QStringLiteral("cinco")}},
        {"SELECT 'n = 1)' AS a FROM t WHERE (n = 1)", {}, {QStringLiteral("n = 1)")}},
        {"SELECT a FROM t WHERE (a = 'x = 2)') OR (n = 1)", {}, {QStringLiteral("um")}},
    };
    for (const Caso& c : casos) {
        Recordset rs;
        bd.AbrirConsulta(QString::fromUtf8(c.sql), rs, c.parametros);
        QStringList lido;
        for (; !rs.eof(); rs.moveNext())
            lido << rs.value(0).toString();
        EXPECT_EQ(lido, c.esperado) << c.sql;
    }
}

TEST_F(Guardadas, ValoresETiposComoODriverDoQt) {
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao));
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT n, a, r, b, n + 1 AS m FROM t WHERE n = 2"), rs);
    EXPECT_EQ(rs.field(0).type, FieldType::Integer);
    EXPECT_EQ(rs.field(1).type, FieldType::Text);
    EXPECT_EQ(rs.field(2).type, FieldType::Real);
    EXPECT_EQ(rs.field(3).type, FieldType::Binary);
    EXPECT_EQ(rs.field(4).type, FieldType::Integer);
    EXPECT_EQ(rs.value(0).typeId(), QMetaType::LongLong);
    EXPECT_EQ(rs.value(1).typeId(), QMetaType::QString);
    EXPECT_FALSE(rs.value(2).isValid());
    EXPECT_EQ(rs.value(3).toByteArray(), QByteArray("\x00\xff", 2));

    // A null text is stored as NULL, a small whole number as its text (the column makes it a
    // number), true as 1.
    bd.Executar(QStringLiteral("INSERT INTO t (n, a, r) VALUES (?, ?, ?)"),
                {QVariant(qlonglong(10)), QVariant(QString()), QVariant(qint16(7))});
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM t WHERE a IS NULL AND r = 7"), rs);
    EXPECT_EQ(rs.value(0).toInt(), 1);
    bd.AbrirConsulta(QStringLiteral("SELECT a FROM t WHERE n = ?"), rs, {QVariant(true)});
    EXPECT_EQ(rs.value(0).toString(), QStringLiteral("um"));

    EXPECT_EQ(bd.Executar(QStringLiteral("UPDATE t SET r = ? WHERE n > ?"),
                          {QVariant(2.25), QVariant(1)}),
              3);
    bd.AbrirConsulta(QStringLiteral("SELECT MAX(n) + 1 AS proximo FROM t WHERE n > 100"), rs);
    EXPECT_EQ(rs.field(0).type, FieldType::Other);
    EXPECT_FALSE(rs.value(0).isValid());
}

TEST_F(Guardadas, ErrosDeInstrucaoEDeParametrosSaoFalhas) {
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(ligacao));
    Recordset rs;
    EXPECT_THROW(bd.AbrirConsulta(QStringLiteral("SELECT x FROM nada"), rs), Falha);
    EXPECT_THROW(bd.AbrirConsulta(QStringLiteral("SELECT a FROM t WHERE n = ?"), rs, {}), Falha);
    EXPECT_THROW(bd.Executar(QStringLiteral("INSERT INTO t (n) VALUES (1)")), Falha);
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM t"), rs);
    EXPECT_EQ(rs.value(0).toInt(), 3);
}
