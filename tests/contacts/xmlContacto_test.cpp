#include "contacts/xmlContacto.h"
#include "tests/apoio/Apoio.h"

// The shop's contact files: any root, names in any case, only the direct children of the first
// PRP, the last of a repeated element as it stands; nothing of the file read before. Every element
// of a contact, and the file written back, are checked end to end by the run's tests; the round
// trip of any value by the fuzz target.
TEST(xmlContacto, LeOPrimeiroPrpDoSiteSemNadaDoFicheiroAnterior) {
    xmlContacto c;
    QStringList erros;
    QObject::connect(&c, &xmlContacto::Erro, &c,
                     [&erros](const QString& d, const QString& local) { erros << d << local; });
    Espaco espaco;
    c.Ficheiro =
        espaco.escrever(u"a.xml"_s,
                        "<R><D><Prp>x</Prp><PRP><idnet>315</idnet><Nome>1</Nome><FAX>9</FAX>"
                        "<OUTRO><EMAIL>y</EMAIL></OUTRO></PRP><PRP><SITE>s</SITE></PRP>"
                        "</D></R>");
    c.Id_Unico = c.IdSite = u"fica"_s;  // what Ler does not read is the caller's
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ((QStringList{c.id, c.Nome, c.Fax, c.email, c.SITE, c.Id_Unico, c.IdSite}),
              (QStringList{"315", "1", "9", "", "", "fica", "fica"}));

    c.Ficheiro = espaco.escrever(u"b.xml"_s,
                                 "<PRP><NOME>1</NOME><nome>  2  </nome><EMAIL><![CDATA[a<b]]>"
                                 "</EMAIL></PRP>");
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ(c.Nome, u"  2  "_s);
    EXPECT_EQ(c.email, u"a<b"_s);
    EXPECT_TRUE(c.id.isEmpty() && c.Fax.isEmpty());

    // A file that does not load changes nothing and says why, naming itself.
    c.Ficheiro = espaco.escrever(u"mau.xml"_s, "<PRP><NOME>x</PRP>");
    EXPECT_FALSE(c.Ler());
    EXPECT_EQ(c.Nome, u"  2  "_s);
    ASSERT_EQ(erros.size(), 2);
    EXPECT_TRUE(erros[0].startsWith(u"Erro ao abrir o ficheiro.\r\n"_s));
    EXPECT_EQ(erros[1], u"Ler XML de Contacto "_s + c.Ficheiro);
}
