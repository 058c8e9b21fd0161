#include "platform/ficheiros/ListagemDeFicheiros.h"
#include "base/Falha.h"
#include "tests/apoio/Apoio.h"

TEST(ListagemDeFicheiros, CorrespondeEOrdenaSemDistinguirMaiusculas) {
    Espaco e;
    for (const char* nome : {"prp_b.XML", "PRP_a.xml", "prp_c.xml.bak", "outro.xml", "PRP_10.xml",
                             "prp_2.xml", "ENC_3.xml"})
        e.escrever(QString::fromUtf8(nome), "x");
    e.pasta(u"prp_pasta.xml"_s);
    ListagemDeFicheiros l;
    l.Listar(e.caminho(), u"PRP*.xml;enc_?.xml"_s);
    QStringList nomes;
    for (int i = 0; i < l.ListCount(); ++i)
        nomes << l.List(i);
    EXPECT_EQ(nomes,
              (QStringList{"ENC_3.xml", "PRP_10.xml", "prp_2.xml", "PRP_a.xml", "prp_b.XML"}));
    EXPECT_EQ(l.List(9), QString());
    EXPECT_THROW(l.Listar(e.caminho(u"nao-existe"_s), u"*"_s), Falha);
    EXPECT_EQ(l.ListCount(), 0);
}
