#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include "run/RegistoDeAvisos.h"

class Parametros;
class ServicosDaExecucao;

// What one run's failures make of the notices. A message goes when the run meets a failure not
// notified yet (or one whose reason changed); the failures already notified and still there go,
// at most once a day, into it as a reminder; the notified ones that have gone since are said once,
// in the next message that goes.
struct DecisaoDoAviso {
    bool enviar = false;
    QList<FalhaConhecida> novas;       // not notified yet, or with another reason now
    QList<FalhaConhecida> lembradas;   // notified before and still there: the day's reminder
    QList<FalhaConhecida> resolvidas;  // notified before and gone since
    RegistoDeAvisos seEnviado;         // what is remembered when the message went
    RegistoDeAvisos seNaoEnviado;      // when it did not, or none was to go: tried again
};

DecisaoDoAviso decidirAviso(const RegistoDeAvisos& anterior, const QList<FalhaConhecida>& atuais,
                            const QDateTime& agora);

// The failure notice of a run that ended (inicio: when it began): decides it on the record of the
// runs before, sends it when the settings name a mail server ("Servidor email") and a recipient,
// and keeps the record for the next run and the status check. What came of the sending is shown
// and logged, never counted as an error of the run; a record that cannot be read counts as
// nothing notified yet, with a line in the log.
void avisarErros(const Parametros& parametros, ServicosDaExecucao& servicos,
                 const QList<FalhaConhecida>& atuais, const QDateTime& inicio,
                 const QString& resumo);
