#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <map>

#include "platform/ini/clsIni.h"
#include "settings/frmParametros.h"
#include "tests/apoio/Apoio.h"

namespace {

QString u(const char* texto) {
    return QString::fromUtf8(texto);
}

void apagarFechados() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class FrmParametros : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char nome[] = "frmParametros_test";
        static char* argv[] = {nome, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void TearDown() override {
        for (const QPointer<frmParametros>& d : abertos_)
            delete d.data();
        apagarFechados();
    }
    frmParametros* abrir(const QString& caminho) {
        auto* d = new frmParametros();
        d->FicheiroIni = caminho;
        d->Mostra();
        QApplication::processEvents();
        abertos_ << d;
        return d;
    }
    // Confirms; the box that says why it could not, if any.
    QMessageBox* confirmar(QPointer<frmParametros>& d) {
        d->btConf->click();
        apagarFechados();
        const QList<QMessageBox*> caixas =
            d ? d->findChildren<QMessageBox*>() : QList<QMessageBox*>();
        return caixas.isEmpty() ? nullptr : caixas.last();
    }

    Espaco espaco;
    const QString ficheiro = espaco.caminho(u"Quintaflor.vek"_s);

  private:
    QList<QPointer<frmParametros>> abertos_;
};

}  // namespace

TEST_F(FrmParametros, CadaPaginaMostraOsSeusParametrosSobOsSeusTitulos) {
    Parametros p;
    p.FicheiroIni = ficheiro;
    for (const Parametros::Chave& c : Parametros::Chaves())
        p.*c.propriedade = u(c.seccao) + QLatin1Char('/') + u(c.chave);
    ASSERT_TRUE(p.Escrever());
    frmParametros* d = abrir(ficheiro);
    EXPECT_EQ(d->windowTitle(), u("Parametros"));
    QStringList paginas;
    for (int i = 0; i < d->TabStrip->count(); ++i) {
        std::map<int, QString> linhas;  // by height on the page
        for (int c = 0; c < 34; ++c)
            if (d->Campo[c]->parentWidget() == d->Frame[i]) {
                EXPECT_EQ(d->Titulo[c]->y(), d->Campo[c]->y());
                EXPECT_EQ(d->Titulo[c]->parentWidget(), d->Frame[i]);
                linhas[d->Campo[c]->y()] =
                    d->Titulo[c]->text() + u(": ") + d->Campo[c]->text() +
                    (d->Campo[c]->echoMode() == QLineEdit::Password ? u(" *") : u(""));
            }
        QString pagina = d->TabStrip->tabText(i);
        for (const auto& [y, linha] : linhas)
            pagina += u("; ") + linha;
        paginas << pagina;
    }
    EXPECT_EQ(paginas,
              (QStringList{
                  "Prospects; Entrada - Pasta: Contactos/Directoria Entrada; Entrada - Ficheiro: "
                  "Contactos/Ficheiro Entrada; Saída - Pasta: Contactos/Directoria Saida; Saída - "
                  "Ficheiro: Contactos/Ficheiro Saida",
                  "Encomendas; Entrada -Pasta: Encomenda/Directoria Entrada; Entrada - Ficheiro: "
                  "Encomenda/Ficheiro Entrada; Saída - Pasta: Encomenda/Directoria Saida; Saída - "
                  "Ficheiro: Encomenda/Ficheiro Saida",
                  "e-mail; Email Origem: email/Origem; Nome Origem: email/Origem Nome; Assunto: "
                  "email/Assunto; email de destino: email/Destino",
                  "Log; Pasta: Log/Directoria",
                  "Sql; Servidor: SQL/Servidor; Username: SQL/Username; Password: SQL/Password *",
                  "100C; Percurso 100C: Next/PercursoNext; Percurso Log: Next/PercursoLog; "
                  "Utiizador: Next/Username; Password: Next/Password *",
                  "Quintaflor; Código Empresa: QF/CodigoNext; BD SQL: QF/NomeSQL; Tipo Documento: "
                  "QF/Tipo Doc; Setor: QF/Sector; Série: QF/Serie; Artigo Portes: QF/ARTPORTES; "
                  "Armazém: QF/Armazem",
                  "Serralta; Código Empresa: SR/CodigoNext; BD SQL: SR/NomeSQL; Tipo Documento: "
                  "SR/Tipo Doc; Setor: SR/Sector; Série: SR/Serie; Artigo Portes: SR/ARTPORTES; "
                  "Armazém: SR/Armazem"}));
    EXPECT_EQ((QStringList{d->btConf->text(), d->btSair->text(), d->btConfEmail->text()}),
              (QStringList{"&Confirmar", "&Sair", "Configuração do servidor de email"}));

    // A tab shows its page.
    for (int aba : {7, 0, 2}) {
        d->TabStrip->setCurrentIndex(aba);
        for (int p = 0; p < 8; ++p)
            EXPECT_EQ(d->Frame[p]->isVisible(), p == aba);
    }
}

TEST_F(FrmParametros, SairNaoGravaNadaEOQueOFicheiroNaoGuardaERecusadoPeloNome) {
    // The old Windows program's file: windows-1252, CR LF, no line end at the end.
    const QByteArray antes = "; Par\xE2metros\r\n[email]\r\nAssunto = Sincroniza\xE7\xE3o";
    espaco.escrever(u"Quintaflor.vek"_s, antes);
    QPointer<frmParametros> d = abrir(ficheiro);
    EXPECT_EQ(d->Campo[13]->text(), u("Sincronização"));
    d->Campo[15]->setText(u("D:\\outro"));
    d->btSair->click();
    apagarFechados();
    EXPECT_TRUE(d.isNull());
    EXPECT_EQ(lerFicheiro(ficheiro), antes);

    d = abrir(ficheiro);
    d->Campo[13]->setText(u("Sincronização → feita"));  // not in windows-1252
    QMessageBox* recusa = confirmar(d);
    ASSERT_NE(recusa, nullptr);
    EXPECT_TRUE(recusa->text().contains(u("windows-1252"))) << recusa->text().toStdString();
    EXPECT_EQ(lerFicheiro(ficheiro), antes);
    delete recusa;
    // Nor a pattern that would send every contact into one file.
    d->Campo[13]->setText(u("Sincronização"));
    d->Campo[3]->setText(u("Contactos.xml"));
    recusa = confirmar(d);
    ASSERT_NE(recusa, nullptr);
    EXPECT_TRUE(recusa->text().contains(u("não tem \"*\""))) << recusa->text().toStdString();
    EXPECT_EQ(lerFicheiro(ficheiro), antes);
    delete recusa;

    // A file that cannot be written keeps the dialog open and says why; once the cause is gone,
    // confirming again saves the user's text.
    QFile::remove(ficheiro);
    const QString pasta = espaco.pasta(u"Quintaflor.vek"_s);
    d = abrir(ficheiro);
    d->Campo[29]->setText(u("9"));
    QMessageBox* caixa = confirmar(d);
    ASSERT_NE(caixa, nullptr);
    EXPECT_TRUE(caixa->isVisible());
    EXPECT_TRUE(caixa->text().contains(QDir::toNativeSeparators(ficheiro)));
    EXPECT_TRUE(caixa->text().contains(u("é uma pasta"))) << caixa->text().toStdString();
    caixa->close();
    QDir(pasta).removeRecursively();
    EXPECT_EQ(confirmar(d), nullptr);
    EXPECT_TRUE(d.isNull());
    clsIni gravado;
    gravado.Ficheiro(ficheiro);
    EXPECT_EQ(gravado.LerValor(u("SR"), u("Serie")), u("9"));
}
