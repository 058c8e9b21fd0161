#pragma once

#include <QWidget>
#include <array>
#include <memory>

#include "settings/Parametros.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

// The settings dialog, opened beside the main window by "Parametrizar": one tab per group of
// settings, one field per setting. Several can be open at once; each deletes itself on close.
class frmParametros : public QWidget {
    Q_OBJECT

  public:
    explicit frmParametros(QWidget* parent = nullptr);
    ~frmParametros() override;

    // Set by the opener before Mostra.
    QString FicheiroIni;
    std::unique_ptr<Parametros> oParametros;

    QTabBar* TabStrip = nullptr;
    std::array<QFrame*, 8> Frame{};
    std::array<QLineEdit*, 34> Campo{};
    std::array<QLabel*, 34> Titulo{};
    QPushButton* btConf = nullptr;
    QPushButton* btSair = nullptr;
    QPushButton* btConfEmail = nullptr;

    // Loads the settings and shows the dialog without blocking.
    void Mostra();
    void limpaForm();
    void Carrega();
    // Copies the fields into the settings and writes the file; the result of that write.
    bool Grava();

  protected:
    void resizeEvent(QResizeEvent* evento) override;

  private:
    void btConf_Click();
    void btSair_Click();
    void btConfEmail_Click();
    void TabStrip_Click(int indice);
    void Form_Resize();
};
