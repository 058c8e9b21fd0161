#include "app/Sincronizacao.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>
#include <algorithm>

#include "contacts/xmlContacto.h"
#include "orders/EncNext.h"
#include "platform/Caminhos.h"
#include "platform/Falha.h"
#include "platform/GravacaoAtomica.h"
#include "platform/JanelaDeProgresso.h"
#include "platform/clsBd.h"
#include "platform/clsIni.h"
#include "settings/Parametros.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

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

}  // namespace

Sincronizacao::Sincronizacao(JanelaDeProgresso& janela, QString ficheiroIni, QObject* parent)
    : QObject(parent), FicheiroIni(std::move(ficheiroIni)), janela_(janela) {}

Sincronizacao::~Sincronizacao() = default;

void Sincronizacao::sincronizar() {
    erros_ = 0;
    bool ocupada = false;
    const std::unique_ptr<QLockFile> fechadura = tomarFechadura(FicheiroIni, &ocupada);
    if (!fechadura) {
        const QString texto =
            ocupada ? QStringLiteral(
                          "Já está em curso uma sincronização com o ficheiro de "
                          "parâmetros %1; esta não foi feita.")
                          .arg(FicheiroIni)
                    : QStringLiteral(
                          "Não foi possível reservar o ficheiro de parâmetros %1 para "
                          "a sincronização; esta não foi feita.")
                          .arg(FicheiroIni);
        janela_.mostrarLinha(texto);
        QString porque;
        if (!cl_log::Registar(FicheiroIni, texto, &porque))
            janela_.mostrarLinha(
                QStringLiteral("Esta mensagem não ficou registada: %1").arg(porque));
        ++erros_;
        return;
    }

    // The run opens the same company databases and reads the same settings for every item; it
    // keeps them open and read until it ends.
    const clsBd::Reserva ligacoes;
    const clsIni::Memoria definicoes;

    // 1
    Parametros parametros;
    parametros.FicheiroIni = FicheiroIni;
    const bool lidos = parametros.Ler();
    // 2
    oLog = std::make_unique<cl_log>();
    const bool comLog = oLog->Abrir(FicheiroIni);
    // 3
    janela_.limparLista();
    // The run goes on all the same; what it cannot do then is reported by each step.
    if (!lidos)
        AddErro(parametros.UltimoErro);
    if (!comLog)
        AddErro(
            QStringLiteral("Esta sincronização não fica registada: %1").arg(oLog->UltimoErro()));
    // 4
    AddLista(QStringLiteral("Enviar contactos alterados"));
    oLog->Escrever(QStringLiteral("Enviar contactos alterados"));
    executarPasso(QStringLiteral("EnviarAltareados"), [this] { EnviarAltareados(); });
    Pump();
    // 5
    AddLista(QStringLiteral("Importar Contactos"));
    oLog->Escrever(QStringLiteral("Importar Contactos"));
    executarPasso(QStringLiteral("ImpContactos"), [&] {
        ListaDeFicheiros.Listar(parametros.Contactos_Directoria, parametros.Contactos_Ficheiro);
        Pump();
        ImpContactos();
    });
    Pump();
    // 6
    AddLista(QStringLiteral("Importar Encomendas"));
    oLog->Escrever(QStringLiteral("Importar encomendas"));
    executarPasso(QStringLiteral("ImportarEncomendas"), [&] {
        ListaDeFicheiros.Listar(parametros.Encomendas_Directoria, parametros.Encomendas_Ficheiro);
        ImportarEncomendas(parametros.Encomendas_Directoria, parametros.Encomendas_saidaDirectoria);
    });
    Pump();
    if (comLog && !oLog->UltimoErro().isEmpty())
        AddErro(QStringLiteral("O registo desta sincronização ficou incompleto: %1")
                    .arg(oLog->UltimoErro()));
    // 7
    AddLista(QStringLiteral("Sincronização terminada"));
    oLog->Escrever(QStringLiteral("Sincronização terminada"));
    // 8
    oLog->Fechar();
    oLog.reset();
}

