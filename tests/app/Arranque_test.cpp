#include "app/Arranque.h"
#include "tests/apoio/Apoio.h"

TEST(Arrancar, FicheiroDeParametrosEModoDaLinhaDeComando) {
    Espaco e;
    const QString programa = e.pasta(u"programa"_s), comum = e.pasta(u"comum"_s),
                  fabricante = e.pasta(u"comum/norbix"_s), semComum = e.pasta(u"vazia"_s);
    const struct {
        QStringList argumentos;
        bool pastaDoFabricante;
        QString ficheiro;
        bool automatico;
    } casos[] = {
        {{}, true, fabricante + "/Quintaflor.vek", false},
        {{}, false, programa + "/Quintaflor.vek", false},
        {{"/S"}, true, fabricante + "/Quintaflor.vek", true},
        {{"/S"}, false, programa + "/Quintaflor.vek", true},
        // Here "/s" and "/S " are absolute paths: taken as they stand, and not the switch.
        {{"/s"}, true, "/s", false},
        {{"/S", ""}, true, "/S ", false},
        {{"s"}, true, programa + "/s", false},
        {{"a b.vek"}, true, programa + "/a b.vek", false},
        {{"/etc/marelo/loja.vek"}, true, "/etc/marelo/loja.vek", false},
    };
    for (const auto& c : casos) {
        const Arranque a = Arrancar(linhaDeComando(QStringList{u"marelo"_s} + c.argumentos),
                                    programa, c.pastaDoFabricante ? comum : semComum);
        EXPECT_EQ(a.FicheiroIni, c.ficheiro) << c.argumentos.join(' ').toStdString();
        EXPECT_EQ(a.bAutomatico, c.automatico) << c.argumentos.join(' ').toStdString();
    }
}
