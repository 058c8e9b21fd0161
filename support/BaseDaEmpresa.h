#pragma once

#include <QString>
#include <memory>

#include "platform/clsBd.h"

// A new, open connection to the company's database, built from the settings file: server, user
// and password of section "SQL", database "NomeSQL" of the company's section. Raises Falha, with
// the driver's reason, when it does not open ("Não foi possível " + accao + " base de dados ...").
std::unique_ptr<clsBd> LigarBaseDaEmpresa(const QString& ficheiroIni, const QString& empresa,
                                          const QString& accao = QStringLiteral("abrir a"));

// bd itself when it is open on the company's database ("NomeSQL"); otherwise a new connection
// opened into it (replacing, for instance, another company's). Raises Falha as above.
clsBd& BaseDaEmpresaAberta(std::unique_ptr<clsBd>& bd, const QString& ficheiroIni,
                           const QString& empresa,
                           const QString& accao = QStringLiteral("abrir a"));
