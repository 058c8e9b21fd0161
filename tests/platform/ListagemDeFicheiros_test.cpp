#include <gtest/gtest.h>

#include "platform/Falha.h"
#include "platform/ListagemDeFicheiros.h"
#include "tests/apoio/Apoio.h"

TEST(ListagemDeFicheiros, CorrespondeEOrdenaSemDistinguirMaiusculas) {
    Espaco e;
    for (const char* nome :
         {"prp_b.XML", "PRP_a.xml", "prp_c.xml.bak", "outro.xml", "PRP_10.xml", "prp_2.xml"})
        e.escrever(QString::fromUtf8(nome), "x");
    e.pasta(QStringLiteral("prp_pasta.xml"));

    ListagemDeFicheiros l;
    l.setPath(e.caminho());
    l.setPattern(QStringLiteral("PRP*.xml"));
    QStringList nomes;
    for (int i = 0; i < l.ListCount(); ++i)
        nomes << l.List(i);
    EXPECT_EQ(nomes, (QStringList{"PRP_10.xml", "prp_2.xml", "PRP_a.xml", "prp_b.XML"}));

    l.setPattern(QStringLiteral("prp_?.xml"));
    EXPECT_EQ(l.ListCount(), 3);
    l.setPattern(QStringLiteral("*.bak"));
    EXPECT_EQ(l.ListCount(), 1);
    EXPECT_EQ(l.List(5), QString());
}

TEST(ListagemDeFicheiros, PastaQueNaoExisteEUmaFalha) {
    Espaco e;
    ListagemDeFicheiros l;
    try {
        l.setPath(e.caminho(QStringLiteral("nao-existe")));
        FAIL();
    } catch (const Falha& f) {
        EXPECT_EQ(f.numero(), Falha::CaminhoNaoEncontrado);
    }
    EXPECT_EQ(l.ListCount(), 0);
}

TEST(ListagemDeFicheiros, ListarDaPastaEPadraoDeUmaVez) {
    Espaco e;
    for (const char* nome : {"ENC_2.xml", "enc_1.XML", "PRP_1.xml", "ENC_3.xml.bak"})
        e.escrever(QString::fromUtf8(nome), "x");
    ListagemDeFicheiros l;
    l.Listar(e.caminho(), QStringLiteral("ENC*.xml;*.bak"));
    QStringList nomes;
    for (int i = 0; i < l.ListCount(); ++i)
        nomes << l.List(i);
    EXPECT_EQ(nomes, (QStringList{"enc_1.XML", "ENC_2.xml", "ENC_3.xml.bak"}));
    EXPECT_EQ(l.Pattern(), QStringLiteral("ENC*.xml;*.bak"));
    EXPECT_THROW(l.Listar(e.caminho(QStringLiteral("nao-existe")), QStringLiteral("*")), Falha);
    EXPECT_EQ(l.ListCount(), 0);
}
