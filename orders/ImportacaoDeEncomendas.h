#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <optional>

#include "accounting/clsNext.h"
#include "orders/DecisaoDaEncomenda.h"
#include "support/ServicosDaExecucao.h"

class BasesDasEmpresas;
class EncNext;
class ListagemDeFicheiros;
class Parametros;
class Sobreposicao;
class clsBd;
class xmlEncomenda;

// The third step of a run: every web order left in the inbox becomes a sales document of its own
// customer (a prospect is made a customer first), its identity is written into the file and the
// file moves to the outbox. For each file the step gathers the facts, decides (decidirEncomenda)
// and carries the plan out; a trial run carries the same plan out on its overlay, writing
// nothing. Each file ends in one result, which the run shows, logs and counts; a failure ends
// only its own order.
class ImportacaoDeEncomendas {
  public:
    ImportacaoDeEncomendas(const Parametros& parametros, ServicosDaExecucao& servicos,
                           BasesDasEmpresas& bases, FabricaDeContabilidade& contabilidade,
                           Sobreposicao& sobreposta);
    ~ImportacaoDeEncomendas();

    // The files of the list (which points at PathOrigem and its pattern), in its order; written
    // orders go to pathDestino.
    void ImportarEncomendas(ListagemDeFicheiros& ListaDeFicheiros, const QString& PathOrigem,
                            const QString& pathDestino);

  private:
    // One file, from its facts to its result.
    ResultadoDoFicheiro importarEncomenda(const QString& origem, const QString& destino,
                                          const QString& nome);
    // What the rules need to know of the file the reader read, as the run (or, in a trial, the
    // run so far) leaves the company.
    void juntarFactos(FactosDaEncomenda& factos, const xmlEncomenda& leitor);
    ResultadoDoFicheiro executar(const PlanoDaEncomenda& plano, const FactosDaEncomenda& factos,
                                 xmlEncomenda& leitor, const QString& origem,
                                 const QString& destino);
    // Makes the prospect of the order a customer (in a trial run, on the overlay): false, with
    // the reason in r, when it could not be.
    bool converter(const FactosDaEncomenda& factos, QString& novoCliente, QString& idUnico,
                   ResultadoDoFicheiro& r);
    // Writes the document for cliente (or, in a trial run, checks it; a customer still to be
    // made, clienteNovo, as its template): its identity, or none with the refusal in r.
    std::optional<IdentidadeDocumento> gravar(const FactosDaEncomenda& factos, xmlEncomenda& leitor,
                                              const QString& cliente, bool clienteNovo,
                                              ResultadoDoFicheiro& r);
    // Marks the file with its document and moves it to the outbox (nothing in a trial run).
    void marcarEMover(const IdentidadeDocumento& documento, const QString& novoCliente,
                      const QString& idUnico, xmlEncomenda& leitor, const QString& origem,
                      const QString& destino, ResultadoDoFicheiro& r);
    void novoEscritor(const xmlEncomenda& leitor);
    // The company's database, with the table of conversions a database made by an earlier version
    // lacks created at its first need in the run (a trial run finds it missing).
    clsBd& baseDaEmpresa(const QString& empresa);
    void escreverResumo(const QString& cabecalho, const QStringList& linhas);

    const Parametros& parametros_;
    ServicosDaExecucao& servicos_;
    BasesDasEmpresas& bases_;
    FabricaDeContabilidade& contabilidade_;
    Sobreposicao& sobreposta_;
    // The order writer of the order under way, and the last failure it reported.
    std::unique_ptr<EncNext> n;
    QString erroDoEscritor_;
    QStringList gravadas_;    // the documents this run wrote
    QStringList anteriores_;  // the documents found written by an earlier run
    QSet<QString> conversoesPreparadas_;
    QSet<QString> semConversoes_;  // companies whose table a trial run found missing
    // The documents a trial run would have written, by company and web order number.
    QHash<QString, QVector<IdentidadeDocumento>> simulados_;
};
