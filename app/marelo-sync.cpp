// marelo-sync SETTINGS-FILE: one synchronization run without a window, for servers and
// schedulers. Exit status: 0 without errors, 1 when a step reported an error, 2 on bad usage.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "app/Sincronizacao.h"
#include "platform/JanelaDeProgresso.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || args[1].isEmpty() || args[1].startsWith(QLatin1Char('-'))) {
        std::fputs("uso: marelo-sync FICHEIRO-DE-PARAMETROS\n", stderr);
        return 2;
    }
    JanelaDeConsola consola;
    Sincronizacao motor(consola, QFileInfo(args[1]).absoluteFilePath());
    motor.sincronizar();
    return motor.houveErros() ? 1 : 0;
}
