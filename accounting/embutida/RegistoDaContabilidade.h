#pragma once

#include <QDate>
#include <QFile>
#include <QString>

// The accounting system's own daily log: "Next_" + yyyymmdd + ".log" in the log path, kept open
// while the company is opened and closed for every order.
class RegistoDaContabilidade {
  public:
    void Pasta(const QString& pasta);
    void Escrever(const QString& mensagem);

  private:
    QString pasta_;
    QFile ficheiro_;
    QDate dia_;
};
