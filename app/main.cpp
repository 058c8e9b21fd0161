// marelo: the desktop program. No argument: the window waits for the user. "/S": one
// unattended run, then the program ends. "--help", "--version": says so and ends, with or
// without a display. Anything else names the settings file.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "accounting/embutida/ContabilidadeEmbutida.h"
#include "app/Arranque.h"
#include "app/frmMarelo.h"
#include "platform/ficheiros/clsSistema.h"
#include "run/Sincronizacao.h"
#include "support/JanelaDeProgresso.h"

namespace {

bool haEcra() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

const char kAjuda[] =
    "uso: marelo                a janela, com o ficheiro de parâmetros por omissão\n"
    "     marelo /S             uma sincronização sem janela com esse ficheiro; depois termina\n"
    "     marelo FICHEIRO       a janela, com o ficheiro de parâmetros FICHEIRO (relativo à\n"
    "                           pasta do programa, ou um caminho absoluto)\n"
    "     marelo --help | --version\n"
    "\n"
    "Ficheiro de parâmetros por omissão: %1\n"
    "Cada sincronização acrescenta o seu registo ao ficheiro LOG_aaaammdd.txt (um por dia) da\n"
    "pasta indicada em [Log] Directoria no ficheiro de parâmetros. Sem ecrã, só /S é possível;\n"
    "para servidores e agendamentos há também marelo-sync.\n"
    "\n"
    "Estado de saída:\n"
    "  0  a janela foi fechada; uma sincronização com /S sem erros; --help, --version\n"
    "  1  uma sincronização com /S em que um passo registou um erro, ou que encontrou outra a\n"
    "     decorrer com o mesmo ficheiro de parâmetros\n"
    "  2  sem ecrã e sem /S\n";

// "--help" and "--version" need no window: a core application is enough.
int responderAOpcao(int argc, char** argv, const QString& opcao) {
    QCoreApplication app(argc, argv);
    QString texto = QStringLiteral("marelo " MARELO_VERSAO "\n");
    if (opcao == QLatin1String("--help"))
        texto = QString::fromUtf8(kAjuda).arg(QDir::toNativeSeparators(
            Arrancar({}, QCoreApplication::applicationDirPath(), clsSistema::PastaComum())
                .FicheiroIni));
    std::fputs(texto.toLocal8Bit().constData(), stdout);
    return 0;
}

QStringList argumentos(int argc, char** argv) {
    QStringList lista;
    for (int i = 0; i < argc; ++i)
        lista << QString::fromLocal8Bit(argv[i]);
    return lista;
}

}  // namespace

int main(int argc, char** argv) {
    const QString linha = linhaDeComando(argumentos(argc, argv));
    if (linha == QLatin1String("--help") || linha == QLatin1String("--version"))
        return responderAOpcao(argc, argv, linha);
    if (!haEcra()) {
        QCoreApplication app(argc, argv);
        const Arranque a =
            Arrancar(linha, QCoreApplication::applicationDirPath(), clsSistema::PastaComum());
        if (!a.bAutomatico) {
            std::fputs(
                "marelo: não há ecrã para mostrar a janela; use /S para uma sincronização "
                "sem janela, ou marelo-sync.\n",
                stderr);
            return 2;
        }
        JanelaDeConsola consola;
        const ContabilidadeEmbutida::Escolha contabilidade;
        Sincronizacao motor(consola, a.FicheiroIni, contabilidade, Relogio::sistema());
        motor.sincronizar();
        return motor.houveErros() ? 1 : 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marelo"));
    frmMarelo janela(linha);
    if (!janela.Form_Load())
        return janela.estadoDeSaida();
    janela.show();
    return QApplication::exec();
}
