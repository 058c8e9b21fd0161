#include "app/Sincronizacao.h"

void Sincronizacao::ImpContactos() {}
