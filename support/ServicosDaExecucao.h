#pragma once

#include <QList>
#include <QPair>
#include <QString>

class Falha;
class ListagemDeFicheiros;
class clsBd;

// What a run did, counted by its steps for the line that ends it. A file counts once: refused
// when it stays in the inbox for a fault of its own or of the step.
struct ResumoDaExecucao {
    QList<QPair<QString, int>> contactosEnviados;  // contact files written, by company
    int contactosAdicionados = 0;
    int contactosConhecidos = 0;  // files of contacts already in the CRM, archived
    int contactosRecusados = 0;
    int encomendasGravadas = 0;
    int encomendasJaGravadas = 0;  // orders whose document an earlier run wrote
    int encomendasRecusadas = 0;

    // "Resumo: contactos enviados QF 3, SR 0; contactos adicionados 2, já existentes 1,
    // recusados 0; encomendas gravadas 5, já gravadas 1, recusadas 2; erros 3"
    QString texto(int erros) const;
};

// What a step of a run asks of the run it is part of: the progress list, the run log, the errors
// the run counts, a message box, and letting the window breathe. The run gives one to each step;
// the step keeps nothing of it once it returns.
class ServicosDaExecucao {
  public:
    virtual ~ServicosDaExecucao() = default;

    // A line of the progress list (standard output without a window).
    virtual void AddLista(const QString& texto) = 0;
    // A line of the run log.
    virtual void Escrever(const QString& texto) = 0;
    // An error of the run: counted, shown and logged.
    virtual void AddErro(const QString& texto) = 0;
    // An error reported to the log only, as the order writer's are: counted and logged.
    virtual void ErroNoRegisto(const QString& texto) = 0;
    // A message box with an OK button (standard error without a window), logged as well; the
    // run waits until it is closed.
    virtual void MostrarMensagem(const QString& texto) = 0;
    // The same, for an error of the run: counted.
    virtual void MostrarErro(const QString& texto) = 0;
    // Lets waiting window messages through, so the window stays painted.
    virtual void Pump() = 0;
    // The run's figures, which the steps add to.
    virtual ResumoDaExecucao& Resumo() = 0;
    // True in a trial run: the steps check and say what they would do, and write nothing.
    virtual bool Simulacao() const = 0;

    // Logged, then shown: how the steps report what they did.
    void Mostrar(const QString& texto);
    // A failure caught in the routine funcao, as an error of the run.
    void AddFalha(const Falha& falha, const QString& funcao,
                  const QString& dono = QStringLiteral("frmMarelo"));
    // Each entry of the inbox that matched and is not read (a link, a pipe, a folder, a name
    // that does not fit), as an error of the run; how many.
    int RecusarEntradas(const ListagemDeFicheiros& lista);
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
