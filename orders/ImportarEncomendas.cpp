#include "app/Sincronizacao.h"

void Sincronizacao::ImportarEncomendas(const QString& PathOrigem, const QString& pathDestino) {
    Q_UNUSED(PathOrigem);
    Q_UNUSED(pathDestino);
}
