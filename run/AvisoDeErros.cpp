#include "run/AvisoDeErros.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "base/Falha.h"
#include "platform/email/EnvioDeEmail.h"
#include "platform/email/ServidorEmail.h"
#include "settings/Parametros.h"
#include "support/ServicosDaExecucao.h"

DecisaoDoAviso decidirAviso(const RegistoDeAvisos& anterior, const QList<FalhaConhecida>& atuais,
                            const QDateTime& agora) {
    QHash<QString, FalhaConhecida> antes;
    for (const FalhaConhecida& f : anterior.falhas)
        antes.insert(f.chave(), f);
    DecisaoDoAviso d;
    QList<FalhaConhecida> proximas;
    QList<FalhaConhecida> persistentes;
    QSet<QString> chaves;
    for (FalhaConhecida f : atuais) {
        if (chaves.contains(f.chave()))
            continue;
        chaves.insert(f.chave());
        const auto p = antes.constFind(f.chave());
        f.desde = p != antes.cend() && p->desde.isValid() ? p->desde : agora;
        f.avisada = p != antes.cend() && p->avisada && p->razao == f.razao;
        (f.avisada ? persistentes : d.novas) << f;
        proximas << f;
    }
    d.resolvidas = anterior.resolvidas;
    for (const FalhaConhecida& f : anterior.falhas)
        if (f.avisada && !chaves.contains(f.chave()))
            d.resolvidas << f;
    const bool lembrete = !persistentes.isEmpty() && anterior.ultimoLembrete < agora.date();
    d.enviar = !d.novas.isEmpty() || lembrete;
    if (d.enviar && lembrete)
        d.lembradas = persistentes;

    d.seNaoEnviado = anterior;
    d.seNaoEnviado.falhas = proximas;
    d.seNaoEnviado.resolvidas = d.resolvidas;
    d.seEnviado = d.seNaoEnviado;
    for (FalhaConhecida& f : d.seEnviado.falhas)
        f.avisada = true;
    d.seEnviado.resolvidas.clear();
    d.seEnviado.ultimoLembrete = agora.date();
    return d;
}

namespace {

QString desde(const QDateTime& quando) {
    return quando.toString(QStringLiteral("dd-MM-yyyy HH:mm"));
}

QString corpo(const Parametros& parametros, const DecisaoDoAviso& d, const QDateTime& agora,
              int erros, const QString& resumo) {
    QStringList linhas{QStringLiteral("A sincronização de %1 com o ficheiro de parâmetros %2 "
                                      "terminou com %3 erro(s).")
                           .arg(agora.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")),
                                QDir::toNativeSeparators(parametros.FicheiroIni))
                           .arg(erros)};
    if (!d.novas.isEmpty()) {
        linhas << QString() << QStringLiteral("Erros novos:");
        for (FalhaConhecida f : d.novas)
            linhas << QString() << f.razao.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    if (!d.lembradas.isEmpty()) {
        linhas << QString() << QStringLiteral("Erros já avisados, ainda por resolver:");
        for (const FalhaConhecida& f : d.lembradas)
            linhas << QString()
                   << QStringLiteral("Desde %1: %2")
                          .arg(desde(f.desde), QString(f.razao).replace(QStringLiteral("\r\n"),
                                                                        QStringLiteral("\n")));
    }
    if (!d.resolvidas.isEmpty()) {
        linhas << QString() << QStringLiteral("Resolvidos desde o último aviso:");
        for (const FalhaConhecida& f : d.resolvidas)
            linhas << (f.ficheiro.isEmpty() ? QString(f.razao).section(QLatin1Char('\n'), 0, 0)
                                            : QStringLiteral("O ficheiro %1 (com erro desde %2)")
                                                  .arg(f.ficheiro, desde(f.desde)));
    }
    linhas << QString() << resumo;
    return linhas.join(QLatin1Char('\n'));
}

// Sends the notice; true when the server took it for at least one recipient.
bool enviar(const Parametros& parametros, ServicosDaExecucao& servicos, const DecisaoDoAviso& d,
            int erros, const QString& resumo) {
    const QString destino = parametros.email_destino.trimmed();
    ServidorEmail servidor;
    QString porque;
    if (!servidor.Ler(parametros.FicheiroIni, &porque)) {
        if (!destino.isEmpty())
            servicos.Mostrar(
                QStringLiteral("O aviso dos erros por e-mail não foi enviado: %1").arg(porque));
        return false;
    }
    if (destino.isEmpty() || servidor.Servidor.trimmed().isEmpty())
        return false;
    MensagemEmail mensagem;
    mensagem.Origem = parametros.email_Origem;
    mensagem.OrigemNome = parametros.email_OrigemNome;
    mensagem.Destino = destino;
    mensagem.Assunto = parametros.email_Assunto.trimmed().isEmpty()
                           ? QStringLiteral("Erros na sincronização")
                           : parametros.email_Assunto;
    mensagem.Corpo = corpo(parametros, d, servicos.Agora(), erros, resumo);
    try {
        const Entrega entrega = enviarEmail(servidor, mensagem);
        QString texto = QStringLiteral("O aviso dos erros foi enviado por e-mail para %1.")
                            .arg(entrega.aceites.join(QStringLiteral(", ")));
        if (!entrega.recusados.isEmpty())
            texto += QStringLiteral(" O servidor recusou-o para %1.")
                         .arg(entrega.recusados.join(QStringLiteral(", ")));
        servicos.Mostrar(texto);
        return true;
    } catch (const Falha& f) {
        servicos.Mostrar(QStringLiteral("Não foi possível enviar o aviso dos erros por e-mail "
                                        "para %1: %2; será enviado na próxima sincronização.")
                             .arg(destino, f.descricao()));
        return false;
    }
}

}  // namespace

void avisarErros(const Parametros& parametros, ServicosDaExecucao& servicos,
                 const QList<FalhaConhecida>& atuais, const QDateTime& inicio,
                 const QString& resumo) {
    const QString caminho = RegistoDeAvisos::caminho(parametros);
    if (caminho.isEmpty())
        return;  // no log folder: said already, the run is not logged either
    RegistoDeAvisos anterior;
    QString porque;
    if (QFileInfo::exists(caminho)) {
        if (const auto lido = RegistoDeAvisos::ler(caminho, &porque))
            anterior = *lido;
        else
            servicos.Escrever(QStringLiteral("O registo dos avisos não foi lido (%1): nenhum "
                                             "erro conta como já avisado.")
                                  .arg(porque));
    }
    const QDateTime agora = servicos.Agora();
    const DecisaoDoAviso d = decidirAviso(anterior, atuais, agora);
    RegistoDeAvisos seguinte =
        d.enviar && enviar(parametros, servicos, d, int(atuais.size()), resumo) ? d.seEnviado
                                                                                : d.seNaoEnviado;
    seguinte.inicio = inicio;
    seguinte.fim = agora;
    seguinte.resumo = resumo;
    seguinte.erros = int(atuais.size());
    try {
        seguinte.gravar(caminho);
    } catch (const Falha& f) {
        servicos.Mostrar(f.descricao() + QStringLiteral("; os avisos já enviados podem ser "
                                                        "enviados de novo."));
    }
}
