#include <gtest/gtest.h>

#include <unistd.h>
#include <QDomDocument>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include "contacts/xmlContacto.h"
#include "platform/Falha.h"
#include "platform/FicheiroXml.h"
#include "tests/apoio/Apoio.h"

namespace {

// Records the Erro events of a reader.
struct Erros {
    explicit Erros(xmlContacto& c) {
        QObject::connect(&c, &xmlContacto::Erro, &c, [this](QString descricao, QString local) {
            lista.append({descricao, local});
        });
    }
    QList<QPair<QString, QString>> lista;
};

// Every property, in declaration order, for comparisons of the whole object.
QStringList propriedades(const xmlContacto& c) {
    return {c.Ficheiro,   c.id,        c.Nome,          c.email,    c.Nif,         c.Responsavel,
            c.Morada,     c.CodPostal, c.Localidade,    c.Telefone, c.Fax,         c.Comercial,
            c.Financeiro, c.SITE,      c.Id_Unico,      c.IdSite,   c.idContactos, c.Tipo,
            c.Desconto,   c.Vendedor,  c.CodigoEmpresa, c.Telemovel};
}

void preencher(xmlContacto& c, const QString& prefixo) {
    int i = 0;
    for (QString* p : {&c.id,          &c.Nome,       &c.email,      &c.Nif,      &c.Responsavel,
                       &c.Morada,      &c.CodPostal,  &c.Localidade, &c.Telefone, &c.Fax,
                       &c.Comercial,   &c.Financeiro, &c.SITE,       &c.Id_Unico, &c.IdSite,
                       &c.idContactos, &c.Tipo,       &c.Desconto,   &c.Vendedor, &c.CodigoEmpresa,
                       &c.Telemovel})
        *p = prefixo + QString::number(++i);
}

TEST(xmlContactoEscrita, FicheiroVazioTemOsDezanoveElementosDescritos) {
    Espaco espaco;
    const QString caminho = espaco.caminho(QStringLiteral("contacto.xml"));
    xmlContacto c;
    c.Create_XML(caminho);

    const QByteArray bytes = lerFicheiro(caminho);
    EXPECT_TRUE(bytes.startsWith("<?xml version='1.0' encoding='UTF-8'?>"));
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(bytes));
    EXPECT_EQ(doc.documentElement().tagName(), QStringLiteral("CLIENTES"));
    EXPECT_EQ(doc.documentElement().childNodes().count(), 1);
    const QDomElement prp = doc.documentElement().firstChildElement();
    EXPECT_EQ(prp.tagName(), QStringLiteral("PRP"));

    const QList<QStringList> esperado{
        {"IDNET", "Id do Cliente Online", "int"},
        {"CODEMPRESA", "Coigo de Empresa", "String"},
        {"IDCONTACTO", "Id do Cliente na Tabela de Contactos VEK", "int"},
        {"TIPO", "Tipo de Cliente", "int"},
        {"DESC", "Desconto Geral deste Tipo de Cliente - Percentagem 0 a 100", "float"},
        {"VENDEDOR", "Id do Vendedor na Tabela de Vendedores", "string"},
        {"NOME", "Nome do CLiente", "String"},
        {"EMAIL", "E-mail do Cliente", "String"},
        {"NIF", "Nif do Cliente", "String"},
        {"RESPONSAVEL", "Responsável no Cliente", "String"},
        {"MORADA", "Morada do Cliente", "String"},
        {"CODPOSTAL", "Cod Postal", "String"},
        {"LOCALIDADE", "Localidade", "String"},
        {"TELEFONE", "Telefone Geral", "String"},
        {"FAX", "Fax Geral", "String"},
        {"COMERCIAL", "Telefone do Comercial", "String"},
        {"FINANCEIRO", "Telefone do Financeiro", "String"},
        {"SITE", "Url do Website do Cliente", "String"},
        {"Id_Unico", "Id_Unico", "String"}};
    const QDomNodeList filhos = prp.childNodes();
    ASSERT_EQ(filhos.count(), esperado.size());
    for (int i = 0; i < filhos.count(); ++i) {
        const QDomElement e = filhos.at(i).toElement();
        EXPECT_EQ(e.tagName(), esperado[i][0]);
        EXPECT_EQ(e.attribute(QStringLiteral("Descr")), esperado[i][1]) << i;
        EXPECT_EQ(e.attribute(QStringLiteral("tipo")), esperado[i][2]) << i;
        EXPECT_EQ(e.attributes().count(), 2);
        EXPECT_FALSE(e.hasChildNodes()) << i;
    }
    // Descr comes before tipo in every element, and no whitespace is added between elements.
    const QString texto = QString::fromUtf8(bytes);
    EXPECT_EQ(texto.count(QRegularExpression(QStringLiteral("<[A-Za-z_]+ Descr=\"[^\"]*\" tipo="))),
              19);
    EXPECT_FALSE(texto.contains(QStringLiteral(">\n<")) || texto.contains(QStringLiteral("> <")));
}

