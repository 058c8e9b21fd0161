#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <vector>

#include "platform/ServidorEmail.h"
#include "platform/clsIni.h"
#include "settings/Parametros.h"
#include "settings/frmParametros.h"
#include "tests/apoio/Apoio.h"

namespace {

QString u(const char* texto) {
    return QString::fromUtf8(texto);
}

// Every field of the dialog: its page, its label and the setting it edits.
struct Linha {
    int campo;
    int pagina;
    const char* titulo;
    const char* seccao;
    const char* chave;
};

// clang-format off
const Linha kLinhas[34] = {
    { 0, 0, "Entrada - Pasta",    "Contactos", "Directoria Entrada"},
    { 1, 0, "Entrada - Ficheiro", "Contactos", "Ficheiro Entrada"},
    { 2, 0, "Saída - Pasta",      "Contactos", "Directoria Saida"},
    { 3, 0, "Saída - Ficheiro",   "Contactos", "Ficheiro Saida"},
    { 7, 1, "Entrada -Pasta",     "Encomenda", "Directoria Entrada"},
    { 8, 1, "Entrada - Ficheiro", "Encomenda", "Ficheiro Entrada"},
    { 9, 1, "Saída - Pasta",      "Encomenda", "Directoria Saida"},
    {10, 1, "Saída - Ficheiro",   "Encomenda", "Ficheiro Saida"},
    {11, 2, "Email Origem",       "email",     "Origem"},
    {12, 2, "Nome Origem",        "email",     "Origem Nome"},
    {13, 2, "Assunto",            "email",     "Assunto"},
    {14, 2, "email de destino",   "email",     "Destino"},
    {15, 3, "Pasta",              "Log",       "Directoria"},
    {16, 4, "Servidor",           "SQL",       "Servidor"},
    {17, 4, "Username",           "SQL",       "Username"},
    {18, 4, "Password",           "SQL",       "Password"},
    {19, 5, "Percurso 100C",      "Next",      "PercursoNext"},
    {20, 5, "Percurso Log",       "Next",      "PercursoLog"},
    {21, 5, "Utiizador",          "Next",      "Username"},
    {22, 5, "Password",           "Next",      "Password"},
    {23, 6, "Código Empresa",     "QF",        "CodigoNext"},
    {24, 6, "BD SQL",             "QF",        "NomeSQL"},
    { 4, 6, "Tipo Documento",     "QF",        "Tipo Doc"},
    { 5, 6, "Setor",              "QF",        "Sector"},
    { 6, 6, "Série",              "QF",        "Serie"},
    {30, 6, "Artigo Portes",      "QF",        "ARTPORTES"},
    {32, 6, "Armazém",            "QF",        "Armazem"},
    {25, 7, "Código Empresa",     "SR",        "CodigoNext"},
    {26, 7, "BD SQL",             "SR",        "NomeSQL"},
    {27, 7, "Tipo Documento",     "SR",        "Tipo Doc"},
    {28, 7, "Setor",              "SR",        "Sector"},
    {29, 7, "Série",              "SR",        "Serie"},
    {31, 7, "Artigo Portes",      "SR",        "ARTPORTES"},
    {33, 7, "Armazém",            "SR",        "Armazem"},
};
// clang-format on

const char* const kLegendas[8] = {"Prospects", "Encomendas", "e-mail",     "Log",
                                  "Sql",       "100C",       "Quintaflor", "Serralta"};
const int kPrimeiroCampo[8] = {0, 7, 11, 15, 16, 19, 23, 25};

QString ler(const QString& ficheiro, const char* seccao, const char* chave) {
    clsIni ini;
    ini.Ficheiro(ficheiro);
    return ini.LerValor(u(seccao), u(chave));
}

void gravar(const QString& ficheiro, const QList<clsIni::Valor>& valores) {
    clsIni ini;
    ini.Ficheiro(ficheiro);
    ASSERT_TRUE(ini.GravarValores(valores));
}

void clicarNaAba(QTabBar* abas, int indice) {
    const QPoint ponto = abas->tabRect(indice).center();
    QMouseEvent carregar(QEvent::MouseButtonPress, ponto, abas->mapToGlobal(ponto), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
    QMouseEvent largar(QEvent::MouseButtonRelease, ponto, abas->mapToGlobal(ponto), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(abas, &carregar);
    QApplication::sendEvent(abas, &largar);
    QApplication::processEvents();
}

// Closed windows delete themselves once the deferred deletions run.
void apagarFechados() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs `accao` on the modal dialog that the next call opens; closes it regardless after a
// while, so that a dialog that did not open never hangs the test.
void naJanelaModal(std::function<void(QWidget*)> accao) {
    QTimer::singleShot(0, [accao] {
        if (QWidget* w = QApplication::activeModalWidget())
            accao(w);
    });
    QTimer::singleShot(5000, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
}

class FrmParametros : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QApplication::instance())
            return;
        static int argc = 1;
        static char nome[] = "frmParametros_test";
        static char* argv[] = {nome, nullptr};
        new QApplication(argc, argv);
    }

    void TearDown() override {
        for (const QPointer<frmParametros>& d : abertos_)
            delete d.data();
        apagarFechados();
    }

    frmParametros* abrir(const QString& ficheiro) {
        auto* d = new frmParametros();
        d->FicheiroIni = ficheiro;
        d->Mostra();
        QApplication::processEvents();
        abertos_.push_back(d);
        return d;
    }

    Espaco espaco;
    const QString ficheiro = espaco.caminho(QStringLiteral("Quintaflor.vek"));

  private:
    std::vector<QPointer<frmParametros>> abertos_;
};

TEST_F(FrmParametros, EveryFieldShowsItsSettingUnderItsLabelOnItsPage) {
    QList<clsIni::Valor> valores;
    for (const Linha& l : kLinhas)
        valores.append({u(l.seccao), u(l.chave),
                        QStringLiteral("valor de %1 / %2").arg(u(l.seccao), u(l.chave))});
    gravar(ficheiro, valores);

    frmParametros* d = abrir(ficheiro);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Parametros"));
    ASSERT_EQ(d->TabStrip->count(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(d->TabStrip->tabText(i), u(kLegendas[i]));
    EXPECT_EQ(d->btConf->text(), QStringLiteral("&Confirmar"));
    EXPECT_EQ(d->btSair->text(), QStringLiteral("&Sair"));
    EXPECT_EQ(d->btConfEmail->text(), u("Configuração do servidor de email"));
    EXPECT_EQ(d->btConfEmail->parentWidget(), d->Frame[2]);

    int topoAnterior[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    for (const Linha& l : kLinhas) {
        SCOPED_TRACE(l.campo);
        QLineEdit* campo = d->Campo[l.campo];
        QLabel* titulo = d->Titulo[l.campo];
        EXPECT_EQ(campo->text(), QStringLiteral("valor de %1 / %2").arg(u(l.seccao), u(l.chave)));
        EXPECT_EQ(titulo->text(), u(l.titulo));
        EXPECT_EQ(campo->parentWidget(), d->Frame[l.pagina]);
        EXPECT_EQ(titulo->parentWidget(), d->Frame[l.pagina]);
        EXPECT_EQ(titulo->y(), campo->y());
        EXPECT_LT(titulo->geometry().right(), campo->x());
        EXPECT_GT(campo->y(), topoAnterior[l.pagina]);  // rows top to bottom, as listed
        topoAnterior[l.pagina] = campo->y();
        const bool password = l.campo == 18 || l.campo == 22;
        EXPECT_EQ(campo->echoMode(), password ? QLineEdit::Password : QLineEdit::Normal);
    }
    EXPECT_GT(d->btConfEmail->y(), d->Campo[14]->geometry().bottom());
}

TEST_F(FrmParametros, AFileThatLacksSomeKeysShowsThemEmpty) {
    gravar(ficheiro, {{u("Contactos"), u("Directoria Entrada"), u("C:\\web\\entrada")},
                      {u("SQL"), u("Servidor"), u("SRV\\SAGE")},
                      {u("SR"), u("Armazem"), u("A2")}});
    frmParametros* d = abrir(ficheiro);
    for (const Linha& l : kLinhas) {
        SCOPED_TRACE(l.campo);
        const QString esperado = l.campo == 0    ? u("C:\\web\\entrada")
                                 : l.campo == 16 ? u("SRV\\SAGE")
                                 : l.campo == 33 ? u("A2")
                                                 : QString();
        EXPECT_EQ(d->Campo[l.campo]->text(), esperado);
    }

    frmParametros* semFicheiro = abrir(espaco.caminho(QStringLiteral("nao-existe.vek")));
    for (QLineEdit* c : semFicheiro->Campo)
        EXPECT_TRUE(c->text().isEmpty());
}

TEST_F(FrmParametros, SairAfterEditingLeavesTheFileByteForByte) {
    gravar(ficheiro,
           {{u("Log"), u("Directoria"), u("C:\\log")}, {u("QF"), u("UltimoEnviado"), u("7")}});
    const QByteArray antes = lerFicheiro(ficheiro);
    QPointer<frmParametros> d = abrir(ficheiro);
    d->Campo[15]->setText(u("D:\\outro"));
    d->Campo[0]->setText(u("D:\\entrada"));
    d->btSair->click();
    apagarFechados();
    EXPECT_TRUE(d.isNull());
    EXPECT_EQ(lerFicheiro(ficheiro), antes);
}

TEST_F(FrmParametros, ClickingATabShowsItsPageWithTheFocusInItsFirstField) {
    frmParametros* d = abrir(ficheiro);
    EXPECT_EQ(d->focusWidget(), d->Campo[0]);
    for (int aba : {7, 0, 1, 2, 3, 4, 5, 6}) {
        SCOPED_TRACE(aba);
        clicarNaAba(d->TabStrip, aba);
        EXPECT_EQ(d->TabStrip->currentIndex(), aba);
        for (int p = 0; p < 8; ++p)
            EXPECT_EQ(d->Frame[p]->isVisible(), p == aba);
        EXPECT_EQ(d->focusWidget(), d->Campo[kPrimeiroCampo[aba]]);
    }
    // Tab 8 is the second company's page: its first field is "Código Empresa".
    clicarNaAba(d->TabStrip, 7);
    EXPECT_EQ(d->Titulo[25]->text(), u("Código Empresa"));
    EXPECT_EQ(d->focusWidget(), d->Campo[25]);
}

TEST_F(FrmParametros, EnlargingWidensTabAreaAndFieldsAndKeepsButtonsInTheCorners) {
    frmParametros* d = abrir(ficheiro);
    EXPECT_EQ(d->size(), QSize(10000 / 15, 5000 / 15));
    const int margem = 120 / 15;

    const auto verificarDisposicao = [&] {
        const int largura = d->width();
        const int altura = d->height();
        EXPECT_EQ(d->btConf->pos(), QPoint(margem, altura - d->btConf->height() - margem));
        EXPECT_EQ(d->btSair->geometry().right() + 1, largura - margem);
        EXPECT_EQ(d->btSair->y(), d->btConf->y());
        EXPECT_EQ(d->TabStrip->geometry().left(), margem);
        EXPECT_EQ(d->TabStrip->width(), largura - 2 * margem);
        for (QFrame* f : d->Frame) {
            EXPECT_EQ(f->x(), margem);
            EXPECT_EQ(f->width(), largura - 2 * margem);
            EXPECT_EQ(f->geometry().bottom() + 1, altura - d->btSair->height() - 2 * margem);
        }
        for (QLineEdit* c : d->Campo)
            EXPECT_EQ(c->geometry().right() + 1, c->parentWidget()->width() - margem);
        EXPECT_EQ(d->btConfEmail->geometry().right() + 1, d->Frame[2]->width() - margem);
    };
    verificarDisposicao();

    std::vector<int> larguras;
    for (QLineEdit* c : d->Campo)
        larguras.push_back(c->width());
    const int larguraDasAbas = d->TabStrip->width();
    const int topoDoEmail = d->btConfEmail->y();

    d->resize(1000, 600);
    QApplication::processEvents();
    ASSERT_EQ(d->size(), QSize(1000, 600));
    verificarDisposicao();
    EXPECT_EQ(d->TabStrip->width(), larguraDasAbas + 1000 - 10000 / 15);
    for (size_t i = 0; i < larguras.size(); ++i)
        EXPECT_EQ(d->Campo[i]->width(), larguras[i] + 1000 - 10000 / 15) << i;
    EXPECT_EQ(d->btConfEmail->y(), topoDoEmail);
}

// Each case makes the write fail in a way that also works for root, whom file permissions
// do not stop.
struct EscritaImpossivel {
    const char* nome;
    const char* motivo;
    // Prepares the settings file and gives its path; `depoisDeAbrir` breaks it further once
    // the dialog has loaded it; `reparar` makes writing possible again.
    std::function<QString(const Espaco&)> preparar;
    std::function<void(const Espaco&)> depoisDeAbrir;
    std::function<void(const Espaco&)> reparar;
};

TEST_F(FrmParametros, AFileThatCannotBeWrittenKeepsTheDialogOpenAndSaysWhy) {
    const std::vector<EscritaImpossivel> casos = {
        {"the settings path is a folder", "é uma pasta",
         [](const Espaco& e) { return e.pasta(QStringLiteral("Quintaflor.vek")); },
         [](const Espaco&) {},
         [](const Espaco& e) {
             QDir(e.caminho(QStringLiteral("Quintaflor.vek"))).removeRecursively();
         }},
        {"the folder went away after loading", "não existe",
         [](const Espaco& e) {
             const QString f = e.caminho(QStringLiteral("rede/Quintaflor.vek"));
             e.escrever(QStringLiteral("rede/Quintaflor.vek"), "[Log]\nDirectoria=C:\\log\n");
             return f;
         },
         [](const Espaco& e) { QDir(e.caminho(QStringLiteral("rede"))).removeRecursively(); },
         [](const Espaco& e) { e.pasta(QStringLiteral("rede")); }},
    };
    for (const EscritaImpossivel& caso : casos) {
        SCOPED_TRACE(caso.nome);
        Espaco e;
        const QString caminho = caso.preparar(e);
        QPointer<frmParametros> d = abrir(caminho);
        caso.depoisDeAbrir(e);
        d->Campo[0]->setText(u("D:\\novo"));
        d->Campo[29]->setText(u("9"));
        d->btConf->click();
        apagarFechados();

        ASSERT_FALSE(d.isNull());
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->Campo[0]->text(), u("D:\\novo"));
        EXPECT_EQ(d->Campo[29]->text(), u("9"));
        // A file that could not even be read was said so at opening; the last box is the write's.
        const QList<QMessageBox*> caixas = d->findChildren<QMessageBox*>();
        ASSERT_FALSE(caixas.isEmpty()) << "the user is told why";
        QMessageBox* caixa = caixas.last();
        if (caixas.size() > 1) {
            EXPECT_TRUE(caixas.first()->text().contains(u("Não foi possível ler os parâmetros")));
        }
        EXPECT_TRUE(caixa->isVisible());
        EXPECT_TRUE(caixa->text().contains(QDir::toNativeSeparators(caminho)));
        EXPECT_TRUE(caixa->text().contains(u(caso.motivo))) << caixa->text().toStdString();
        caixa->close();
        apagarFechados();

        // Once the cause is gone, confirming again saves the user's text and closes.
        caso.reparar(e);
        d->btConf->click();
        apagarFechados();
        EXPECT_TRUE(d.isNull());
        EXPECT_EQ(ler(caminho, "Contactos", "Directoria Entrada"), u("D:\\novo"));
        EXPECT_EQ(ler(caminho, "SR", "Serie"), u("9"));
    }
}

// The old Windows program's settings file: windows-1252, CR LF, no line end at the end.
TEST_F(FrmParametros, AWindowsFileKeepsItsEncodingAndEveryByteButTheValuesWritten) {
    QByteArray antes = "; Par\xE2metros da sincroniza\xE7\xE3o\r\n";
    const char* seccao = "";
    for (const Linha& l : kLinhas) {
        if (qstrcmp(seccao, l.seccao) != 0)
            antes += QByteArray("[") + (seccao = l.seccao) + "]\r\n";
        antes += QByteArray(l.chave) + " = " +
                 (l.campo == 13   ? "Sincroniza\xE7\xE3o"
                  : l.campo == 15 ? "C:\\Registos"
                                  : "") +
                 "\r\n";
    }
    antes += "UltimoEnviado=7\r\n[Servidor email]\r\nServidor = smtp.quintaflor.pt";
    espaco.escrever(QStringLiteral("Quintaflor.vek"), antes);
    QPointer<frmParametros> d = abrir(ficheiro);
    EXPECT_EQ(d->Campo[13]->text(), u("Sincronização"));

    // Refused by name, and nothing is written: a value of several lines, a character the file's
    // encoding has not.
    const std::pair<const char*, const char*> recusados[] = {
        {"linha 1\nlinha 2", "\"Assunto\""}, {"Sincronização → feita", "windows-1252"}};
    for (const auto& [valor, motivo] : recusados) {
        d->Campo[13]->setText(u(valor));
        d->btConf->click();
        apagarFechados();
        ASSERT_FALSE(d.isNull());
        EXPECT_EQ(lerFicheiro(ficheiro), antes);
        QMessageBox* caixa = d->findChild<QMessageBox*>();
        ASSERT_NE(caixa, nullptr);
        EXPECT_TRUE(caixa->text().contains(u(motivo))) << caixa->text().toStdString();
        delete caixa;
    }

    d->Campo[13]->setText(u("Sincronização € feita"));
    d->Campo[15]->setText(u("D:\\Relatórios"));
    d->btConf->click();
    apagarFechados();
    EXPECT_TRUE(d.isNull());
    EXPECT_EQ(lerFicheiro(ficheiro),
              antes.replace("= Sincroniza\xE7\xE3o", "= Sincroniza\xE7\xE3o \x80 feita")
                  .replace("C:\\Registos", "D:\\Relat\xF3rios"));
}

TEST_F(FrmParametros, TwoDialogsAtOnceTheLastConfirmedWins) {
    gravar(ficheiro, {{u("Log"), u("Directoria"), u("C:\\log")}});
    QPointer<frmParametros> a = abrir(ficheiro);
    QPointer<frmParametros> b = abrir(ficheiro);
    EXPECT_TRUE(a->isVisible());
    EXPECT_TRUE(b->isVisible());
    a->Campo[15]->setText(u("A"));
    b->Campo[15]->setText(u("B"));
    b->btConf->click();
    EXPECT_EQ(ler(ficheiro, "Log", "Directoria"), u("B"));
    a->btConf->click();
    apagarFechados();
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(ler(ficheiro, "Log", "Directoria"), u("A"));
}

TEST_F(FrmParametros, MailServerEditorKeepsItsOwnSectionOfTheFile) {
    gravar(ficheiro, {{u("email"), u("Origem"), u("loja@quintaflor.pt")},
                      {ServidorEmail::Seccao, u("Seguranca"), u("TLS 1.3 apenas")}});
    frmParametros* d = abrir(ficheiro);
    clicarNaAba(d->TabStrip, 2);
    d->Campo[11]->setText(u("por gravar"));

    bool aberto = false;
    naJanelaModal([&aberto](QWidget* w) {
        aberto = true;
        // A stored value the editor does not offer is shown, not replaced.
        EXPECT_EQ(w->findChild<QComboBox*>(u("Seguranca"))->currentText(), u("TLS 1.3 apenas"));
        w->findChild<QLineEdit*>(u("Servidor"))->setText(u("smtp.quintaflor.pt"));
        w->findChild<QLineEdit*>(u("Porta"))->setText(u("587"));
        w->findChild<QLineEdit*>(u("Utilizador"))->setText(u("loja"));
        w->findChild<QLineEdit*>(u("Password"))->setText(u("s3gr3d0"));
        EXPECT_EQ(w->findChild<QLineEdit*>(u("Password"))->echoMode(), QLineEdit::Password);
        w->findChild<QPushButton*>(u("btConf"))->click();
    });
    d->btConfEmail->click();
    ASSERT_TRUE(aberto);

    ServidorEmail servidor;
    ASSERT_TRUE(servidor.Ler(ficheiro));
    EXPECT_EQ(servidor.Servidor, u("smtp.quintaflor.pt"));
    EXPECT_EQ(servidor.Porta, u("587"));
    EXPECT_EQ(servidor.Seguranca, u("TLS 1.3 apenas"));
    EXPECT_EQ(servidor.Utilizador, u("loja"));
    EXPECT_EQ(servidor.Password, u("s3gr3d0"));
    // The settings dialog's fields are not involved: nothing of them was saved or changed.
    EXPECT_EQ(ler(ficheiro, "email", "Origem"), u("loja@quintaflor.pt"));
    EXPECT_EQ(d->Campo[11]->text(), u("por gravar"));

    // Leaving the editor with "&Sair" writes nothing.
    const QByteArray antes = lerFicheiro(ficheiro);
    naJanelaModal([](QWidget* w) {
        w->findChild<QLineEdit*>(u("Servidor"))->setText(u("outro"));
        w->findChild<QPushButton*>(u("btSair"))->click();
    });
    d->btConfEmail->click();
    EXPECT_EQ(lerFicheiro(ficheiro), antes);

    // Confirming the settings keeps the mail-server section.
    d->btConf->click();
    ASSERT_TRUE(servidor.Ler(ficheiro));
    EXPECT_EQ(servidor.Servidor, u("smtp.quintaflor.pt"));
    EXPECT_EQ(ler(ficheiro, "email", "Origem"), u("por gravar"));
}

}  // namespace
