#include <QRegularExpression>

#include "contacts/vekContactos.h"
#include "platform/Falha.h"
#include "tests/apoio/Apoio.h"

namespace {

const QString QF = QStringLiteral("QF");

class Contactos : public testing::TestWithParam<Via> {
  protected:
    // A new web contact on QF's database, made from the bare tables and the SQL given.
    vekContactos novo(Empresas& empresa, qint32 idNet,
                      const QString& nome = QStringLiteral("Web")) {
        vekContactos c(empresa.base());
        c.CodigoEmpresa = QF;
        c.IdNet = idNet;
        c.Nome = nome;
        return c;
    }
};

}  // namespace

TEST_P(Contactos, NumeroSeguinteEPrimeiroCodigoLivre) {
    const struct {
        const char* contactos;
        qint32 numero;
    } casos[] = {{"", 1}, {"('41', 41), ('42', 7)", 43}, {"('A', -5)", -4}};
    for (const auto& caso : casos) {
        Empresas empresa(false, GetParam());
        if (*caso.contactos)
            empresa.sql(QF, QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero) VALUES ") +
                                QLatin1String(caso.contactos));
        vekContactos c = novo(empresa, 900);
        ASSERT_TRUE(c.Contacto_add());
        EXPECT_EQ(c.Numero, caso.numero) << caso.contactos;
        EXPECT_EQ(c.Codigo, QString::number(caso.numero));
        EXPECT_EQ(
            empresa.consultar(QF, QStringLiteral("SELECT c.Codigo, c.Nome FROM vek_contactos c "
                                                 "JOIN vek_BDC_EquivalenciaOnlineDesktop q "
                                                 "ON q.numero = c.Numero WHERE q.IDnet = 900")),
            (Linhas{{QString::number(caso.numero), QStringLiteral("Web")}}));
    }
}

TEST_P(Contactos, ContactoWebConhecidoSoPelaLinhaDeUmContactoQueExiste) {
    Empresas empresa(false, GetParam());
    empresa.sql(QF, QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES "
                                   "('C-7', 7, 'Antigo')"));
    empresa.sql(QF, QStringLiteral("INSERT INTO vek_BDC_EquivalenciaOnlineDesktop VALUES (501, 7), "
                                   "(600, 9)"));
    const QString versao = empresa.valor(QF, QStringLiteral("SELECT Valor FROM vek_RowVersion"));
    vekContactos conhecido = novo(empresa, 501, QStringLiteral("Novo nome"));
    EXPECT_FALSE(conhecido.Contacto_add());
    EXPECT_EQ(conhecido.Codigo, QStringLiteral("C-7"));
    EXPECT_EQ(conhecido.Numero, 7);
    EXPECT_EQ(empresa.valor(QF, QStringLiteral("SELECT Valor FROM vek_RowVersion")), versao);

    // 600 names contact 9, which is gone: it is added, once.
    vekContactos apagado = novo(empresa, 600);
    ASSERT_TRUE(apagado.Contacto_add());
    EXPECT_EQ(apagado.Numero, 8);
    vekContactos outra = novo(empresa, 600);
    EXPECT_FALSE(outra.Contacto_add());
    EXPECT_EQ(outra.Codigo, QStringLiteral("8"));
    EXPECT_EQ(empresa.consultar(QF, QStringLiteral("SELECT Numero, Nome FROM vek_contactos")),
              (Linhas{{"7", "Antigo"}, {"8", "Web"}}));
}

TEST_P(Contactos, TextosGuardadosTalComoVieramCortadosAoTamanhoDaColuna) {
    Empresas empresa(false, GetParam());
    const QString nome = QString(98, QLatin1Char('n')) + QStringLiteral("çãoXYZ");
    vekContactos c = novo(empresa, 77, nome);
    c.Contacto = QStringLiteral("O'Brien'); DROP TABLE vek_contactos; --");
    c.Observacoes = QStringLiteral("' OR '1'='1 ? €");
    c.GestorDeConta = QStringLiteral("GESTOR-0123456789");
    ASSERT_TRUE(c.Contacto_add());
    EXPECT_EQ(c.Nome, nome);  // the property stays whole
    EXPECT_EQ(empresa.consultar(QF, QStringLiteral("SELECT Nome, Contacto, Observ, GesCnt, "
                                                   "Fax IS NULL, FuncaoEntidades_Id IS NULL "
                                                   "FROM vek_contactos")),
              (Linhas{{nome.left(100), c.Contacto, c.Observacoes, "GESTOR-012", "0", "1"}}));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(empresa.valor(QF, QStringLiteral("SELECT Id_Unico FROM vek_contactos")))
                    .hasMatch());
}

TEST_P(Contactos, FalhaEntreOContactoEAEquivalenciaNaoDeixaNenhum) {
    Empresas empresa(false, GetParam(),
                     {QStringLiteral("CREATE TRIGGER recusar BEFORE INSERT ON "
                                     "vek_BDC_EquivalenciaOnlineDesktop BEGIN SELECT "
                                     "RAISE(ABORT, 'equivalencia recusada'); END")});
    vekContactos c = novo(empresa, 5);
    try {
        c.Contacto_add();
        ADD_FAILURE() << "the insert was refused";
    } catch (const Falha& f) {
        EXPECT_TRUE(f.descricao().contains(QStringLiteral("equivalencia recusada")));
    }
    EXPECT_EQ(empresa.valor(QF, QStringLiteral("SELECT COUNT(*) FROM vek_contactos")),
              QStringLiteral("0"));
    // No transaction was left behind: the database takes writes.
    empresa.sql(QF, QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero) VALUES ('1', 1)"));
}

TEST_P(Contactos, AlteradosDesdeAMarcaPorOrdemDeVersao) {
    Empresas empresa(true, GetParam());
    empresa.sql(QF, QStringLiteral("UPDATE vek_contactos SET Telef = 'x' WHERE Numero = 1"));
    // Contact 4's only class does not exist.
    empresa.sql(QF, QStringLiteral("INSERT INTO vek_EntidadesClassificacao VALUES (99, 3, '4')"));
    const auto listar = [&](qint64 desde) {
        vekContactos c(empresa.base());
        Recordset rs = c.rsListaContactosAlteradosDesde(desde);
        QStringList r;
        for (; !rs.eof(); rs.moveNext())
            r << rs.value(QStringLiteral("Numero")).toString() + QLatin1Char(':') +
                     rs.value(QStringLiteral("Tipo")).toString() + QLatin1Char(':') +
                     rs.value(QStringLiteral("Desconto")).toString();
        EXPECT_EQ(rs.definedSize(QStringLiteral("CdPostal")), 20);
        return r;
    };
    const auto versao = [&](int numero) {
        return empresa
            .valor(QF, QStringLiteral("SELECT dbts FROM vek_contactos WHERE Numero = ?"), {numero})
            .toLongLong();
    };
    EXPECT_EQ(listar(0), (QStringList{"2:2:0", "3:3:5", "4::", "1:1:10"}));
    EXPECT_EQ(listar(versao(3)), (QStringList{"4::", "1:1:10"}));
    EXPECT_EQ(listar(versao(1)), QStringList());
}

INSTANTIATE_TEST_SUITE_P(, Contactos, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);
