#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// How the synchronization of one settings file stands, as a monitoring system asks it
// ("marelo-sync --status") and the window shows it: read from the settings, the record the runs
// keep beside their log, the inboxes and the run's lock; nothing is changed.
struct EstadoDaSincronizacao {
    // The monitoring-plugins convention's statuses, which are the exit statuses of the check.
    enum Codigo { Ok = 0, Aviso = 1, Critico = 2, Desconhecido = 3 };
    Codigo codigo = Desconhecido;
    // "MARELO OK - ... | waiting=0;;;0 ...": the first line, with its performance data.
    QString primeiraLinha;
    // Every file waiting in an inbox, with its age and the reason a run refused it; the last run;
    // a run going on now.
    QStringList detalhe;
    // One line for the window: how many files wait in the inboxes, and since when the oldest.
    QString espera;
};

// A run that ends later than this after the last one makes the check critical, unless the
// settings say otherwise ([Monitorizacao] "Intervalo Maximo", in minutes).
inline constexpr int kIntervaloMaximoPorOmissao = 60;

EstadoDaSincronizacao estadoDaSincronizacao(const QString& ficheiroIni, const QDateTime& agora);
