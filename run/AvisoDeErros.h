#pragma once

#include <QString>
#include <QStringList>

class Parametros;
class ServicosDaExecucao;

// The e-mail that tells whoever looks after an unattended run that it went wrong: every error
// of the run as the log has it, and the run's summary, sent when the settings name a mail server
// ("Servidor email") and a recipient. Without them nothing is sent and nothing is said. What came
// of the sending is shown and logged, never counted as an error of the run: a mail server that
// cannot be reached must not change what the run did or its exit status.
void enviarAvisoDeErros(const Parametros& parametros, ServicosDaExecucao& servicos,
                        const QStringList& erros, const QString& resumo);
