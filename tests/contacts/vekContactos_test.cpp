#include <QRegularExpression>

#include "contacts/vekContactos.h"
#include "platform/Falha.h"
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

TEST_P(Contactos, ContactoWebConhecidoSoPelaLinhaDeUmContactoQueExiste) {
    Empresas empresa(false, GetParam());
    empresa.sql(QF,
                u"INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES "
                "('C-7', 7, 'Antigo')"_s);
    empresa.sql(QF,
                u"INSERT INTO vek_BDC_EquivalenciaOnlineDesktop VALUES (501, 7), "
                "(600, 9)"_s);
    const QString versao = empresa.valor(QF, u"SELECT Valor FROM vek_RowVersion"_s);
    vekContactos conhecido = novo(empresa, 501, u"Novo nome"_s);
    EXPECT_FALSE(conhecido.Contacto_add());
    EXPECT_EQ(conhecido.Codigo, u"C-7"_s);
    EXPECT_EQ(conhecido.Numero, 7);
    EXPECT_EQ(empresa.valor(QF, u"SELECT Valor FROM vek_RowVersion"_s), versao);

    // 600 names contact 9, which is gone: it is added, once.
    vekContactos apagado = novo(empresa, 600);
    ASSERT_TRUE(apagado.Contacto_add());
    EXPECT_EQ(apagado.Numero, 8);
    vekContactos outra = novo(empresa, 600);
    EXPECT_FALSE(outra.Contacto_add());
    EXPECT_EQ(outra.Codigo, u"8"_s);
    EXPECT_EQ(empresa.consultar(QF, u"SELECT Numero, Nome FROM vek_contactos"_s),
              (Linhas{{"7", "Antigo"}, {"8", "Web"}}));
}

TEST_P(Contactos, TextosGuardadosTalComoVieramCortadosAoTamanhoDaColuna) {
    Empresas empresa(false, GetParam());
    const QString nome = QString(98, QLatin1Char('n')) + u"çãoXYZ"_s;
    vekContactos c = novo(empresa, 77, nome);
    c.Contacto = u"O'Brien'); DROP TABLE vek_contactos; --"_s;
    c.Observacoes = u"' OR '1'='1 ? €"_s;
    c.GestorDeConta = u"GESTOR-0123456789"_s;
    ASSERT_TRUE(c.Contacto_add());
    EXPECT_EQ(c.Nome, nome);  // the property stays whole
    EXPECT_EQ(empresa.consultar(QF,
                                u"SELECT Nome, Contacto, Observ, GesCnt, "
                                "Fax IS NULL, FuncaoEntidades_Id IS NULL "
                                "FROM vek_contactos"_s),
              (Linhas{{nome.left(100), c.Contacto, c.Observacoes, "GESTOR-012", "0", "1"}}));
    EXPECT_TRUE(QRegularExpression(u"^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"_s)
                    .match(empresa.valor(QF, u"SELECT Id_Unico FROM vek_contactos"_s))
                    .hasMatch());
}

TEST_P(Contactos, FalhaEntreOContactoEAEquivalenciaNaoDeixaNenhum) {
    Empresas empresa(false, GetParam(),
                     {u"CREATE TRIGGER recusar BEFORE INSERT ON "
                      "vek_BDC_EquivalenciaOnlineDesktop BEGIN SELECT "
                      "RAISE(ABORT, 'equivalencia recusada'); END"_s});
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

TEST_P(Contactos, AlteradosDesdeAMarcaPorOrdemDeVersao) {
    Empresas empresa(true, GetParam());
    empresa.sql(QF, u"UPDATE vek_contactos SET Telef = 'x' WHERE Numero = 1"_s);
    // Contact 4's only class does not exist.
    empresa.sql(QF, u"INSERT INTO vek_EntidadesClassificacao VALUES (99, 3, '4')"_s);
    const auto listar = [&](qint64 desde) {
        vekContactos c(empresa.base());
        Recordset rs = c.rsListaContactosAlteradosDesde(desde);
        QStringList r;
        for (; !rs.eof(); rs.moveNext())
            r << rs.value(u"Numero"_s).toString() + QLatin1Char(':') +
                     rs.value(u"Tipo"_s).toString() + QLatin1Char(':') +
                     rs.value(u"Desconto"_s).toString();
        EXPECT_EQ(rs.definedSize(u"CdPostal"_s), 20);
        return r;
    };
    const auto versao = [&](int numero) {
        return empresa.valor(QF, u"SELECT dbts FROM vek_contactos WHERE Numero = ?"_s, {numero})
            .toLongLong();
    };
    EXPECT_EQ(listar(0), (QStringList{"2:2:0", "3:3:5", "4::", "1:1:10"}));
    EXPECT_EQ(listar(versao(3)), (QStringList{"4::", "1:1:10"}));
    EXPECT_EQ(listar(versao(1)), QStringList());
}

INSTANTIATE_TEST_SUITE_P(, Contactos, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);
