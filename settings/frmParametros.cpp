#include "settings/frmParametros.h"

frmParametros::frmParametros(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Parametros"));
    resize(10000 / 15, 5000 / 15);
}

void frmParametros::Mostra() {
    show();
}
