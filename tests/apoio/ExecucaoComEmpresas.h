#pragma once

#include <QLocale>

#include "tests/apoio/Apoio.h"

// A test on a fresh workspace of the two companies, in Portuguese regional settings.
class ExecucaoComEmpresas : public testing::Test {
  public:
    Empresas e;
    const QString& ini = e.ini;
    JanelaDeTeste& janela = e.janela;

  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    bool executar() { return e.executar(); }
    QStringList ficheiros(const char* pasta) const { return e.ficheiros(QString::fromUtf8(pasta)); }
};
