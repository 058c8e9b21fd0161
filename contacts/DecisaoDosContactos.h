#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The rules that decide what becomes of a web contact file and of a changed CRM contact, apart
// from carrying them out: the run and its trial decide on the same facts (the trial as the run
// would have left them after the files before) and carry out the same plan.

// What is known of one web contact file.
struct FactosDoContacto {
    QString nome;  // the file's name
    // What the web side put under the name of its backup (name + ".bak"); empty when free.
    QString copiaOcupada;
    // The report of a file that could not be read; none when it was.
    std::optional<QString> naoLido;
    QString idNet;  // the IDNET text
    QString empresa;
    // The CRM contact the web identifier already belongs to; none when new to the CRM.
    std::optional<QString> conhecido;
};

struct PlanoDoContacto {
    enum class Accao {
        Recusar,    // left in the inbox, with the reason
        Arquivar,   // the CRM knows it: its file kept as a backup
        Adicionar,  // added to the company's CRM, then its file kept as a backup
    };
    Accao accao = Accao::Recusar;
    QString razao;
    bool caixa = false;  // the reason is a file's report, for a message box
};

PlanoDoContacto decidirContacto(const FactosDoContacto& factos);
// The web identifier a contact file's IDNET gives; none when it is not a whole number.
std::optional<qint32> identificadorWeb(const QString& texto);

// What is known of one changed CRM contact when it is to be sent.
struct FactosDoEnvio {
    QString contacto;             // "O contacto 5 (Nome) da empresa QF"
    QStringList identificadores;  // the web identifiers its number has
    // What the web side put where its file would be written; empty when free or a file.
    QString destinoOcupado;
    QString destino;           // that file's path
    QString historiaDoCodigo;  // what is on record of earlier contacts with its code
};

struct PlanoDoEnvio {
    enum class Accao {
        Enviar,     // its file written, with its one web identifier (or none)
        NaoEnviar,  // not sent now, nor until it changes: the watermark passes it
        Reter,      // not sent now: the watermark stays before it, to send it next time
    };
    Accao accao = Accao::Enviar;
    QString identificador;
    QString razao;
};

PlanoDoEnvio decidirEnvio(const FactosDoEnvio& factos);
