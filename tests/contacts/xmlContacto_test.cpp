#include <QDir>

#include "contacts/xmlContacto.h"
#include "platform/Falha.h"
#include "tests/apoio/Apoio.h"

TEST(xmlContacto, EscritoELidoDeNovoDevolveOsValores) {
    Espaco espaco;
    const QString caminho = espaco.caminho(QStringLiteral("contacto.xml"));
    xmlContacto escrito;
    int i = 0;
    for (QString* p : {&escrito.email, &escrito.Nif, &escrito.Responsavel, &escrito.CodPostal,
                       &escrito.Localidade, &escrito.Telefone, &escrito.Fax, &escrito.Comercial,
                       &escrito.Financeiro, &escrito.SITE, &escrito.CodigoEmpresa, &escrito.IdSite})
        *p = QStringLiteral("v%1").arg(++i);
    escrito.Nome = QStringLiteral("Sá & Irmãos <Lda> \"a\" 'b' ]]> €\r\nlinha\tfim");
    escrito.Morada = QStringLiteral("Colado\x0b do\x01 Excel");  // characters XML cannot hold
    escrito.Create_XML(caminho);

    xmlContacto lido;
    lido.Ficheiro = caminho;
    ASSERT_TRUE(lido.Ler());
    EXPECT_EQ(lido.Nome, escrito.Nome);
    EXPECT_EQ(lido.Morada, QStringLiteral("Colado do Excel"));
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
        c.Create_XML(espaco.caminho(QStringLiteral("nao/existe/contacto.xml")));
        FAIL() << "devia levantar Falha";
    } catch (const Falha& f) {
        EXPECT_EQ(f.numero(), Falha::CaminhoNaoEncontrado);
        EXPECT_TRUE(f.descricao().contains(QStringLiteral("contacto.xml")));
    }
    // A name at the file system's limit leaves no room for the temporary file.
    const QString longo =
        espaco.escrever(QString(250, QLatin1Char('c')) + QStringLiteral(".xml"), "conteudo antigo");
    EXPECT_THROW(c.Create_XML(longo), Falha);
    EXPECT_EQ(lerFicheiro(longo), QByteArray("conteudo antigo"));
    EXPECT_EQ(QDir(espaco.caminho()).entryList(QDir::Files).size(), 1);
}

TEST(xmlContacto, LeOPrimeiroPrpDoSiteSemNadaDoFicheiroAnterior) {
    xmlContacto c;
    QStringList erros;
    QObject::connect(&c, &xmlContacto::Erro, &c,
                     [&erros](const QString& d, const QString& local) { erros << d << local; });
    c.Ficheiro = QStringLiteral(MARELO_TEST_DATA "/xml/contacto_web.xml");
    c.Id_Unico = c.IdSite = QStringLiteral("fica");  // what Ler does not read is the caller's
    c.Fax = QStringLiteral("antes");
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
    c.Ficheiro = espaco.escrever(QStringLiteral("a.xml"),
                                 "<PRP><NOME>1</NOME><nome>  2  </nome><EMAIL><![CDATA[a<b]]>"
                                 "</EMAIL></PRP>");
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ(c.Nome, QStringLiteral("  2  "));  // the last, untrimmed
    EXPECT_EQ(c.email, QStringLiteral("a<b"));
    EXPECT_TRUE(c.id.isEmpty() && c.Telemovel.isEmpty() && c.Fax.isEmpty() && c.SITE.isEmpty());

    // A file that does not load changes nothing and says why, naming itself.
    c.Ficheiro = espaco.escrever(QStringLiteral("mau.xml"), "<PRP><NOME>x</PRP>");
    EXPECT_FALSE(c.Ler());
    EXPECT_EQ(c.Nome, QStringLiteral("  2  "));
    ASSERT_EQ(erros.size(), 2);
    EXPECT_TRUE(erros[0].startsWith(QStringLiteral("Erro ao abrir o ficheiro.\r\n")));
    EXPECT_EQ(erros[1], QStringLiteral("Ler XML de Contacto ") + c.Ficheiro);
}
