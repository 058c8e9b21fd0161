#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>

#include "app/frmMarelo.h"
#include "tests/apoio/Apoio.h"

namespace {

QApplication& aplicacao() {
    static int argc = 1;
    static char nome[] = "frmMarelo_test";
    static char* argv[] = {nome, nullptr};
    // Never destroyed: at exit it would outlive the database module it calls into.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace

TEST(frmMarelo, DisposicaoEmPixelsDosTwips) {
    aplicacao();
    frmMarelo janela(QStringLiteral("/nao/existe.vek"));
    EXPECT_EQ(janela.size(), QSize(609, 183));
    EXPECT_EQ(janela.Lista->geometry(), QRect(8, 8, 592, 132));
    EXPECT_EQ(janela.btConf->text(), QStringLiteral("&Sincronizar"));
    EXPECT_EQ(janela.btCancelar->text(), QStringLiteral("Parametrizar"));
    EXPECT_EQ(janela.btSair->text(), QStringLiteral("&Sair"));
    EXPECT_EQ(janela.btConf->geometry(), QRect(4, 148, 80, 29));
    EXPECT_EQ(janela.btSair->geometry().left(), 520);
}

TEST(frmMarelo, SincronizarMostraOsPassosEVoltaAFicarActiva) {
    aplicacao();
    Espaco e;
    const QString ini = e.escrever(
        QStringLiteral("q.vek"),
        "[Contactos]\nDirectoria Entrada=" + e.pasta(QStringLiteral("c")).toUtf8() +
            "\n[Encomenda]\nDirectoria Entrada=" + e.pasta(QStringLiteral("e")).toUtf8() +
            "\n[Log]\nDirectoria=" + e.pasta(QStringLiteral("log")).toUtf8() + "\n");
    frmMarelo janela(ini);
    ASSERT_TRUE(janela.Form_Load());
    EXPECT_EQ(janela.FicheiroIni(), ini);
    EXPECT_FALSE(janela.bAutomatico());
    janela.show();
    janela.btConf->click();
    const int linhas = janela.Lista->count();
    janela.btConf->click();
    EXPECT_TRUE(janela.isEnabled());
    ASSERT_EQ(janela.Lista->count(), linhas);  // the list starts again at every run
    EXPECT_EQ(janela.Lista->item(0)->text(), QStringLiteral("Enviar contactos alterados"));
    EXPECT_EQ(janela.Lista->item(linhas - 1)->text(), QStringLiteral("Sincronização terminada"));
    EXPECT_EQ(janela.Lista->currentRow(), linhas - 1);
}
