#include <QApplication>
#include <QFile>
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
    // On start and after each run, the list ends with what waits in the inboxes.
    e.escrever(u"ee/ENC_1.xml"_s, "<ENC>");
    ASSERT_TRUE(janela.Form_Load());
    EXPECT_FALSE(janela.bAutomatico());
    ASSERT_EQ(janela.Lista->count(), 1);
    EXPECT_TRUE(janela.Lista->item(0)->text().startsWith(
        u"Ficheiros à espera nas pastas de entrada: 1, o mais antigo desde "_s));
    janela.show();
    janela.btConf->click();
    QFile::remove(e.caminho(u"ee/ENC_1.xml"_s));
    janela.btConf->click();
    EXPECT_TRUE(janela.isEnabled());
    const int linhas = janela.Lista->count();
    ASSERT_EQ(linhas, 9);  // the list starts again at every run
    EXPECT_EQ(janela.Lista->item(0)->text(), u"Enviar contactos alterados"_s);
    EXPECT_EQ(janela.Lista->item(linhas - 2)->text(), u"Sincronização terminada"_s);
    EXPECT_EQ(janela.Lista->item(linhas - 1)->text(),
              u"Não há ficheiros à espera nas pastas de entrada."_s);
    EXPECT_EQ(janela.Lista->currentRow(), linhas - 1);
}
