#include "app/Arranque.h"

#include <QDir>
#include <QStringList>

#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/clsSistema.h"

Arranque Arrancar(const QString& linha, const QString& pastaDoPrograma, const QString& pastaComum) {
    QString pastaDoFabricante = juntarCaminho(pastaComum, QStringLiteral("norbix"));
    if (!clsFicheiros::PastaExiste(pastaDoFabricante))
        pastaDoFabricante = pastaDoPrograma;

    Arranque a;
    a.bAutomatico = linha == QLatin1String("/S");
    if (linha.isEmpty() || a.bAutomatico)
        a.FicheiroIni = juntarCaminho(pastaDoFabricante, QStringLiteral("Quintaflor.vek"));
    else if (QDir::isAbsolutePath(linha))
        a.FicheiroIni = linha;
    else
        a.FicheiroIni = juntarCaminho(pastaDoPrograma, linha);
    return a;
}

QString linhaDeComando(const QStringList& argumentos) {
    return argumentos.mid(1).join(QLatin1Char(' '));
}
