#include "run/Sincronizacao.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>
#include <algorithm>
#include <memory>

#include "contacts/EnvioDeContactosAlterados.h"
#include "contacts/ImportacaoDeContactos.h"
#include "orders/ImportacaoDeEncomendas.h"
#include "platform/Falha.h"
#include "platform/JanelaDeProgresso.h"
#include "platform/ListagemDeFicheiros.h"
#include "platform/clsBd.h"
#include "run/AvisoDeErros.h"
#include "run/ContextoDaExecucao.h"
#include "settings/Parametros.h"
#include "support/cl_log.h"

namespace {

// A live run keeps its lock file locked at the system level from the instant after creating it,
// so a lock file that can be removed belongs to no live run. Qt alone does not clear everything a
// run killed while taking the lock leaves behind: a lock file still empty (never stale without a
// stale time), or the ".rmlock" of Qt's own clearing, which blocks that for 30 s. An empty lock
// file is only removed once it is a second old, well past that instant.
bool tentarFechadura(QLockFile& fechadura) {
    if (!fechadura.tryLock(0)) {
        if (fechadura.error() != QLockFile::LockFailedError)
            return false;
        if (!fechadura.getLockInfo(nullptr, nullptr, nullptr)) {
            const QDateTime criada = QFileInfo(fechadura.fileName()).lastModified();
            const qint64 espera = 1000 - criada.msecsTo(QDateTime::currentDateTime());
            if (criada.isValid() && espera > 0)
                QThread::msleep(static_cast<unsigned long>(std::min<qint64>(espera, 1000)));
        }
        fechadura.removeStaleLockFile();
        if (!fechadura.tryLock(0))
            return false;
    }
    QLockFile(fechadura.fileName() + QStringLiteral(".rmlock")).removeStaleLockFile();
    return true;
}

// The run's lock lies beside the settings file; where that folder cannot be written, in the
// temporary folder under a name made from the settings file's path.
std::unique_ptr<QLockFile> tomarFechadura(const QString& ficheiroIni, bool* ocupada) {
    *ocupada = false;
    auto fechadura = std::make_unique<QLockFile>(ficheiroIni + QStringLiteral(".lock"));
    fechadura->setStaleLockTime(0);  // a long run is not stale; a dead process's lock is
    if (tentarFechadura(*fechadura))
        return fechadura;
    if (fechadura->error() == QLockFile::LockFailedError) {
        *ocupada = true;
        return nullptr;
    }
    const QByteArray chave =
        QCryptographicHash::hash(QFileInfo(ficheiroIni).absoluteFilePath().toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    fechadura = std::make_unique<QLockFile>(
        QDir::temp().filePath(QStringLiteral("marelo-%1.lock").arg(QString::fromLatin1(chave))));
    fechadura->setStaleLockTime(0);
    if (tentarFechadura(*fechadura))
        return fechadura;
    *ocupada = fechadura->error() == QLockFile::LockFailedError;
    return nullptr;
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

}  // namespace

Sincronizacao::Sincronizacao(JanelaDeProgresso& janela, QString ficheiroIni)
    : FicheiroIni(std::move(ficheiroIni)), janela_(janela) {}

void Sincronizacao::naoComecou(bool ocupada) {
    const QString texto = ocupada
                              ? QStringLiteral(
                                    "Já está em curso uma sincronização com o ficheiro de "
                                    "parâmetros %1; esta não foi feita.")
                                    .arg(FicheiroIni)
                              : QStringLiteral(
                                    "Não foi possível reservar o ficheiro de parâmetros %1 para "
                                    "a sincronização; esta não foi feita.")
                                    .arg(FicheiroIni);
    janela_.mostrarLinha(texto);
    Parametros parametros;
    parametros.FicheiroIni = FicheiroIni;
    QString porque;
    const bool registada = parametros.Ler()
                               ? cl_log::Registar(parametros.Log_Directoria, texto, &porque)
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

void Sincronizacao::executar(bool simulacao) {
    erros_ = 0;
    bool ocupada = false;
    const std::unique_ptr<QLockFile> fechadura = tomarFechadura(FicheiroIni, &ocupada);
    if (!fechadura) {
        naoComecou(ocupada);
        return;
    }

    // 1
    Parametros parametros;
    parametros.FicheiroIni = FicheiroIni;
    const bool lidos = parametros.Ler();
    // 2
    cl_log oLog;
    const bool comLog = lidos && oLog.Abrir(parametros.Log_Directoria);
    // 3
    janela_.limparLista();
    ContextoDaExecucao contexto(janela_, parametros, oLog, simulacao);
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
        ListaDeFicheiros.Listar(parametros.Contactos_Directoria, parametros.Contactos_Ficheiro);
        contexto.Pump();
        ImportacaoDeContactos(contexto, contexto).ImpContactos(ListaDeFicheiros);
    });
    contexto.Pump();
    // 6
    contexto.AddLista(QStringLiteral("Importar Encomendas"));
    oLog.Escrever(QStringLiteral("Importar encomendas"));
    executarPasso(contexto, QStringLiteral("ImportarEncomendas"), [&] {
        ListaDeFicheiros.Listar(parametros.Encomendas_Directoria, parametros.Encomendas_Ficheiro);
        ImportacaoDeEncomendas(parametros, contexto, contexto, contexto.Contabilidade())
            .ImportarEncomendas(ListaDeFicheiros, parametros.Encomendas_Directoria,
                                parametros.Encomendas_saidaDirectoria);
    });
    contexto.Pump();
    if (comLog && !oLog.UltimoErro().isEmpty())
        contexto.AddErro(QStringLiteral("O registo desta sincronização ficou incompleto: %1")
                             .arg(oLog.UltimoErro()));
    const QString resumo = contexto.Resumo().texto(contexto.Erros());
    contexto.Mostrar(resumo);
    if (!simulacao && contexto.Erros() > 0)
        enviarAvisoDeErros(parametros, contexto, contexto.TextosDosErros(), resumo);
    // 7
    contexto.AddLista(QStringLiteral("Sincronização terminada"));
    oLog.Escrever(QStringLiteral("Sincronização terminada"));
    // 8
    oLog.Fechar();
    erros_ = contexto.Erros();
}
