#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

#include "base/Relogio.h"

class Falha;
class ListagemDeFicheiros;
class clsBd;

// What became of one file of a step. Made by the step once the file's fate is carried out (or,
// in a trial run, would be), it is the one source of what the run says of that file, of the
// run's figures, of its errors and of its exit status.
struct ResultadoDoFicheiro {
    enum class Estado {
        Enviado,     // a changed contact's file written
        Adicionado,  // a web contact added to the CRM, its file kept as a backup
        Conhecido,   // a web contact the CRM already knows: its file kept as a backup
        Gravado,     // an order written as a document now, its file marked and moved
        JaGravado,   // an order an earlier run wrote: its file marked if need be, and moved
        Recusado,    // left where it is, for a fault of its own that someone must mend
        Falhou,      // left where it is, for a failure on the way (a database, a file, a folder)
    };
    Estado estado = Estado::Recusado;
    QString ficheiro;    // its name, as its folder lists it
    QString empresa;     // the company it went to, when known
    QString texto;       // what the list and the log say of it
    QString documento;   // the order's document, as the summary lists it (written now or found)
    bool caixa = false;  // said in a message box rather than in the list (a file not parsed)
    // An order left where it was although its document was written now (its file could not be
    // marked or moved): a document written all the same.
    bool gravadoAgora = false;

    bool erro() const { return estado == Estado::Recusado || estado == Estado::Falhou; }
};

// What a run did, counted from its files' results for the line that ends it.
struct ResumoDaExecucao {
    QList<QPair<QString, int>> contactosEnviados;  // contact files written, by company
    int contactosAdicionados = 0;
    int contactosConhecidos = 0;  // files of contacts already in the CRM, archived
    int contactosRecusados = 0;
    int encomendasGravadas = 0;
    int encomendasJaGravadas = 0;  // orders whose document an earlier run wrote
    int encomendasRecusadas = 0;

    // Counts the result of a file of the step passo ("envio", "contactos" or "encomendas").
    void contar(const QString& passo, const ResultadoDoFicheiro& r);
    // "Resumo: contactos enviados QF 3, SR 0; contactos adicionados 2, já existentes 1,
    // recusados 0; encomendas gravadas 5, já gravadas 1, recusadas 2; erros 3"
    QString texto(int erros) const;
};

// What a step of a run asks of the run it is part of: the progress list, the run log, the
// results of its files, the errors that are not a file's, a message box, the time, and letting
// the window breathe. The run gives one to each step; the step keeps nothing of it once it
// returns.
class ServicosDaExecucao {
  public:
    virtual ~ServicosDaExecucao() = default;

    // A line of the progress list (standard output without a window).
    virtual void AddLista(const QString& texto) = 0;
    // A line of the run log.
    virtual void Escrever(const QString& texto) = 0;
    // What became of a file of the step passo ("envio", "contactos", "encomendas"): said,
    // counted in the figures, and, when it stays where it was, an error of the run.
    virtual void Resultado(const QString& passo, const ResultadoDoFicheiro& resultado) = 0;
    // An error of the run that is not one file's (a step that could not be taken): counted,
    // shown and logged.
    virtual void AddErro(const QString& texto) = 0;
    // A message box with an OK button (standard error without a window, the list with /S),
    // logged as well; the run waits until it is closed.
    virtual void MostrarMensagem(const QString& texto) = 0;
    // Lets waiting window messages through, so the window stays painted.
    virtual void Pump() = 0;
    // The run's figures, as its results have made them so far.
    virtual ResumoDaExecucao& Resumo() = 0;
    // True in a trial run: the steps check and say what they would do, and write nothing.
    virtual bool Simulacao() const = 0;
    // The run's clock: every date of the run comes from it.
    virtual const Relogio& RelogioDaExecucao() const = 0;
    QDateTime Agora() const { return RelogioDaExecucao().agora(); }

    // Logged, then shown: how the steps report what they did.
    void Mostrar(const QString& texto);
    // A failure caught in the routine funcao, as an error of the run.
    void AddFalha(const Falha& falha, const QString& funcao,
                  const QString& dono = QStringLiteral("frmMarelo"));
    // Each entry of the inbox that matched and is not read (a link, a pipe, a folder, a name
    // that does not fit), as a result of the step passo.
    void RecusarEntradas(const QString& passo, const ListagemDeFicheiros& lista);
};

// The company databases of a run, each opened at its first need and kept open until the run
// ends.
class BasesDasEmpresas {
  public:
    virtual ~BasesDasEmpresas() = default;
    // The database of the company with that code ("NomeSQL" of its settings section). Raises
    // Falha, naming the company and the database, when it cannot be opened.
    virtual clsBd& BaseDaEmpresa(const QString& empresa) = 0;
};

// "Erro " + numero + CR LF + "(" + descricao + ")" + CR LF + "Na função " + funcao + " do " +
// dono: how a failure caught in a routine is reported.
QString TextoDoErro(int numero, const QString& descricao, const QString& funcao,
                    const QString& dono = QStringLiteral("frmMarelo"));
