#include "app/Sincronizacao.h"

void Sincronizacao::EnviarAltareados() {}
