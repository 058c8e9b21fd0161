#include "run/EstadoDaSincronizacao.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "base/Falha.h"
#include "platform/ficheiros/Fechaduras.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"
#include "run/RegistoDeAvisos.h"
#include "settings/Parametros.h"

namespace {

using Codigo = EstadoDaSincronizacao::Codigo;

QString nomeDoCodigo(Codigo c) {
    switch (c) {
        case Codigo::Ok:
            return QStringLiteral("OK");
        case Codigo::Aviso:
            return QStringLiteral("WARNING");
        case Codigo::Critico:
            return QStringLiteral("CRITICAL");
        case Codigo::Desconhecido:
            break;
    }
    return QStringLiteral("UNKNOWN");
}

QString ha(qint64 segundos) {
    if (segundos < 120)
        return QStringLiteral("há %1 s").arg(segundos);
    if (segundos < 2 * qint64(3600))
        return QStringLiteral("há %1 min").arg(segundos / 60);
    if (segundos < 2 * qint64(86400))
        return QStringLiteral("há %1 h").arg(segundos / 3600);
    return QStringLiteral("há %1 dias").arg(segundos / 86400);
}

QString quando(const QDateTime& d) {
    return d.toString(QStringLiteral("dd-MM-yyyy HH:mm"));
}

struct Espera {
    QString passo;  // "contactos", "encomendas"
    QString nome;
    QDateTime desde;
    QString razao;  // why a run refused it; empty when none did
};

// The files waiting in one inbox; a folder that cannot be listed is said in detalhe.
void listar(const Parametros& p, QString Parametros::*pasta, QString Parametros::*padrao,
            const QString& passo, QList<Espera>& esperas, QStringList& detalhe) {
    ListagemDeFicheiros lista;
    try {
        lista.Listar(p.PastaNecessaria(pasta), p.PadraoNecessario(padrao));
    } catch (const Falha& f) {
        detalhe << f.descricao();
        return;
    }
    QStringList nomes;
    for (int i = 0; i < lista.ListCount(); ++i)
        nomes << lista.List(i);
    for (const ListagemDeFicheiros::Recusada& r : lista.Recusadas())
        nomes << r.nome;
    for (const QString& nome : nomes) {
        const QFileInfo f(QDir(lista.Path()).filePath(nome));
        esperas.append({passo, nome, f.lastModified(), {}});
    }
}

// The limit after which no run having ended is critical, in minutes; 0 with the reason in
// porque when the setting does not read.
int intervaloMaximo(const Parametros& p, QString& porque) {
    const QString texto =
        p.LerValor(QStringLiteral("Monitorizacao"), QStringLiteral("Intervalo Maximo")).trimmed();
    if (texto.isEmpty())
        return kIntervaloMaximoPorOmissao;
    bool ok = false;
    const int minutos = texto.toInt(&ok);
    if (ok && minutos > 0)
        return minutos;
    porque = QStringLiteral(
                 "[Monitorizacao] Intervalo Maximo (\"%1\") do ficheiro de parâmetros %2 não é um "
                 "número de minutos")
                 .arg(texto, QDir::toNativeSeparators(p.FicheiroIni));
    return 0;
}

// The files waiting in the inboxes, each with the reason the last runs refused it for, if they
// did; a line for each in detalhe.
struct Esperas {
    qsizetype total = 0;
    int recusados = 0;
    QDateTime maisAntigo;
    QString linha;  // what the window says of them
};
Esperas esperasDasPastas(const Parametros& p, const std::optional<RegistoDeAvisos>& registo,
                         QStringList& detalhe) {
    QList<Espera> esperas;
    listar(p, &Parametros::Contactos_Directoria, &Parametros::Contactos_Ficheiro,
           QStringLiteral("contactos"), esperas, detalhe);
    listar(p, &Parametros::Encomendas_Directoria, &Parametros::Encomendas_Ficheiro,
           QStringLiteral("encomendas"), esperas, detalhe);
    Esperas r;
    r.total = esperas.size();
    for (Espera& w : esperas) {
        if (registo)
            for (const FalhaConhecida& f : registo->falhas)
                if (f.passo == w.passo && f.ficheiro == w.nome) {
                    w.razao = f.razao;
                    w.desde = std::min(w.desde, f.desde);
                }
        r.recusados += w.razao.isEmpty() ? 0 : 1;
        if (!r.maisAntigo.isValid() || w.desde < r.maisAntigo)
            r.maisAntigo = w.desde;
        detalhe << QStringLiteral("%1 (%2) à espera desde %3%4")
                       .arg(w.nome, w.passo, quando(w.desde),
                            w.razao.isEmpty() ? QString()
                                              : QStringLiteral(": ") +
                                                    QString(w.razao).replace(QStringLiteral("\r\n"),
                                                                             QStringLiteral(" ")));
    }
    r.linha = r.total == 0 ? QStringLiteral("Não há ficheiros à espera nas pastas de entrada.")
                           : QStringLiteral(
                                 "Ficheiros à espera nas pastas de entrada: %1, o mais "
                                 "antigo desde %2.")
                                 .arg(r.total)
                                 .arg(quando(r.maisAntigo));
    return r;
}

}  // namespace

