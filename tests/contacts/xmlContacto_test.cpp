#include <QDir>

#include "contacts/xmlContacto.h"
#include "platform/Falha.h"
#include "tests/apoio/Apoio.h"

TEST(xmlContacto, EscritoELidoDeNovoDevolveOsValores) {
    Espaco espaco;
    const QString caminho = espaco.caminho(u"contacto.xml"_s);
    xmlContacto escrito;
    int i = 0;
    for (QString* p : {&escrito.email, &escrito.Nif, &escrito.Responsavel, &escrito.CodPostal,
                       &escrito.Localidade, &escrito.Telefone, &escrito.Fax, &escrito.Comercial,
                       &escrito.Financeiro, &escrito.SITE, &escrito.CodigoEmpresa, &escrito.IdSite})
        *p = u"v%1"_s.arg(++i);
    escrito.Nome = u"Sá & Irmãos <Lda> \"a\" 'b' ]]> €\r\nlinha\tfim"_s;
    escrito.Morada = u"Colado\x0b do\x01 Excel"_s;  // characters XML cannot hold
    escrito.Create_XML(caminho);

    xmlContacto lido;
    lido.Ficheiro = caminho;
    ASSERT_TRUE(lido.Ler());
    EXPECT_EQ(lido.Nome, escrito.Nome);
    EXPECT_EQ(lido.Morada, u"Colado do Excel"_s);
    EXPECT_EQ(lido.id, escrito.IdSite);
    for (auto p : {&xmlContacto::email, &xmlContacto::Nif, &xmlContacto::Responsavel,
                   &xmlContacto::CodPostal, &xmlContacto::Localidade, &xmlContacto::Telefone,
                   &xmlContacto::Fax, &xmlContacto::Comercial, &xmlContacto::Financeiro,
                   &xmlContacto::SITE, &xmlContacto::CodigoEmpresa})
        EXPECT_EQ(lido.*p, escrito.*p);
}

TEST(xmlContacto, GravacaoFalhadaLevantaFalhaEDeixaOFicheiroComoEstava) {
    Espaco espaco;
    xmlContacto c;
    try {
        c.Create_XML(espaco.caminho(u"nao/existe/contacto.xml"_s));
        FAIL() << "devia levantar Falha";
    } catch (const Falha& f) {
        EXPECT_EQ(f.numero(), Falha::CaminhoNaoEncontrado);
        EXPECT_TRUE(f.descricao().contains(u"contacto.xml"_s));
    }
}

TEST(xmlContacto, LeOPrimeiroPrpDoSiteSemNadaDoFicheiroAnterior) {
    xmlContacto c;
    QStringList erros;
    QObject::connect(&c, &xmlContacto::Erro, &c,
                     [&erros](const QString& d, const QString& local) { erros << d << local; });
    c.Ficheiro = QStringLiteral(MARELO_TEST_DATA "/xml/contacto_web.xml");
    c.Id_Unico = c.IdSite = u"fica"_s;  // what Ler does not read is the caller's
    c.Fax = u"antes"_s;
    ASSERT_TRUE(c.Ler());
    // Any root, names in any case, only direct children of the first PRP.
    EXPECT_EQ((QStringList{c.id, c.CodigoEmpresa, c.Nome, c.email, c.Nif, c.Responsavel, c.Morada,
                           c.CodPostal, c.Localidade, c.Telefone, c.Telemovel, c.Fax, c.Comercial,
                           c.Financeiro, c.SITE, c.Id_Unico, c.IdSite, c.idContactos}),
              (QStringList{"315", "SR", "Maria da Conceição & Filhos", "geral@exemplo.pt",
                           "501234567", "Ana Simões", "Rua de Cedofeita, 12 - 3º", "4050-174",
                           "Porto", "222000111", "912345678", "222000112", "222000113", "222000114",
                           "https://exemplo.pt/?a=1&b=2", "fica", "fica", ""}));

    Espaco espaco;
    c.Ficheiro = espaco.escrever(u"a.xml"_s,
                                 "<PRP><NOME>1</NOME><nome>  2  </nome><EMAIL><![CDATA[a<b]]>"
                                 "</EMAIL></PRP>");
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ(c.Nome, u"  2  "_s);  // the last, untrimmed
    EXPECT_EQ(c.email, u"a<b"_s);
    EXPECT_TRUE(c.id.isEmpty() && c.Telemovel.isEmpty() && c.Fax.isEmpty() && c.SITE.isEmpty());

    // A file that does not load changes nothing and says why, naming itself.
    c.Ficheiro = espaco.escrever(u"mau.xml"_s, "<PRP><NOME>x</PRP>");
    EXPECT_FALSE(c.Ler());
    EXPECT_EQ(c.Nome, u"  2  "_s);
    ASSERT_EQ(erros.size(), 2);
    EXPECT_TRUE(erros[0].startsWith(u"Erro ao abrir o ficheiro.\r\n"_s));
    EXPECT_EQ(erros[1], u"Ler XML de Contacto "_s + c.Ficheiro);
}
