// marelo-sync [--dry-run] SETTINGS-FILE: one synchronization run (or a trial run) without a
// window, for servers and schedulers. Exit status: 0 without errors, 1 when a step reported an
// error, 2 on bad usage.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "accounting/embutida/ContabilidadeEmbutida.h"
#include "run/EstadoDaSincronizacao.h"
#include "run/Sincronizacao.h"
#include "support/JanelaDeProgresso.h"

namespace {

const char kUso[] =
    "uso: marelo-sync [--dry-run] FICHEIRO-DE-PARAMETROS\n"
    "     marelo-sync --status FICHEIRO-DE-PARAMETROS\n"
    "     marelo-sync --help | --version\n";

const char kAjuda[] =
    "\n"
    "Uma sincronização sem janela com o ficheiro de parâmetros indicado: envia os contactos\n"
    "alterados e importa os contactos e as encomendas da web. O progresso vai para a saída\n"
    "padrão. Cada sincronização acrescenta o seu registo ao ficheiro LOG_aaaammdd.txt (um por\n"
    "dia) da pasta indicada em [Log] Directoria no ficheiro de parâmetros. Quando o ficheiro\n"
    "de parâmetros indica um servidor de e-mail e destinatários, avisa por e-mail cada erro\n"
    "uma vez, lembra uma vez por dia os que continuam e diz os que se resolveram, com o\n"
    "resumo da sincronização.\n"
    "\n"
    "  --dry-run  simulação: verifica tudo o que a sincronização faria e diz, ficheiro a\n"
    "             ficheiro, o que faria; não grava nada (bases de dados, ficheiros, marcas e\n"
    "             contabilidade ficam como estavam) e não envia e-mail. O estado de saída\n"
    "             segue a mesma regra: 1 quando um ficheiro seria recusado.\n"
    "  --status   como está a sincronização, para um sistema de monitorização (Nagios,\n"
    "             Icinga, Zabbix): a primeira linha é \"MARELO OK|WARNING|CRITICAL|UNKNOWN - "
    "...\"\n"
    "             com os dados de desempenho (waiting, refused, oldest, errors, last_run); as\n"
    "             outras, os ficheiros à espera nas pastas de entrada (com a idade e, quando\n"
    "             uma sincronização o recusou, a razão), a última sincronização e uma que\n"
    "             esteja a decorrer. Não muda nada. Estado de saída: 0 OK (nada recusado e a\n"
    "             última sincronização recente), 1 WARNING (ficheiros recusados à espera, ou\n"
    "             erros na última sincronização), 2 CRITICAL (nenhuma sincronização terminou\n"
    "             nos últimos [Monitorizacao] Intervalo Maximo minutos, 60 por omissão),\n"
    "             3 UNKNOWN (o ficheiro de parâmetros não se lê).\n"
    "\n"
    "Estado de saída:\n"
    "  0  sincronização sem erros; --help, --version\n"
    "  1  um passo da sincronização registou um erro, ou outra sincronização com o mesmo\n"
    "     ficheiro de parâmetros estava a decorrer\n"
    "  2  uso incorrecto, ou o ficheiro de parâmetros não existe\n";

void escrever(FILE* destino, const QString& texto) {
    std::fputs(texto.toLocal8Bit().constData(), destino);
}

int usoErrado(const QString& motivo) {
    escrever(stderr, QStringLiteral("marelo-sync: %1\n").arg(motivo) + QString::fromUtf8(kUso) +
                         QStringLiteral("Mais informação: marelo-sync --help\n"));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Options are read first, left to right; "--" ends them, for a file whose name starts
    // with "-". What remains names the settings file.
    QStringList ficheiros;
    bool opcoes = true;
    bool simulacao = false;
    bool estado = false;
    for (const QString& a : QCoreApplication::arguments().mid(1)) {
        if (opcoes && a == QLatin1String("--")) {
            opcoes = false;
        } else if (opcoes && a == QLatin1String("--help")) {
            escrever(stdout, QString::fromUtf8(kUso) + QString::fromUtf8(kAjuda));
            return 0;
        } else if (opcoes && a == QLatin1String("--version")) {
            escrever(stdout, QStringLiteral("marelo-sync " MARELO_VERSAO "\n"));
            return 0;
        } else if (opcoes && a == QLatin1String("--dry-run")) {
            simulacao = true;
        } else if (opcoes && a == QLatin1String("--status")) {
            estado = true;
        } else if (opcoes && a.startsWith(QLatin1Char('-'))) {
            return usoErrado(QStringLiteral("opção desconhecida: %1").arg(a));
        } else {
            ficheiros << a;
        }
    }
    if (ficheiros.size() != 1 || ficheiros[0].isEmpty())
        return usoErrado(QStringLiteral("indique um ficheiro de parâmetros"));
    if (estado && simulacao)
        return usoErrado(QStringLiteral("--status e --dry-run não vão juntos"));
    if (estado) {
        const EstadoDaSincronizacao e = estadoDaSincronizacao(
            QFileInfo(ficheiros[0]).absoluteFilePath(), Relogio::sistema().agora());
        escrever(stdout, e.primeiraLinha + QLatin1Char('\n'));
        for (const QString& linha : e.detalhe)
            escrever(stdout, linha + QLatin1Char('\n'));
        return e.codigo;
    }

    // A missing file would run on empty settings and report unrelated errors.
    const QFileInfo ini(ficheiros[0]);
    if (!ini.isFile()) {
        escrever(stderr,
                 QStringLiteral("marelo-sync: %1: %2\n")
                     .arg(ini.exists() ? QStringLiteral("o ficheiro de parâmetros é uma pasta")
                                       : QStringLiteral("ficheiro de parâmetros não encontrado"),
                          QDir::toNativeSeparators(ini.absoluteFilePath())));
        return 2;
    }
    JanelaDeConsola consola;
    const ContabilidadeEmbutida::Escolha contabilidade;
    Sincronizacao motor(consola, ini.absoluteFilePath(), contabilidade, Relogio::sistema());
    if (simulacao)
        motor.simular();
    else
        motor.sincronizar();
    return motor.houveErros() ? 1 : 0;
}
