#include "contacts/ConversoesDeEncomendas.h"
#include "tests/apoio/Apoio.h"

// Two companies may keep their data in one database: a web order's conversion is found by its
// company and its number, never by the number alone.
TEST(ConversoesDeEncomendas, CadaEncomendaPelaSuaEmpresaENumero) {
    Empresas empresas(false);
    clsBd& bd = empresas.base();
    registarConversao(bd, {u"QF"_s, 7, u"P1"_s, u"10"_s, u"g1"_s, u"2026-12-05T10:00:00"_s});
    registarConversao(bd, {u"SR"_s, 7, u"P2"_s, u"20"_s, u"g2"_s, u"2026-12-05T11:00:00"_s});
    registarConversao(bd, {u"SR"_s, 8, u"P3"_s, QString(), QString(), u"2026-12-05T12:00:00"_s});
    const auto cliente = [&bd](const QString& empresa, qint32 numero) {
        const std::optional<ConversaoDeEncomenda> c = conversaoDaEncomenda(bd, empresa, numero);
        return c ? c->CodigoContacto + u'>' + c->CodigoCliente : u"nenhuma"_s;
    };
    EXPECT_EQ(cliente(u"QF"_s, 7), u"P1>10"_s);
    EXPECT_EQ(cliente(u"SR"_s, 7), u"P2>20"_s);
    EXPECT_EQ(cliente(u"SR"_s, 8), u"P3>"_s);  // an order whose contact was gone
    EXPECT_EQ(cliente(u"QF"_s, 8), u"nenhuma"_s);
}
