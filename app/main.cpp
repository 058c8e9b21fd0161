// marelo: the desktop program. No argument: the window waits for the user. "/S": one
// unattended run, then the program ends. Anything else names the settings file.
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

#include "app/Arranque.h"
#include "app/Sincronizacao.h"
#include "app/frmMarelo.h"
#include "platform/JanelaDeProgresso.h"
#include "platform/clsSistema.h"

namespace {

bool haEcra() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
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
        Sincronizacao motor(consola, a.FicheiroIni);
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
