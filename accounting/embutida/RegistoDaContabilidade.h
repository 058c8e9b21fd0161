#pragma once

#include <QDate>
#include <QFile>
#include <QString>

#include "base/Relogio.h"

// The accounting system's own daily log: "Next_" + yyyymmdd + ".log" in the log path, kept open
// while the company is opened and closed for every order. No log path: nothing is written (a
// trial run's).
class RegistoDaContabilidade {
  public:
    explicit RegistoDaContabilidade(const Relogio& relogio) : relogio_(relogio) {}

    void Pasta(const QString& pasta);
    // Raises Falha, naming the log, when the line cannot be written.
    void Escrever(const QString& mensagem);

  private:
    const Relogio& relogio_;
    QString pasta_;
    QFile ficheiro_;
    QDate dia_;
};
