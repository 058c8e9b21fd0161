#pragma once

#include <QString>
#include <memory>

#include "accounting/clsNext.h"
#include "accounting/embutida/EmpresaEmbutida.h"

// A new line object, and a new document of the open company, as the connection hands them out.
std::unique_ptr<DocumentosGCLin> novaLinhaEmbutida();
std::unique_ptr<DocumentoComercial> novoDocumentoEmbutido(std::shared_ptr<EmpresaEmbutida> empresa);