TEST(xmlContactoEscrita, IdaEVoltaDevolveOsValores) {
    Espaco espaco;
    const QString caminho = espaco.caminho(QStringLiteral("contacto.xml"));
    const QString dificil =
        QStringLiteral("Sá & Irmãos <Lda> \"aspas\" 'apóstrofo' ]]> €\r\nsegunda linha\tfim");
    xmlContacto escrito;
    preencher(escrito, QStringLiteral("v"));
    escrito.Nome = dificil;
    escrito.Morada = QStringLiteral("Rua do Conde, nº 5\r\n2º esq.");
    escrito.Create_XML(caminho);

    xmlContacto lido;
    lido.Ficheiro = caminho;
    ASSERT_TRUE(lido.Ler());
    EXPECT_EQ(lido.Nome, dificil);
    EXPECT_EQ(lido.Morada, escrito.Morada);
    EXPECT_EQ(lido.id, escrito.IdSite);
    for (auto p : {&xmlContacto::email, &xmlContacto::Nif, &xmlContacto::Responsavel,
                   &xmlContacto::CodPostal, &xmlContacto::Localidade, &xmlContacto::Telefone,
                   &xmlContacto::Fax, &xmlContacto::Comercial, &xmlContacto::Financeiro,
                   &xmlContacto::SITE, &xmlContacto::CodigoEmpresa})
        EXPECT_EQ(lido.*p, escrito.*p);
    // Written but never read; read but never written.
    for (auto p : {&xmlContacto::Id_Unico, &xmlContacto::IdSite, &xmlContacto::idContactos,
                   &xmlContacto::Tipo, &xmlContacto::Desconto, &xmlContacto::Vendedor,
                   &xmlContacto::Telemovel})
        EXPECT_TRUE((lido.*p).isEmpty());
}

TEST(xmlContactoEscrita, CaracteresQueOXmlNaoAdmiteSaoDeixadosDeFora) {
    Espaco espaco;
    const QString caminho = espaco.caminho(QStringLiteral("contacto.xml"));
    xmlContacto escrito;
    escrito.Nome = QStringLiteral("Colado\x0b do\x01 Excel");
    escrito.Create_XML(caminho);
    xmlContacto lido;
    lido.Ficheiro = caminho;
    ASSERT_TRUE(lido.Ler());
    EXPECT_EQ(lido.Nome, QStringLiteral("Colado do Excel"));
}

TEST(xmlContactoEscrita, FalhaNaGravacaoELevantadaEODeixaOFicheiroComoEstava) {
    Espaco espaco;
    xmlContacto c;
    c.Nome = QStringLiteral("novo");
    try {
        c.Create_XML(espaco.caminho(QStringLiteral("nao/existe/contacto.xml")));
        FAIL() << "devia levantar Falha";
    } catch (const Falha& f) {
        EXPECT_EQ(f.numero(), Falha::CaminhoNaoEncontrado);
        EXPECT_TRUE(f.descricao().contains(QStringLiteral("contacto.xml")));
    }

    // A name at the file system's limit leaves no room for the temporary file: the save fails
    // and the existing file keeps its old content.
    const QString longo =
        espaco.escrever(QString(250, QLatin1Char('c')) + QStringLiteral(".xml"), "conteudo antigo");
    EXPECT_THROW(c.Create_XML(longo), Falha);
    EXPECT_EQ(lerFicheiro(longo), QByteArray("conteudo antigo"));
    EXPECT_EQ(QDir(espaco.caminho()).entryList(QDir::Files).size(), 1);
}

