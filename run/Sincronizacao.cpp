#include "run/Sincronizacao.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

#include "base/Falha.h"
#include "contacts/EnvioDeContactosAlterados.h"
#include "contacts/ImportacaoDeContactos.h"
#include "orders/ImportacaoDeEncomendas.h"
#include "platform/bd/clsBd.h"
#include "platform/ficheiros/Fechaduras.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"
#include "run/AvisoDeErros.h"
#include "run/ContextoDaExecucao.h"
#include "settings/Parametros.h"
#include "support/JanelaDeProgresso.h"
#include "support/cl_log.h"

namespace {

// What a run works on, and how the message names it when another run holds it.
struct Partilhado {
    QString caminho;
    QString nome;
};

// Everything of the settings that two runs must not work on at once: the web folders and the
// folders of the embedded databases and of the built-in accounting. Whatever is not set or does
// not exist is left to the step that needs it to refuse.
QList<Partilhado> partilhados(const Parametros& p) {
    QList<Partilhado> r{
        {p.Pasta(p.Contactos_Directoria), QStringLiteral("a pasta de entrada dos contactos")},
        {p.Pasta(p.Contactos_SaidaDirectoria), QStringLiteral("a pasta de saída dos contactos")},
        {p.Pasta(p.Encomendas_Directoria), QStringLiteral("a pasta de entrada das encomendas")},
        {p.Pasta(p.Encomendas_saidaDirectoria), QStringLiteral("a pasta de saída das encomendas")},
        {p.Pasta(p.Next_PercursoNext), QStringLiteral("a pasta da contabilidade")},
    };
    if (QFileInfo(p.Pasta(p.Sql_Servidor)).isDir())
        r.append({p.Pasta(p.Sql_Servidor), QStringLiteral("a pasta das bases de dados")});
    return r;
}

// A step that fails in a way it does not handle itself is reported, and the run goes on.
template <class Passo>
void executarPasso(ServicosDaExecucao& servicos, const QString& funcao, Passo passo) {
    try {
        passo();
    } catch (const Falha& f) {
        servicos.AddFalha(f, funcao);
    } catch (const std::exception& e) {
        servicos.AddFalha(Falha(Falha::ErroInterno, QString::fromLocal8Bit(e.what())), funcao);
    }
}

// A company database on a server is reserved by the server when it is opened: before anything
// is done. One that cannot be opened is left to the steps to report.
std::optional<QString> reservarNoServidor(ContextoDaExecucao& contexto,
                                          const Parametros& parametros) {
    if (QFileInfo(parametros.Pasta(parametros.Sql_Servidor)).isDir())
        return std::nullopt;
    for (const QString& empresa : {QStringLiteral("SR"), QStringLiteral("QF")}) {
        try {
            contexto.BaseDaEmpresa(empresa);
        } catch (const Falha& f) {
            if (f.numero() == Falha::EmUso)
                return QStringLiteral("Já está em curso uma sincronização: %1; esta não foi feita.")
                    .arg(f.descricao());
        }
    }
    return std::nullopt;
}

}  // namespace

Sincronizacao::Sincronizacao(JanelaDeProgresso& janela, QString ficheiroIni,
                             const EscolhaDaContabilidade& contabilidade, const Relogio& relogio)
    : FicheiroIni(std::move(ficheiroIni)),
      janela_(janela),
      contabilidade_(contabilidade),
      relogio_(relogio) {}

void Sincronizacao::naoComecou(const QString& texto) {
    janela_.mostrarLinha(texto);
    Parametros parametros;
    parametros.FicheiroIni = FicheiroIni;
    QString porque;
    const bool registada = parametros.Ler()
                               ? cl_log::Registar(parametros.Pasta(parametros.Log_Directoria),
                                                  texto, relogio_, &porque)
                               : (porque = parametros.UltimoErro, false);
    if (!registada)
        janela_.mostrarLinha(QStringLiteral("Esta mensagem não ficou registada: %1").arg(porque));
    ++erros_;
}

void Sincronizacao::sincronizar() {
    executar(false);
}

void Sincronizacao::simular() {
    executar(true);
}

std::optional<QString> Sincronizacao::reservar(Fechaduras& fechaduras,
                                               const Parametros& parametros) const {
    QList<Partilhado> tudo{{FicheiroIni, QStringLiteral("o ficheiro de parâmetros")}};
    tudo += partilhados(parametros);
    try {
        for (const Partilhado& p : tudo) {
            QString quem;
            if (!p.caminho.isEmpty() &&
                fechaduras.tomar(p.caminho, &quem) == Fechaduras::Resultado::Ocupada)
                return QStringLiteral(
                           "Já está em curso uma sincronização%1 que usa %2 %3; esta "
                           "não foi feita.")
                    .arg(quem.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(quem), p.nome,
                         QDir::toNativeSeparators(p.caminho));
        }
    } catch (const Falha& f) {
        return QStringLiteral(
                   "Não foi possível reservar o que a sincronização usa (%1); esta "
                   "não foi feita.")
            .arg(f.descricao());
    }
    return std::nullopt;
}

