#include <QApplication>
#include <QListWidget>

#include "app/frmMarelo.h"
#include "tests/apoio/Apoio.h"

TEST(frmMarelo, SincronizarMostraOsPassosEVoltaAFicarActiva) {
    static int argc = 1;
    static char nome[] = "frmMarelo_test", *argv[] = {nome, nullptr};
    // Never destroyed: at exit it would outlive the database module it calls into.
    new QApplication(argc, argv);
    Empresas e(false);
    frmMarelo janela(e.ini);
    EXPECT_EQ(
        (QStringList{janela.btConf->text(), janela.btCancelar->text(), janela.btSair->text()}),
        (QStringList{"&Sincronizar", "Parametrizar", "&Sair"}));
    ASSERT_TRUE(janela.Form_Load());
    EXPECT_FALSE(janela.bAutomatico());
    janela.show();
    janela.btConf->click();
    janela.btConf->click();
    EXPECT_TRUE(janela.isEnabled());
    const int linhas = janela.Lista->count();
    ASSERT_EQ(linhas, 8);  // the list starts again at every run
    EXPECT_EQ(janela.Lista->item(0)->text(), u"Enviar contactos alterados"_s);
    EXPECT_EQ(janela.Lista->item(linhas - 1)->text(), u"Sincronização terminada"_s);
    EXPECT_EQ(janela.Lista->currentRow(), linhas - 1);
}