TEST(xmlContactoEscrita, PastaSemPermissaoDeEscrita) {
    if (geteuid() == 0)
        GTEST_SKIP() << "as permissões não se aplicam ao administrador";
    Espaco espaco;
    const QString pasta = espaco.pasta(QStringLiteral("saida"));
    const QString caminho = espaco.escrever(QStringLiteral("saida/c.xml"), "antigo");
    QFile::setPermissions(pasta, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    xmlContacto c;
    EXPECT_THROW(c.Create_XML(caminho), Falha);
    QFile::setPermissions(pasta,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(lerFicheiro(caminho), QByteArray("antigo"));
}

TEST(xmlContactoLeitura, FicheiroDoSiteEmQualquerRaizECaixa) {
    xmlContacto c;
    Erros erros(c);
    c.Ficheiro = QStringLiteral(MARELO_TEST_DATA "/xml/contacto_web.xml");
    c.Id_Unico = QStringLiteral("fica");
    ASSERT_TRUE(c.Ler());
    EXPECT_TRUE(erros.lista.isEmpty());
    EXPECT_EQ(c.id, QStringLiteral("315"));
    EXPECT_EQ(c.CodigoEmpresa, QStringLiteral("SR"));
    // Only direct children of the first PRP: the NOME inside OUTRO and the second PRP are not.
    EXPECT_EQ(c.Nome, QStringLiteral("Maria da Conceição & Filhos"));
    EXPECT_EQ(c.email, QStringLiteral("geral@exemplo.pt"));
    EXPECT_EQ(c.Nif, QStringLiteral("501234567"));
    EXPECT_EQ(c.Responsavel, QStringLiteral("Ana Simões"));
    EXPECT_EQ(c.Morada, QStringLiteral("Rua de Cedofeita, 12 - 3º"));
    EXPECT_EQ(c.CodPostal, QStringLiteral("4050-174"));
    EXPECT_EQ(c.Localidade, QStringLiteral("Porto"));
    EXPECT_EQ(c.Telefone, QStringLiteral("222000111"));
    EXPECT_EQ(c.Telemovel, QStringLiteral("912345678"));
    EXPECT_EQ(c.Fax, QStringLiteral("222000112"));
    EXPECT_EQ(c.Comercial, QStringLiteral("222000113"));
    EXPECT_EQ(c.Financeiro, QStringLiteral("222000114"));
    EXPECT_EQ(c.SITE, QStringLiteral("https://exemplo.pt/?a=1&b=2"));
    EXPECT_EQ(c.Id_Unico, QStringLiteral("fica"));
    EXPECT_TRUE(c.idContactos.isEmpty());
}

TEST(xmlContactoLeitura, ElementoRepetidoFicaOUltimoETextoNaoEAparado) {
    Espaco espaco;
    xmlContacto c;
    c.Ficheiro = espaco.escrever(
        QStringLiteral("c.xml"),
        "<PRP><NOME>primeiro</NOME><nome>  segundo  </nome><EMAIL><![CDATA[a<b]]></EMAIL></PRP>");
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ(c.Nome, QStringLiteral("  segundo  "));
    EXPECT_EQ(c.email, QStringLiteral("a<b"));
}

TEST(xmlContactoLeitura, NadaDeUmFicheiroPassaParaOSeguinte) {
    Espaco espaco;
    xmlContacto c;
    preencher(c, QStringLiteral("antes"));
    c.Ficheiro =
        espaco.escrever(QStringLiteral("a.xml"), "<CLIENTES><PRP><NOME>A</NOME></PRP></CLIENTES>");
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ(c.Nome, QStringLiteral("A"));
    for (auto p : {&xmlContacto::id, &xmlContacto::email, &xmlContacto::Telemovel,
                   &xmlContacto::CodigoEmpresa, &xmlContacto::SITE})
        EXPECT_TRUE((c.*p).isEmpty());
    // What Ler does not read is the caller's and stays.
    EXPECT_EQ(c.IdSite, QStringLiteral("antes15"));

    // A file that parses but has no PRP gives true and no contact.
    c.Ficheiro = espaco.escrever(QStringLiteral("b.xml"), "<?xml version='1.0'?><CLIENTES/>");
    ASSERT_TRUE(c.Ler());
    EXPECT_TRUE(c.Nome.isEmpty());
}

struct Codificacao {
    const char* nome;
    QByteArray bytes;
};

void PrintTo(const Codificacao& c, std::ostream* os) {
    *os << c.nome;
}

class xmlContactoCodificacao : public testing::TestWithParam<Codificacao> {};

QByteArray comDeclaracao(const char* codificacao, const QString& nome) {
    return QStringLiteral(
               "<?xml version=\"1.0\" "
               "encoding=\"%1\"?>\n<CLIENTES><PRP><NOME>%2</NOME></PRP></CLIENTES>")
        .arg(QLatin1String(codificacao), nome)
        .toLatin1();
}

TEST_P(xmlContactoCodificacao, NomesAcentuadosChegamIntactos) {
    Espaco espaco;
    xmlContacto c;
    c.Ficheiro = espaco.escrever(QStringLiteral("c.xml"), GetParam().bytes);
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ(c.Nome, QStringLiteral("João Conceição"));
}

const QString acentuado = QStringLiteral("João Conceição");
const QString semDeclaracao =
    QStringLiteral("<CLIENTES><PRP><NOME>João Conceição</NOME></PRP></CLIENTES>");

INSTANTIATE_TEST_SUITE_P(
    Ficheiros, xmlContactoCodificacao,
    testing::Values(
        Codificacao{"utf8", semDeclaracao.toUtf8()},
        Codificacao{"utf8bom", "\xEF\xBB\xBF" + semDeclaracao.toUtf8()},
        Codificacao{"utf16le", QByteArray("\xFF\xFE", 2) +
                                   QByteArray(reinterpret_cast<const char*>(semDeclaracao.utf16()),
                                              semDeclaracao.size() * 2)},
        Codificacao{"utf16be",
                    [] {
                        QByteArray b("\xFE\xFF", 2);
                        for (const QChar ch : semDeclaracao)
                            b.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xFF));
                        return b;
                    }()},
        Codificacao{"latin1", comDeclaracao("ISO-8859-1", acentuado)},
        Codificacao{"cp1252", comDeclaracao("windows-1252", acentuado)},
        Codificacao{"latin9", comDeclaracao("iso-8859-15", acentuado)}),
    [](const testing::TestParamInfo<Codificacao>& i) { return std::string(i.param.nome); });

