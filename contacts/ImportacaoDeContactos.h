#pragma once

#include <QString>
#include <QStringList>

class BasesDasEmpresas;
class ListagemDeFicheiros;
class ServicosDaExecucao;
class Sobreposicao;
struct ResultadoDoFicheiro;
class xmlContacto;

// The second step of a run: every contact file the web side left in the contacts inbox is added
// to the CRM of the company it names, and kept beside it as a ".bak" backup. For each file the
// step gathers the facts, decides (decidirContacto) and carries the plan out; a trial run carries
// the same plan out on its overlay. A file whose contact was not written stays in the inbox for
// the next run.
class ImportacaoDeContactos {
  public:
    ImportacaoDeContactos(ServicosDaExecucao& servicos, BasesDasEmpresas& bases,
                          Sobreposicao& sobreposta);

    // The files of the list, in its order (the list points at the inbox and its pattern).
    void ImpContactos(ListagemDeFicheiros& ListaDeFicheiros);

  private:
    // One file of the inbox: added, archived as known, or left, with what is said of it.
    ResultadoDoFicheiro importarFicheiro(xmlContacto& ficheiro, const QString& pasta,
                                         const QString& nome);

    ServicosDaExecucao& servicos_;
    BasesDasEmpresas& bases_;
    Sobreposicao& sobreposta_;
    QStringList importados_;
    QString relatorio_;  // the report of the last file that did not parse
};
