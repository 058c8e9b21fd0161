#include "platform/widgets/clsEmail.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/email/ServidorEmail.h"

namespace {

const QStringList kSegurancas = {QStringLiteral("Nenhuma"), QStringLiteral("SSL/TLS"),
                                 QStringLiteral("STARTTLS")};

class DialogoServidorEmail : public QDialog {
  public:
    DialogoServidorEmail(const QString& ficheiro, QWidget* pai)
        : QDialog(pai), ficheiro_(ficheiro) {
        setWindowTitle(QStringLiteral("Configuração do servidor de email"));

        servidor_ = campo(QStringLiteral("Servidor"));
        porta_ = campo(QStringLiteral("Porta"));
        porta_->setValidator(new QIntValidator(1, 65535, porta_));
        seguranca_ = new QComboBox(this);
        seguranca_->setObjectName(QStringLiteral("Seguranca"));
        seguranca_->addItems(kSegurancas);
        utilizador_ = campo(QStringLiteral("Utilizador"));
        password_ = campo(QStringLiteral("Password"));
        password_->setEchoMode(QLineEdit::Password);

        auto* formulario = new QFormLayout;
        formulario->addRow(QStringLiteral("Servidor SMTP"), servidor_);
        formulario->addRow(QStringLiteral("Porta"), porta_);
        formulario->addRow(QStringLiteral("Segurança"), seguranca_);
        formulario->addRow(QStringLiteral("Utilizador"), utilizador_);
        formulario->addRow(QStringLiteral("Password"), password_);

        auto* btConf = new QPushButton(QStringLiteral("&Confirmar"), this);
        btConf->setObjectName(QStringLiteral("btConf"));
        btConf->setDefault(true);
        auto* btSair = new QPushButton(QStringLiteral("&Sair"), this);
        btSair->setObjectName(QStringLiteral("btSair"));
        auto* botoes = new QHBoxLayout;
        botoes->addWidget(btConf);
        botoes->addStretch();
        botoes->addWidget(btSair);

        auto* tudo = new QVBoxLayout(this);
        tudo->addLayout(formulario);
        tudo->addLayout(botoes);
        setMinimumWidth(360);

        connect(btConf, &QPushButton::clicked, this, &DialogoServidorEmail::confirmar);
        connect(btSair, &QPushButton::clicked, this, &QDialog::reject);

        ServidorEmail valores;
        lido_ = valores.Ler(ficheiro_, &porque_);
        servidor_->setText(valores.Servidor);
        porta_->setText(valores.Porta);
        // A value this dialog does not offer is kept, not replaced.
        if (!valores.Seguranca.isEmpty() && seguranca_->findText(valores.Seguranca) < 0)
            seguranca_->addItem(valores.Seguranca);
        if (!valores.Seguranca.isEmpty())
            seguranca_->setCurrentText(valores.Seguranca);
        utilizador_->setText(valores.Utilizador);
        password_->setText(valores.Password);
    }

    // False when the settings file could not be read: there is nothing to edit then.
    bool lido() const { return lido_; }
    const QString& porque() const { return porque_; }

  private:
    QLineEdit* campo(const QString& nome) {
        auto* c = new QLineEdit(this);
        c->setObjectName(nome);
        return c;
    }

    void confirmar() {
        ServidorEmail valores;
        valores.Servidor = servidor_->text();
        valores.Porta = porta_->text().trimmed();
        valores.Seguranca = seguranca_->currentText();
        valores.Utilizador = utilizador_->text();
        valores.Password = password_->text();
        if (valores.Gravar(ficheiro_)) {
            accept();
            return;
        }
        auto* caixa = new QMessageBox(
            QMessageBox::Warning, windowTitle(),
            QStringLiteral("Não foi possível gravar a configuração do servidor de email em %1.")
                    .arg(QDir::toNativeSeparators(ficheiro_)) +
                QStringLiteral("\n\n") +
                motivoDeNaoGravar(ficheiro_, {valores.Servidor, valores.Porta, valores.Seguranca,
                                              valores.Utilizador, valores.Password}),
            QMessageBox::Ok, this);
        caixa->setAttribute(Qt::WA_DeleteOnClose);
        caixa->open();
    }

    QString ficheiro_;
    bool lido_ = false;
    QString porque_;
    QLineEdit* servidor_ = nullptr;
    QLineEdit* porta_ = nullptr;
    QComboBox* seguranca_ = nullptr;
    QLineEdit* utilizador_ = nullptr;
    QLineEdit* password_ = nullptr;
};

}  // namespace

bool clsEmail::Configurar() {
    DialogoServidorEmail dialogo(ficheiro_, QApplication::activeWindow());
    if (!dialogo.lido()) {
        QMessageBox::warning(QApplication::activeWindow(), dialogo.windowTitle(),
                             QStringLiteral("Não foi possível ler a configuração do servidor de "
                                            "email de %1.\n\n%2")
                                 .arg(QDir::toNativeSeparators(ficheiro_), dialogo.porque()));
        return false;
    }
    return dialogo.exec() == QDialog::Accepted;
}
