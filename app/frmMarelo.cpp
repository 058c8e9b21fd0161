#include "app/frmMarelo.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>

#include "app/Arranque.h"
#include "platform/ficheiros/clsSistema.h"
#include "run/EstadoDaSincronizacao.h"
#include "settings/frmParametros.h"

namespace {

// The window was drawn in twips: 15 make a pixel at 96 dots per inch.
constexpr int px(int twips) {
    return twips / 15;
}

}  // namespace

frmMarelo::frmMarelo(const QString& linhaDeComando, QWidget* parent)
    : QWidget(parent), linhaDeComando_(linhaDeComando) {
    setWindowTitle(QStringLiteral("Marelo"));
    setFixedSize(px(9135), px(2745));

    Lista = new QListWidget(this);
    Lista->setGeometry(px(120), px(120), px(8880), px(1980));
    Lista->setWordWrap(true);

    btConf = new QPushButton(QStringLiteral("&Sincronizar"), this);
    btConf->setGeometry(px(60), px(2220), px(1200), px(435));
    btCancelar = new QPushButton(QStringLiteral("Parametrizar"), this);
    btCancelar->setGeometry(px(1350), px(2220), px(1200), px(435));
    btSimular = new QPushButton(QStringLiteral("Si&mular"), this);
    btSimular->setToolTip(QStringLiteral("Diz o que a sincronização faria, sem gravar nada"));
    btSimular->setGeometry(px(2640), px(2220), px(1200), px(435));
    btSair = new QPushButton(QStringLiteral("&Sair"), this);
    btSair->setGeometry(px(7800), px(2220), px(1200), px(435));

    connect(btConf, &QPushButton::clicked, this, &frmMarelo::btConf_Click);
    connect(btCancelar, &QPushButton::clicked, this, &frmMarelo::btCancelar_Click);
    connect(btSimular, &QPushButton::clicked, this, [this] {
        setEnabled(false);
        motor_->simular();
        dizerOQueEspera();
        setEnabled(true);
    });
    connect(btSair, &QPushButton::clicked, this, &frmMarelo::btSair_Click);
}

frmMarelo::~frmMarelo() = default;

bool frmMarelo::Form_Load() {
    if (const QScreen* ecra = QGuiApplication::primaryScreen()) {
        const QRect area = ecra->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    const Arranque a =
        Arrancar(linhaDeComando_, QCoreApplication::applicationDirPath(), clsSistema::PastaComum());
    FicheiroIni_ = a.FicheiroIni;
    bAutomatico_ = a.bAutomatico;
    motor_ =
        std::make_unique<Sincronizacao>(*this, FicheiroIni_, contabilidade_, Relogio::sistema());
    if (bAutomatico_) {
        btConf_Click();
        return false;
    }
    dizerOQueEspera();
    return true;
}

void frmMarelo::dizerOQueEspera() {
    acrescentar(estadoDaSincronizacao(FicheiroIni_, Relogio::sistema().agora()).espera, false);
}

void frmMarelo::btConf_Click() {
    setEnabled(false);
    motor_->sincronizar();
    setEnabled(true);
    if (bAutomatico_) {
        QCoreApplication::exit(estadoDeSaida());
        return;
    }
    dizerOQueEspera();
}

void frmMarelo::btCancelar_Click() {
    auto* dialogo = new frmParametros();
    dialogo->FicheiroIni = FicheiroIni_;
    dialogo->Mostra();
}

void frmMarelo::btSair_Click() {
    close();
    QCoreApplication::exit(0);
}

void frmMarelo::limparLista() {
    Lista->clear();
}

void frmMarelo::mostrarLinha(const QString& texto) {
    acrescentar(texto, false);
}

void frmMarelo::mostrarErro(const QString& texto) {
    acrescentar(texto, true);
}

void frmMarelo::acrescentar(const QString& texto, bool erro) {
    QString linha = texto;
    linha.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* item = new QListWidgetItem(linha, Lista);
    if (erro)
        item->setForeground(Qt::red);
    Lista->setCurrentItem(item);
    if (!isVisible()) {
        // An automatic run never shows the window; its lines still reach standard output.
        const QByteArray bytes = linha.toLocal8Bit();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
}

bool frmMarelo::mensagensVisiveis() const {
    // An unattended run has nobody to close a box: it would wait for ever, holding the run's
    // locks, and every later run would only find it still going.
    if (bAutomatico_)
        return false;
    const QString plataforma = QGuiApplication::platformName();
    return plataforma != QLatin1String("offscreen") && plataforma != QLatin1String("minimal");
}

void frmMarelo::mostrarMensagem(const QString& texto) {
    if (bAutomatico_) {
        acrescentar(texto, true);
        return;
    }
    if (!mensagensVisiveis()) {
        JanelaDeConsola().mostrarMensagem(texto);
        return;
    }
    QMessageBox caixa(QMessageBox::NoIcon, windowTitle(), texto, QMessageBox::Ok, this);
    caixa.exec();
}

void frmMarelo::processarEventos() {
    QCoreApplication::processEvents();
}
