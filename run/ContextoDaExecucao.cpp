#include "run/ContextoDaExecucao.h"

#include "base/Falha.h"
#include "platform/bd/LigacoesGuardadas.h"
#include "platform/bd/Recordset.h"
#include "platform/bd/clsBd.h"
#include "settings/Parametros.h"
#include "support/JanelaDeProgresso.h"
#include "support/cl_log.h"

ContextoDaExecucao::ContextoDaExecucao(JanelaDeProgresso& janela, const Parametros& parametros,
                                       cl_log& log, const EscolhaDaContabilidade& contabilidade,
                                       const Relogio& relogio, bool simulacao)
    : janela_(janela),
      parametros_(parametros),
      log_(log),
      relogio_(relogio),
      ligacoes_(std::make_shared<LigacoesGuardadas>(simulacao)),
      contabilidade_(contabilidade.fabrica(ligacoes_, relogio)),
      simulacao_(simulacao) {}

ContextoDaExecucao::~ContextoDaExecucao() = default;

void ContextoDaExecucao::AddLista(const QString& texto) {
    janela_.mostrarLinha(texto);
}

void ContextoDaExecucao::Escrever(const QString& texto) {
    log_.Escrever(texto);
}

void ContextoDaExecucao::Resultado(const QString& passo, const ResultadoDoFicheiro& resultado) {
    resumo_.contar(passo, resultado);
    if (resultado.erro())
        falhas_.append({passo, resultado.ficheiro, resultado.texto, {}, false});
    if (resultado.texto.isEmpty())
        return;
    Escrever(resultado.texto);
    if (resultado.erro())
        erros_ << resultado.texto;
    if (resultado.caixa)
        janela_.mostrarMensagem(resultado.texto);
    else if (resultado.erro())
        janela_.mostrarErro(resultado.texto);
    else
        janela_.mostrarLinha(resultado.texto);
}

void ContextoDaExecucao::AddErro(const QString& texto) {
    erros_ << texto;
    errosDaExecucao_ << texto;
    janela_.mostrarErro(texto);
    Escrever(texto);
}

QList<FalhaConhecida> ContextoDaExecucao::Falhas() const {
    QList<FalhaConhecida> falhas = falhas_;
    for (const QString& texto : errosDaExecucao_)
        falhas.append({QStringLiteral("execucao"), {}, texto, {}, false});
    return falhas;
}

void ContextoDaExecucao::MostrarMensagem(const QString& texto) {
    janela_.mostrarMensagem(texto);
    Escrever(texto);
}

void ContextoDaExecucao::Pump() {
    janela_.processarEventos();
}

clsBd& ContextoDaExecucao::BaseDaEmpresa(const QString& empresa) {
    std::shared_ptr<clsBd>& bd = bases_[empresa];
    if (bd && bd->Ligado())
        return *bd;
    bd = std::make_shared<clsBd>();
    if (!bd->Ligar(parametros_.StringLigacao(empresa), ligacoes_.get())) {
        const QString porque = bd->UltimoErro();
        bd.reset();
        throw Falha(
            Falha::ErroDeBaseDeDados,
            QStringLiteral("Não foi possível abrir a base de dados %1 da empresa %2: %3")
                .arg(parametros_.LerValor(empresa, QStringLiteral("NomeSQL")), empresa, porque));
    }
    // A server database is not a folder this machine can lock: the server holds the lock for
    // the run's session, and drops it with the session, however the run ends.
    if (bd->dialecto() == clsBd::Dialecto::SqlServer) {
        Recordset rs;
        bd->AbrirConsulta(QStringLiteral("DECLARE @r int; EXEC @r = sp_getapplock @Resource = ?, "
                                         "@LockMode = 'Exclusive', @LockOwner = 'Session', "
                                         "@LockTimeout = 0; SELECT @r"),
                          rs, {QStringLiteral("marelo")});
        if (rs.eof() || rs.value(0).toInt() < 0) {
            bd.reset();
            throw Falha(
                Falha::EmUso,
                QStringLiteral("A base de dados %1 da empresa %2 está a ser usada por "
                               "outra sincronização")
                    .arg(parametros_.LerValor(empresa, QStringLiteral("NomeSQL")), empresa));
        }
    }
    return *bd;
}
