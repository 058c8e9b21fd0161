#include "platform/ficheiros/Ficheiros.h"
#include "tests/apoio/Apoio.h"

TEST(Ficheiros, ArquivarEMoverSubstituemOAnteriorOuDeixamTudoComoEstava) {
    Espaco e;
    e.escrever(u"in/a.xml"_s, "novo");
    e.escrever(u"in/a.xml.bak"_s, "antigo");
    ArquivarFicheiro(e.caminho(u"in/"_s), u"a.xml"_s);
    EXPECT_FALSE(e.existe(u"in/a.xml"_s));
    EXPECT_EQ(e.ler(u"in/a.xml.bak"_s), QByteArray("novo"));
    ArquivarFicheiro(e.caminho(u"in"_s), u"a.xml"_s);  // gone: the backup stays
    EXPECT_EQ(e.ler(u"in/a.xml.bak"_s), QByteArray("novo"));

    e.escrever(u"out/o.xml"_s, "velho");
    EXPECT_TRUE(MoverFicheiro(e.escrever(u"in/o.xml"_s, "ordem"), e.caminho(u"out/o.xml"_s)));
    EXPECT_FALSE(e.existe(u"in/o.xml"_s));
    EXPECT_EQ(e.ler(u"out/o.xml"_s), QByteArray("ordem"));
    EXPECT_FALSE(MoverFicheiro(e.caminho(u"in/o.xml"_s), e.caminho(u"out/o.xml"_s)));
    EXPECT_EQ(e.ler(u"out/o.xml"_s), QByteArray("ordem"));
    EXPECT_FALSE(MoverFicheiro(e.escrever(u"in/q.xml"_s, "q"), e.caminho(u"nao/q.xml"_s)));
    EXPECT_TRUE(e.existe(u"in/q.xml"_s));
}
