#include "run/AvisoDeErros.h"

#include <QDateTime>
#include <QDir>

#include "base/Falha.h"
#include "platform/email/EnvioDeEmail.h"
#include "platform/email/ServidorEmail.h"
#include "settings/Parametros.h"
#include "support/ServicosDaExecucao.h"

void enviarAvisoDeErros(const Parametros& parametros, ServicosDaExecucao& servicos,
                        const QStringList& erros, const QString& resumo) {
    const QString destino = parametros.email_destino.trimmed();
    ServidorEmail servidor;
    QString porque;
    if (!servidor.Ler(parametros.FicheiroIni, &porque)) {
        if (!destino.isEmpty())
            servicos.Mostrar(
                QStringLiteral("O aviso dos erros por e-mail não foi enviado: %1").arg(porque));
        return;
    }
    if (destino.isEmpty() || servidor.Servidor.trimmed().isEmpty())
        return;

    MensagemEmail mensagem;
    mensagem.Origem = parametros.email_Origem;
    mensagem.OrigemNome = parametros.email_OrigemNome;
    mensagem.Destino = destino;
    mensagem.Assunto = parametros.email_Assunto.trimmed().isEmpty()
                           ? QStringLiteral("Erros na sincronização")
                           : parametros.email_Assunto;
    QStringList corpo{
        QStringLiteral("A sincronização de %1 com o ficheiro de parâmetros %2 terminou com %3 "
                       "erro(s):")
            .arg(servicos.Agora().toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")),
                 QDir::toNativeSeparators(parametros.FicheiroIni), QString::number(erros.size()))};
    for (QString erro : erros)
        corpo << QString() << erro.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    corpo << QString() << resumo;
    mensagem.Corpo = corpo.join(QLatin1Char('\n'));
    try {
        enviarEmail(servidor, mensagem);
        servicos.Mostrar(
            QStringLiteral("O aviso dos erros foi enviado por e-mail para %1.").arg(destino));
    } catch (const Falha& f) {
        servicos.Mostrar(QStringLiteral("Não foi possível enviar o aviso dos erros por e-mail "
                                        "para %1: %2")
                             .arg(destino, f.descricao()));
    }
}
