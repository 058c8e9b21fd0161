#pragma once

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "accounting/embutida/ContabilidadeEmbutida.h"
#include "run/Sincronizacao.h"
#include "support/JanelaDeProgresso.h"

class QListWidget;

// The main window: the progress list and the buttons "&Sincronizar", "Parametrizar", "Si&mular"
// (a trial run) and "&Sair".
class frmMarelo : public QWidget, public JanelaDeProgresso {
    Q_OBJECT

  public:
    // linhaDeComando: the whole argument text after the program's name.
    explicit frmMarelo(const QString& linhaDeComando, QWidget* parent = nullptr);
    ~frmMarelo() override;

    // Start-up: centre, work out the settings file, and in automatic mode run once.
    // Returns false when the program is to end at once (after an automatic run).
    bool Form_Load();

    QString FicheiroIni() const { return FicheiroIni_; }
    bool bAutomatico() const { return bAutomatico_; }
    Sincronizacao& motor() { return *motor_; }
    // Exit status of an automatic run: 0 without errors, 1 with.
    int estadoDeSaida() const { return motor_->houveErros() ? 1 : 0; }

    QListWidget* Lista = nullptr;
    QPushButton* btConf = nullptr;
    QPushButton* btCancelar = nullptr;
    QPushButton* btSimular = nullptr;
    QPushButton* btSair = nullptr;

    // JanelaDeProgresso
    void limparLista() override;
    void mostrarLinha(const QString& texto) override;
    void mostrarErro(const QString& texto) override;
    void mostrarMensagem(const QString& texto) override;
    bool mensagensVisiveis() const override;
    void processarEventos() override;

  private:
    // A line of the list, errors in red; the list follows the last line.
    void acrescentar(const QString& texto, bool erro);
    // The list's last line: how many files wait in the inboxes, since when the oldest.
    void dizerOQueEspera();
    void btConf_Click();
    void btCancelar_Click();
    void btSair_Click();

    QString linhaDeComando_;
    // The accounting the runs write to: the built-in one, where the product is not installed.
    ContabilidadeEmbutida::Escolha contabilidade_;
    QString FicheiroIni_;
    bool bAutomatico_ = false;
    std::unique_ptr<Sincronizacao> motor_;
};