void Sincronizacao::executarPasso(const QString& funcao, const std::function<void()>& passo) {
    try {
        passo();
    } catch (const Falha& f) {
        AddErro(TextoDoErro(f.numero(), f.descricao(), funcao));
    } catch (const std::exception& e) {
        AddErro(TextoDoErro(Falha::ErroInterno, QString::fromLocal8Bit(e.what()), funcao));
    } catch (...) {
        AddErro(TextoDoErro(Falha::ErroInterno, QStringLiteral("falha desconhecida"), funcao));
    }
}

QString Sincronizacao::TextoDoErro(int numero, const QString& descricao, const QString& funcao,
                                   const QString& dono) {
    return QStringLiteral("Erro ") + QString::number(numero) + kCrLf + QLatin1Char('(') +
           descricao + QLatin1Char(')') + kCrLf + QStringLiteral("Na função ") + funcao +
           QStringLiteral(" do ") + dono;
}

void Sincronizacao::AddLista(const QString& texto) {
    janela_.mostrarLinha(texto);
}

void Sincronizacao::AddErro(const QString& texto) {
    ++erros_;
    AddLista(texto);
    if (oLog)
        oLog->Escrever(texto);
}

void Sincronizacao::MostrarMensagem(const QString& texto) {
    janela_.mostrarMensagem(texto);
    if (oLog)
        oLog->Escrever(texto);
}

void Sincronizacao::Pump() {
    janela_.processarEventos();
}

void Sincronizacao::n_Evolucao(const QString& Descricao) {
    AddLista(Descricao);
}

void Sincronizacao::n_Erros(const QString& Descricao) {
    ++erros_;
    if (oLog)
        oLog->Escrever(Descricao);
}

void Sincronizacao::oNewContacto_Erro(const QString& DescricaoDoErro, const QString& LocalDoErro) {
    Q_UNUSED(LocalDoErro);
    ++erros_;
    MostrarMensagem(DescricaoDoErro);
}

qint64 Sincronizacao::LerUltimoContacto(const QString& Empresa) {
    Parametros p;
    p.FicheiroIni = FicheiroIni;
    return p.UltimoContacto_Get(Empresa);
}

bool Sincronizacao::GravarUltimoContacto(const QString& Empresa, qint64 valor) {
    Parametros p;
    p.FicheiroIni = FicheiroIni;
    // The contact files are not flushed one by one; they reach the disk before the watermark
    // passes them, or a power cut could leave contacts marked as sent that never were.
    if (!p.Ler())
        return false;
    sincronizarDisco(p.Contactos_SaidaDirectoria);
    return p.UltimoContacto_Put(Empresa, valor);
}

void Sincronizacao::ArquivarFicheiro(const QString& pasta, const QString& nome) {
    const QString origem = juntarCaminho(pasta, nome);
    const QString copia = origem + QStringLiteral(".bak");
    if (QFile::exists(copia) && !QFile::remove(copia))
        return;
    // One rename: the file is either still waiting or already a backup, never both.
    QFile::rename(origem, copia);
}

bool Sincronizacao::MoverFicheiro(const QString& origem, const QString& destino) {
    if (QFile::exists(destino) && !QFile::remove(destino))
        return false;
    Pump();
    return QFile::rename(origem, destino);
}

bool Sincronizacao::TamanhoAceitavel(const QString& caminho, const QString& nome) {
    const qint64 tamanho = QFileInfo(caminho).size();
    if (tamanho <= TamanhoMaximoDeFicheiro)
        return true;
    AddErro(QStringLiteral("O ficheiro %1 tem %2 bytes, mais do que os %3 que um ficheiro da loja "
                           "pode ter; não foi lido e fica na pasta de entrada.")
                .arg(nome)
                .arg(tamanho)
                .arg(TamanhoMaximoDeFicheiro));
    return false;
}

QString Sincronizacao::TextoDoCampo(const QVariant& valor) {
    if (valor.isNull())
        return {};
    return valor.toString();
}