void Sincronizacao::executar(bool simulacao) {
    erros_ = 0;
    // 1
    Parametros parametros;
    parametros.FicheiroIni = FicheiroIni;
    const bool lidos = parametros.Ler();
    // Two runs that share the settings file, a folder or a database never overlap.
    Fechaduras fechaduras;
    if (const std::optional<QString> ocupada = reservar(fechaduras, parametros)) {
        naoComecou(*ocupada);
        return;
    }
    const QDateTime inicio = relogio_.agora();
    cl_log oLog(relogio_);
    ContextoDaExecucao contexto(janela_, parametros, oLog, contabilidade_, relogio_, simulacao);
    if (const std::optional<QString> ocupada = reservarNoServidor(contexto, parametros)) {
        naoComecou(*ocupada);
        return;
    }
    // 2
    const bool comLog = lidos && oLog.Abrir(parametros.Pasta(parametros.Log_Directoria));
    // 3
    janela_.limparLista();
    if (simulacao)
        contexto.Mostrar(
            QStringLiteral("Simulação: a sincronização diz o que faria a cada "
                           "ficheiro e não grava nada."));
    // The run goes on all the same; what it cannot do then is reported by each step.
    if (!lidos)
        contexto.AddErro(parametros.UltimoErro);
    if (!comLog)
        contexto.AddErro(QStringLiteral("Esta sincronização não fica registada: %1")
                             .arg(lidos ? oLog.UltimoErro() : parametros.UltimoErro));
    // 4
    contexto.AddLista(QStringLiteral("Enviar contactos alterados"));
    oLog.Escrever(QStringLiteral("Enviar contactos alterados"));
    executarPasso(contexto, QStringLiteral("EnviarAltareados"), [&] {
        EnvioDeContactosAlterados(parametros, contexto, contexto).EnviarAltareados();
    });
    contexto.Pump();
    // 5
    ListagemDeFicheiros ListaDeFicheiros;
    contexto.AddLista(QStringLiteral("Importar Contactos"));
    oLog.Escrever(QStringLiteral("Importar Contactos"));
    executarPasso(contexto, QStringLiteral("ImpContactos"), [&] {
        // A backup takes the name with ".bak".
        ListaDeFicheiros.Listar(parametros.PastaNecessaria(&Parametros::Contactos_Directoria),
                                parametros.PadraoNecessario(&Parametros::Contactos_Ficheiro), 4);
        contexto.Pump();
        ImportacaoDeContactos(contexto, contexto, contexto.Sobreposta())
            .ImpContactos(ListaDeFicheiros);
    });
    contexto.Pump();
    // 6
    contexto.AddLista(QStringLiteral("Importar Encomendas"));
    oLog.Escrever(QStringLiteral("Importar encomendas"));
    executarPasso(contexto, QStringLiteral("ImportarEncomendas"), [&] {
        const QString saida = parametros.PastaNecessaria(&Parametros::Encomendas_saidaDirectoria);
        ListaDeFicheiros.Listar(parametros.PastaNecessaria(&Parametros::Encomendas_Directoria),
                                parametros.PadraoNecessario(&Parametros::Encomendas_Ficheiro));
        ImportacaoDeEncomendas(parametros, contexto, contexto, contexto.Contabilidade(),
                               contexto.Sobreposta())
            .ImportarEncomendas(ListaDeFicheiros, ListaDeFicheiros.Path(), saida);
    });
    contexto.Pump();
    if (comLog && !oLog.UltimoErro().isEmpty())
        contexto.AddErro(QStringLiteral("O registo desta sincronização ficou incompleto: %1")
                             .arg(oLog.UltimoErro()));
    const QString resumo = contexto.Resumo().texto(contexto.Erros());
    contexto.Mostrar(resumo);
    // The failures are notified once, and the run is remembered for the next one and for the
    // status check; a trial run leaves that record alone.
    if (!simulacao && lidos)
        avisarErros(parametros, contexto, contexto.Falhas(), inicio, resumo);
    // 7
    contexto.AddLista(QStringLiteral("Sincronização terminada"));
    oLog.Escrever(QStringLiteral("Sincronização terminada"));
    // 8
    oLog.Fechar();
    erros_ = contexto.Erros();
}
