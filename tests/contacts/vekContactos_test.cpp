#include <QRegularExpression>

#include "base/Falha.h"
#include "contacts/vekContactos.h"
#include "tests/apoio/Apoio.h"

namespace {

const QString QF = u"QF"_s;

class Contactos : public testing::TestWithParam<Via> {
  protected:
    // A new web contact on QF's database, made from the bare tables and the SQL given.
    vekContactos novo(Empresas& empresa, qint32 idNet, const QString& nome = u"Web"_s) {
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
            empresa.sql(QF, u"INSERT INTO vek_contactos (Codigo, Numero) VALUES "_s +
                                QLatin1String(caso.contactos));
        vekContactos c = novo(empresa, 900);
        ASSERT_TRUE(c.Contacto_add());
        EXPECT_EQ(c.Numero, caso.numero) << caso.contactos;
        EXPECT_EQ(c.Codigo, QString::number(caso.numero));
        EXPECT_EQ(empresa.consultar(QF,
                                    u"SELECT c.Codigo, c.Nome FROM vek_contactos c "
                                    "JOIN vek_BDC_EquivalenciaOnlineDesktop q "
                                    "ON q.numero = c.Numero WHERE q.IDnet = 900"_s),
                  (Linhas{{QString::number(caso.numero), u"Web"_s}}));
    }
}

// A web identifier already known is the hostile-input tests' (the same IDNET twice); here one
// that names a contact deleted since: added again, once.
TEST_P(Contactos, ContactoWebQueNomeiaUmContactoApagadoEAdicionadoUmaVez) {
    Empresas empresa(false, GetParam());
    empresa.sql(QF, u"INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES ('C-7', 7, 'A')"_s);
    empresa.sql(QF, u"INSERT INTO vek_BDC_EquivalenciaOnlineDesktop VALUES (600, 9)"_s);
    vekContactos apagado = novo(empresa, 600);
    ASSERT_TRUE(apagado.Contacto_add());
    EXPECT_EQ(apagado.Numero, 8);
    vekContactos outra = novo(empresa, 600);
    EXPECT_FALSE(outra.Contacto_add());
    EXPECT_EQ(outra.Codigo, u"8"_s);
    EXPECT_EQ(empresa.consultar(QF, u"SELECT Numero, Nome FROM vek_contactos"_s),
              (Linhas{{"7", "A"}, {"8", "Web"}}));
}

TEST_P(Contactos, TextosCortadosAoTamanhoDaColunaEIdentificadorUnicoNovo) {
    Empresas empresa(false, GetParam());
    const QString nome = QString(98, QLatin1Char('n')) + u"çãoXYZ"_s;
    vekContactos c = novo(empresa, 77, nome);
    c.GestorDeConta = u"GESTOR-0123456789"_s;
    ASSERT_TRUE(c.Contacto_add());
    EXPECT_EQ(c.Nome, nome);  // the property stays whole
    EXPECT_EQ(empresa.consultar(QF, u"SELECT Nome, GesCnt, Fax IS NULL FROM vek_contactos"_s),
              (Linhas{{nome.left(100), "GESTOR-012", "0"}}));
    EXPECT_TRUE(QRegularExpression(u"^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"_s)
                    .match(empresa.valor(QF, u"SELECT Id_Unico FROM vek_contactos"_s))
                    .hasMatch());
}

TEST_P(Contactos, FalhaEntreOContactoEAEquivalenciaNaoDeixaNenhum) {
    Empresas empresa(false, GetParam());
    empresa.sql(QF,
                u"CREATE TRIGGER recusar BEFORE INSERT ON vek_BDC_EquivalenciaOnlineDesktop "
                "BEGIN SELECT RAISE(ABORT, 'equivalencia recusada'); END"_s);
    vekContactos c = novo(empresa, 5);
    try {
        c.Contacto_add();
        ADD_FAILURE() << "the insert was refused";
    } catch (const Falha& f) {
        EXPECT_TRUE(f.descricao().contains(u"equivalencia recusada"_s));
    }
    EXPECT_EQ(empresa.valor(QF, u"SELECT COUNT(*) FROM vek_contactos"_s), u"0"_s);
    // No transaction was left behind: the database takes writes.
    empresa.sql(QF, u"INSERT INTO vek_contactos (Codigo, Numero) VALUES ('1', 1)"_s);
}

INSTANTIATE_TEST_SUITE_P(, Contactos, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);