TEST(xmlContactoLeitura, Windows1252TemOsCaracteresProprios) {
    Espaco espaco;
    xmlContacto c;
    c.Ficheiro = espaco.escrever(QStringLiteral("c.xml"),
                                 "<?xml version='1.0' encoding='Windows-1252'?><PRP><NOME>\x93"
                                 "Caf\xe9\x94 \x80</NOME></PRP>");
    ASSERT_TRUE(c.Ler());
    EXPECT_EQ(c.Nome, QStringLiteral("“Café” €"));
}

// The report of a file that does not load, with its six labels of 18 characters.
QString relatorio(int codigo, const QString& razao, int linha, int coluna, int posicao,
                  const QString& origem, const QString& ficheiro) {
    return QStringLiteral("Erro ao abrir o ficheiro.\r\n") +
           QStringLiteral("Erro           #: %1: %2\r\n").arg(codigo).arg(razao) +
           QStringLiteral("Linha          #: %1\r\n").arg(linha) +
           QStringLiteral("Posição na linha: %1\r\n").arg(coluna) +
           QStringLiteral("Posição ficheiro: %1\r\n").arg(posicao) +
           QStringLiteral("Origem          : %1\r\n").arg(origem) +
           QStringLiteral("Ficheiro        : %1\r\n").arg(ficheiro);
}

TEST(xmlContactoErro, RelatorioDeFicheiroMalFormado) {
    Espaco espaco;
    xmlContacto c;
    Erros erros(c);
    preencher(c, QStringLiteral("x"));
    c.Ficheiro = espaco.escrever(QStringLiteral("mau.xml"),
                                 "<CLIENTES>\n<PRP><NOME>Zé</PRP>\n</CLIENTES>\n");
    const QStringList antes = propriedades(c);

    EXPECT_FALSE(c.Ler());
    EXPECT_EQ(propriedades(c), antes);
    ASSERT_EQ(erros.lista.size(), 1);
    EXPECT_EQ(erros.lista[0].first,
              relatorio(FicheiroXml::MalFormado, QStringLiteral("Opening and ending tag mismatch."),
                        2, 19, 30, QStringLiteral("<PRP><NOME>Zé</PRP>"), c.Ficheiro));
    EXPECT_EQ(erros.lista[0].second, QStringLiteral("Ler XML de Contacto ") + c.Ficheiro);
    for (const char* rotulo : {"Erro           #: ", "Linha          #: ", "Posição na linha: ",
                               "Posição ficheiro: ", "Origem          : ", "Ficheiro        : "})
        EXPECT_EQ(QString::fromUtf8(rotulo).size(), 18);
}

}  // namespace
