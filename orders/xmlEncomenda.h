#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "accounting/clsNext.h"
#include "base/Moeda.h"
#include "platform/bd/Recordset.h"

class FicheiroXml;
struct ElementoXml;

// A written document's identity as a block IDENCSAGE of the file holds it: the document (no
// customer), and, for an order of a prospect, the customer made of the prospect and the
// contact's Id_Unico.
struct DocumentoDoFicheiro {
    IdentidadeDocumento Documento;
    QString IdCliente;
    QString Id_Unico;
};

// One web order file: the first ENC of the document, its header values and its lines. One
// object serves a whole import run, pointed at each file in turn.
class xmlEncomenda {
  public:
    xmlEncomenda();

    QString FicheiroXML;  // full path of the order file
    QString IdCliente;    // customer code, or the prospect's CRM contact code when Contacto
    QString CodEmpresa;
    bool Contacto = false;  // the order comes from a prospect
    QDateTime Data;
    qint32 Idencomenda = 0;
    QString Observacoes;
    Moeda SubTotal;
    Moeda EcoValor;
    Moeda Portes;
    Moeda Total;
    Moeda voucher;
    Moeda TotalFinal;
    // The lines of the last order read: "Artigo", "Descrição", "Qtd", "Preço", "Desconto",
    // "DescontoTXT". Shared: the order writer works on this same table, and a table a caller
    // still holds stays alive when the next file replaces it.
    std::shared_ptr<Recordset> RsLinha = std::make_shared<Recordset>();

    // Filled by GetEncomenda: the file already holds a written document (IDENCSAGE), so the
    // order must not be written again; Gravados holds each block, in file order.
    bool JaGravada = false;
    QVector<DocumentoDoFicheiro> Gravados;
    // Why the last GetEncomenda or ActualizarXML gave false, in words for the run log.
    QString UltimoErro;

    // Reads FicheiroXML. False when it cannot be read or parsed (nothing changes then), or
    // when it parses but is not an order that can be written: no ENC, no IDENCOMENDA or one
    // that is not a whole number, no FLAGPROSPECT or one that is neither 0 nor 1, a DATA that is
    // not a date, a text longer than its field of the lines table, an amount that does not read
    // exactly (Moeda::lerExacto; an empty DESCONTO or header amount is 0), a LINHA without
    // article (CODIGO absent or empty), quantity (QUANTIDADE) or price (PRECO). Amounts and
    // lines are not checked in a file that already holds a written document. Every header
    // value and the lines table are reset before reading.
    bool GetEncomenda();

    // Replaces RsLinha by a new, empty, open lines table.
    void inicializarRs();

    // Appends the identity of the written document (IDENCSAGE) as the last child of ENC and
    // saves the file atomically; the rest of the file is left byte for byte as it was. The file
    // read by the last GetEncomenda is marked only while it holds what was read. False when the
    // file cannot be read, has changed since, has no ENC, or cannot be saved; the file is then
    // unchanged.
    bool ActualizarXML(const QString& TipoDoc, qint32 Numerodoc, qint16 Serie, qint16 Ano,
                       const QString& novocliente, const QString& Id_Guid);

    // Where the identity block goes in the text of an order file: just before the end tag of
    // the first ENC, or in place of the "/>" of an empty one.
    struct LugarDoBloco {
        qsizetype posicao = 0;
        bool encVazio = false;
    };

  private:
    // The file as GetEncomenda read it, and where its block goes, for ActualizarXML: the
    // document is made of that content, and only that content is marked.
    std::shared_ptr<const FicheiroXml> lido_;
    std::optional<LugarDoBloco> lugarLido_;
    QString lidoDe_;

    bool LerEncomenda();
    // Loads FicheiroXML and keeps it for ActualizarXML. False, with UltimoErro, when it does
    // not load.
    bool carregar();
    // Resets every header value and the lines table.
    void limparEncomenda();
    // Fills the header value of an element taken as text or as an amount; others are ignored.
    // An amount that does not read is the problema, unless one came before.
    void lerValorDoCabecalho(const QString& nome, const QString& texto, QString& problema);
    bool lerLinha(const ElementoXml& linha, int numero, QString& problema);
    void lerBloco(const ElementoXml& bloco);
    bool falhar(const QString& razao);
    // The amount the text reads as exactly; none, with the problema (unless one came before)
    // naming the element and the text, when it does not. An empty text is 0 when vazioEZero.
    std::optional<Moeda> TextoParaMoeda(const QString& texto, const QString& elemento,
                                        bool vazioEZero, QString& problema);
};
