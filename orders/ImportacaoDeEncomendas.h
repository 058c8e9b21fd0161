#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <optional>

#include "accounting/clsNext.h"
#include "contacts/ConversoesDeEncomendas.h"

class BasesDasEmpresas;
class clsBd;
class EncNext;
class FabricaDeContabilidade;
class ListagemDeFicheiros;
class Parametros;
class ServicosDaExecucao;
class xmlEncomenda;

// The third step of a run: every web order left in the inbox becomes a sales document of its own
// customer (a prospect is made a customer first), its identity is written back into the file and
// the file moves to the outbox. An order that cannot be written, or whose number already names
// another customer's document, stays in the inbox, shown and logged with the file's name; a
// failure ends only its own order.
class ImportacaoDeEncomendas {
  public:
    ImportacaoDeEncomendas(const Parametros& parametros, ServicosDaExecucao& servicos,
                           BasesDasEmpresas& bases, FabricaDeContabilidade& contabilidade);
    ~ImportacaoDeEncomendas();

    // The files of the list (which points at PathOrigem and its pattern), in its order; written
    // orders go to pathDestino.
    void ImportarEncomendas(ListagemDeFicheiros& ListaDeFicheiros, const QString& PathOrigem,
                            const QString& pathDestino);

  private:
    class Encomenda;

    void importarEncomenda(const QString& PathOrigem, const QString& pathDestino,
                           const QString& nome);
    void moverGravada(const QString& origem, const QString& pathDestino, const QString& nome,
                      const QString& documento);
    // Runs one part of an order; a failure is reported with the file's name and ends the order.
    template <class Parte>
    void tentarEncomenda(const QString& nome, Parte parte);
    void novoEscritor(const xmlEncomenda& leitor);
    // The company's database, with the table of conversions a database made by an earlier version
    // lacks created at its first need in the run.
    clsBd& baseDaEmpresa(const QString& empresa);
    // The conversion on record for the web order; none where the table is missing.
    std::optional<ConversaoDeEncomenda> conversaoFeita(const QString& empresa, qint32 idencomenda);
    // The contact exists and no conversion of this run has taken it.
    bool contactoPorConverter(clsBd& bd, const QString& empresa, const QString& contacto);
    void escreverResumo(const QString& cabecalho, const QStringList& linhas);

    const Parametros& parametros_;
    ServicosDaExecucao& servicos_;
    BasesDasEmpresas& bases_;
    FabricaDeContabilidade& contabilidade_;
    // The order writer of the order under way.
    std::unique_ptr<EncNext> n;
    QStringList gravadas_;    // the documents this run wrote
    QStringList anteriores_;  // the documents found written by an earlier run
    QSet<QString> conversoesPreparadas_;
    QSet<QString> semConversoes_;  // companies whose table a trial run found missing
    // What a trial run would have written so far, for the files after: conversions and
    // documents by company and web order number, contacts converted by company and code.
    struct {
        QHash<QString, ConversaoDeEncomenda> conversoes;
        QHash<QString, QVector<IdentidadeDocumento>> documentos;
        QSet<QString> contactos;
    } simulados_;
};
