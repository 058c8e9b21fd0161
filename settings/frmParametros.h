#pragma once

#include <QWidget>

// The settings dialog, opened beside the main window by "Parametrizar".
class frmParametros : public QWidget {
    Q_OBJECT

  public:
    explicit frmParametros(QWidget* parent = nullptr);

    QString FicheiroIni;

    // Loads the settings and shows the dialog without blocking.
    void Mostra();
};
