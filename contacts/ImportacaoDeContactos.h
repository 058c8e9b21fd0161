#pragma once

#include <QString>

class BasesDasEmpresas;
class ListagemDeFicheiros;
class ServicosDaExecucao;

// The second step of a run: every contact file the web side left in the contacts inbox is added
// to the CRM of the company it names, and kept beside it as a ".bak" backup. A file whose contact
// was not written stays in the inbox for the next run.
class ImportacaoDeContactos {
  public:
    ImportacaoDeContactos(ServicosDaExecucao& servicos, BasesDasEmpresas& bases);

    // The files of the list, in its order (the list points at the inbox and its pattern).
    void ImpContactos(ListagemDeFicheiros& ListaDeFicheiros);

  private:
    ServicosDaExecucao& servicos_;
    BasesDasEmpresas& bases_;
};
