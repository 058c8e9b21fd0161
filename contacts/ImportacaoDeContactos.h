#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class BasesDasEmpresas;
class vekContactos;
class xmlContacto;
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
    // One file of the inbox: added, archived as known, or left with a message.
    void importarFicheiro(xmlContacto& ficheiro, const QString& pasta, const QString& nome);
    // A trial run's verdict on a contact read from its file.
    void preverContacto(vekContactos& contacto, const QString& nome);

    ServicosDaExecucao& servicos_;
    BasesDasEmpresas& bases_;
    QStringList importados_;
    QSet<QString> previstos_;  // the web contacts a trial run would add
};
