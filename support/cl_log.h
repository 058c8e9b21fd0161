#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>

#include "base/Relogio.h"

// The daily run log: "LOG_" + yyyymmdd + ".txt" in the folder Log_Directoria, appended by every
// run of the day, one "[dd-mm-yyyy][HH:MM:SS] message" line each, UTF-8, CR LF.
class cl_log {
  public:
    // Every line stamped by the run's clock.
    explicit cl_log(const Relogio& relogio = Relogio::sistema()) : relogio_(relogio) {}

    // Opens the day's log in the folder Log_Directoria of the settings and writes "Inicio da
    // sincronização". False when it cannot, with the reason in UltimoErro; then Escrever and
    // Fechar do nothing.
    bool Abrir(const QString& pastaDoLog);
    void Escrever(const QString& Mensagem);
    // Writes "Sincronização terminada" and closes the file.
    void Fechar();
    bool Aberto() const { return ficheiro_.isOpen(); }
    QString Caminho() const { return ficheiro_.fileName(); }

    // Why the log could not be opened, or the first line that could not be written; empty when
    // all went well.
    const QString& UltimoErro() const { return erro_; }

    // Appends one line to the day's log without opening a run (for a run that could not start).
    // False, with the reason in porque, when it cannot.
    static bool Registar(const QString& pastaDoLog, const QString& Mensagem, const Relogio& relogio,
                         QString* porque = nullptr);

    static QString CaminhoDoDia(const QString& pastaDoLog, const QDate& dia);
    static QString Linha(const QDateTime& quando, const QString& mensagem);

  private:
    const Relogio& relogio_;
    QFile ficheiro_;
    QString erro_;
};
