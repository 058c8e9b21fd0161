#pragma once

#include <QString>
#include <QVector>
#include <optional>

#include "accounting/clsNext.h"
#include "contacts/ConversoesDeEncomendas.h"
#include "orders/xmlEncomenda.h"

// The rules that decide what becomes of an order file, apart from carrying it out: the run and
// its trial gather the same facts (the trial as the run would have left them after the files
// before) and carry out the same plan, the one writing and the other saying what it would write.

// What is known of one order file when its fate is decided. The facts are gathered in the order
// the rules need them and no further: a file that is not read has no documents looked up.
struct FactosDaEncomenda {
    QString nome;  // the file's name
    // What the web side put under its name in the outbox, where the file would go ("uma
    // ligação simbólica"); empty when the name is free or holds a file.
    QString destinoOcupado;
    // Why the file could not be read as an order; none when it was.
    std::optional<QString> naoLida;
    QString empresa;
    qint32 numero = 0;
    bool prospect = false;
    QString cliente;                        // the customer's code, or the prospect's contact's
    QVector<DocumentoDoFicheiro> gravados;  // the file's IDENCSAGE blocks
    bool contabilidadeAberta = false;
    // The accounting's documents stored under the web order number, the latest first.
    QVector<IdentidadeDocumento> documentos;
    // A prospect's: the conversion on record for this order, whether its contact is in the CRM,
    // whether the company has the template customer (NUMERO -1), and, for the office, what is on
    // record of contacts that had its code.
    std::optional<ConversaoDeEncomenda> conversao;
    bool contactoExiste = false;
    bool haModelo = false;
    QString historiaDoContacto;
    QString agora;  // the run's time, for a conversion put on record (ISO)
};

// What is done with it.
struct PlanoDaEncomenda {
    enum class Accao {
        Recusar,              // left in the inbox, with the reason
        RegistarSemContacto,  // left in the inbox, its contact's absence put on record
        Mover,                // written and marked by an earlier run: only moved
        MarcarEMover,         // written by an earlier run (documento): marked and moved
        Gravar,               // written for cliente, then marked and moved
        ConverterEGravar,     // its prospect made a customer, then written, marked and moved
    };
    Accao accao = Accao::Recusar;
    QString razao;                     // Recusar, RegistarSemContacto: what is said
    IdentidadeDocumento documento;     // Mover, MarcarEMover
    QString cliente;                   // Gravar: the document's customer
    QString novoCliente;               // a prospect's customer, for the file's block
    QString idUnico;                   // and its contact's unique identifier
    ConversaoDeEncomenda semContacto;  // RegistarSemContacto: what is put on record
};

PlanoDaEncomenda decidirEncomenda(const FactosDaEncomenda& factos);

// "A encomenda ENC_1.xml (n.º 5 da empresa QF)": how every report of an order names its file.
QString aEncomenda(const QString& nome, qint32 numero, const QString& empresa);
// A date and time on record, as the office reads it.
QString dataLegivel(const QString& iso);
