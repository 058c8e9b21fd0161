// The embedded connections a run keeps for reuse, and the statements the embedded database runs
// itself.
#include "platform/bd/LigacoesGuardadas.h"
#include "base/Falha.h"
#include "platform/bd/Recordset.h"
#include "tests/apoio/Apoio.h"

namespace {

class Guardadas : public ::testing::Test {
  protected:
    void SetUp() override {
        criarBaseDeDados(e.caminho(), u"EMP"_s,
                         {u"CREATE TABLE t (n int PRIMARY KEY, a nvarchar(5), r real, b blob);"
                          "INSERT INTO t VALUES (1, 'um', 1.5, NULL), (2, 'dois', NULL, x'00ff'), "
                          "(5, 'cinco', 2, NULL);"_s});
        ASSERT_TRUE(bd.Ligar(ligacao, &*reserva));
    }
    Espaco e;
    const QString ligacao = stringLigacaoEmbutida(e.caminho(), u"EMP"_s);
    std::optional<LigacoesGuardadas> reserva{std::in_place};
    clsBd bd;
};

}  // namespace

TEST_F(Guardadas, LigacaoReutilizadaSemATransaccaoNemAsEdicoesDeQuemADeixou) {
    bd.Executar(u"CREATE TEMP TABLE marca (x int)"_s);
    bd.IniciarTransaccao();
    bd.Executar(u"INSERT INTO t (n, a) VALUES (9, 'nove')"_s);
    Recordset antiga;
    bd.AbrirEdicao(u"SELECT n, a FROM t WHERE n = 1"_s, antiga);
    bd.Desligar();
    ASSERT_TRUE(bd.Ligar(ligacao, &*reserva));
    EXPECT_EQ(valores(bd, u"SELECT COUNT(*) FROM sqlite_temp_master WHERE name = 'marca'"_s),
              QStringList{u"1"_s});  // the same connection
    EXPECT_FALSE(bd.EmTransaccao());
    EXPECT_EQ(valores(bd, u"SELECT COUNT(*) FROM t WHERE n = 9"_s), QStringList{u"0"_s});
    antiga.setValue(u"a"_s, u"novo"_s);
    EXPECT_THROW(antiga.update(), Falha);
    EXPECT_EQ(valores(bd, u"SELECT a FROM t WHERE n = 1"_s), QStringList{u"um"_s});
    // Closed for good once no reserve keeps it: the database's log is checkpointed and removed.
    bd.Desligar();
    reserva.reset();
    EXPECT_FALSE(e.existe(u"EMP.db-wal"_s));
}

TEST_F(Guardadas, ValoresLigadosComoODriverDoQt) {
    EXPECT_EQ(valores(bd, u"SELECT a FROM t WHERE n = ?"_s, {QVariant(true)}),
              QStringList{u"um"_s});
    // A null text is stored as NULL, a small whole number as what the column makes of it.
    bd.Executar(u"INSERT INTO t (n, a, r) VALUES (?, ?, ?)"_s,
                {QVariant(qlonglong(10)), QVariant(QString()), QVariant(qint16(7))});
    EXPECT_EQ(valores(bd, u"SELECT COUNT(*) FROM t WHERE a IS NULL AND r = 7"_s),
              QStringList{u"1"_s});
    EXPECT_EQ(bd.Executar(u"UPDATE t SET r = ? WHERE n > ?"_s, {QVariant(2.25), QVariant(1)}), 3);
    EXPECT_THROW(valores(bd, u"SELECT a FROM t WHERE n = ?"_s), Falha);  // a parameter missing
    EXPECT_THROW(bd.Executar(u"INSERT INTO t (n) VALUES (1)"_s), Falha);
}