EstadoDaSincronizacao estadoDaSincronizacao(const QString& ficheiroIni, const QDateTime& agora) {
    EstadoDaSincronizacao e;
    const auto desconhecido = [&](const QString& porque) {
        e.codigo = Codigo::Desconhecido;
        e.primeiraLinha = QStringLiteral("MARELO UNKNOWN - ") + porque;
        e.espera = porque;
        return e;
    };
    Parametros p;
    p.FicheiroIni = ficheiroIni;
    if (!QFileInfo(ficheiroIni).isFile())
        return desconhecido(QStringLiteral("o ficheiro de parâmetros %1 não existe")
                                .arg(QDir::toNativeSeparators(ficheiroIni)));
    if (!p.Ler())
        return desconhecido(QStringLiteral("o ficheiro de parâmetros %1 não se lê: %2")
                                .arg(QDir::toNativeSeparators(ficheiroIni), p.UltimoErro));
    QString porque;
    const int minutos = intervaloMaximo(p, porque);
    if (minutos == 0)
        return desconhecido(porque);

    // The last run, and the reasons of the files it left.
    std::optional<RegistoDeAvisos> registo;
    porque = QStringLiteral("nenhuma sincronização deste ficheiro de parâmetros terminou");
    if (const QString caminho = RegistoDeAvisos::caminho(p);
        !caminho.isEmpty() && QFileInfo::exists(caminho))
        registo = RegistoDeAvisos::ler(caminho, &porque);
    const Esperas esperas = esperasDasPastas(p, registo, e.detalhe);
    const int recusados = esperas.recusados;
    e.espera = esperas.linha;
    if (QString quem; Fechaduras::ocupada(ficheiroIni, &quem))
        e.detalhe << QStringLiteral("Uma sincronização está a decorrer (%1).").arg(quem);

    const qint64 idadeDoMaisAntigo =
        esperas.maisAntigo.isValid() ? esperas.maisAntigo.secsTo(agora) : 0;
    QString texto;
    qint64 idadeDaUltima = -1;
    if (!registo || !registo->fim.isValid()) {
        e.codigo = Codigo::Critico;
        texto = porque;
    } else {
        idadeDaUltima = registo->fim.secsTo(agora);
        e.detalhe << QStringLiteral("Última sincronização: de %1 a %2. %3")
                         .arg(quando(registo->inicio), quando(registo->fim), registo->resumo);
        const QString ultima =
            QStringLiteral("última sincronização %1, %2")
                .arg(ha(idadeDaUltima), registo->erros == 0
                                            ? QStringLiteral("sem erros")
                                            : QStringLiteral("com %1 erro(s)").arg(registo->erros));
        if (idadeDaUltima > qint64(minutos) * 60) {
            e.codigo = Codigo::Critico;
            texto = QStringLiteral("nenhuma sincronização terminou nos últimos %1 min; %2")
                        .arg(minutos)
                        .arg(ultima);
        } else if (recusados > 0 || registo->erros > 0) {
            e.codigo = Codigo::Aviso;
            texto = QStringLiteral("%1 ficheiro(s) recusado(s) à espera; %2")
                        .arg(recusados)
                        .arg(ultima);
        } else {
            e.codigo = Codigo::Ok;
            texto = QStringLiteral("%1; %2 ficheiro(s) à espera, nenhum recusado")
                        .arg(ultima)
                        .arg(esperas.total);
        }
    }
    e.primeiraLinha = QStringLiteral(
                          "MARELO %1 - %2 | waiting=%3;;;0 refused=%4;;;0 oldest=%5s;;;0 "
                          "errors=%6;;;0%7")
                          .arg(nomeDoCodigo(e.codigo), texto)
                          .arg(esperas.total)
                          .arg(recusados)
                          .arg(idadeDoMaisAntigo)
                          .arg(registo ? registo->erros : 0)
                          .arg(idadeDaUltima < 0 ? QString()
                                                 : QStringLiteral(" last_run=%1s;%2;%2;0")
                                                       .arg(idadeDaUltima)
                                                       .arg(qint64(minutos) * 60));
    return e;
}
