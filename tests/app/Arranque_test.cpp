#include <gtest/gtest.h>

#include "app/Arranque.h"
#include "tests/apoio/Apoio.h"

TEST(Arrancar, CaminhoDoFicheiroDeParametros) {
    Espaco e;
    const QString programa = e.pasta(QStringLiteral("programa"));
    const QString comComum = e.pasta(QStringLiteral("comum"));
    e.pasta(QStringLiteral("comum/norbix"));
    const QString semComum = e.pasta(QStringLiteral("vazia"));
    const QString fabricante = comComum + QStringLiteral("/norbix");

    struct Caso {
        const char* linha;
        bool pastaDoFabricanteExiste;
        QString ficheiro;
        bool automatico;
    } casos[] = {
        {"", true, fabricante + "/Quintaflor.vek", false},
        {"", false, programa + "/Quintaflor.vek", false},
        {"/S", true, fabricante + "/Quintaflor.vek", true},
        {"/S", false, programa + "/Quintaflor.vek", true},
        // Here "/s" and "/S " are absolute paths: taken as they stand, and not the switch.
        {"/s", true, "/s", false},
        {"/S ", true, "/S ", false},
        {"s", true, programa + "/s", false},
        {"cliente2.vek", true, programa + "/cliente2.vek", false},
        {"/etc/marelo/loja.vek", true, "/etc/marelo/loja.vek", false},
    };
    for (const Caso& c : casos) {
        const Arranque a = Arrancar(QString::fromUtf8(c.linha), programa,
                                    c.pastaDoFabricanteExiste ? comComum : semComum);
        EXPECT_EQ(a.FicheiroIni, c.ficheiro) << "linha \"" << c.linha << "\"";
        EXPECT_EQ(a.bAutomatico, c.automatico) << "linha \"" << c.linha << "\"";
    }
}

TEST(Arrancar, ALinhaDeComandoEOTextoDosArgumentos) {
    EXPECT_EQ(linhaDeComando({QStringLiteral("marelo")}), QString());
    EXPECT_EQ(linhaDeComando({QStringLiteral("marelo"), QStringLiteral("/S")}),
              QStringLiteral("/S"));
    EXPECT_EQ(linhaDeComando({QStringLiteral("marelo"), QStringLiteral("a b.vek")}),
              QStringLiteral("a b.vek"));
    EXPECT_EQ(linhaDeComando({QStringLiteral("marelo"), QStringLiteral("/S"), QString()}),
              QStringLiteral("/S "));
}
