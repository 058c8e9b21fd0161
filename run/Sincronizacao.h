#pragma once

#include <QString>
#include <optional>

class EscolhaDaContabilidade;
class Fechaduras;
class JanelaDeProgresso;
class Parametros;
class Relogio;

// The synchronization run: the contact export, the contact import and the order import, in that
// order, shown and logged. The main window and the headless front end both drive it; what it
// shows goes through the JanelaDeProgresso it is given.
class Sincronizacao {
  public:
    // contabilidade: the accounting system the start-up chose; relogio: where every date of the
    // run comes from.
    Sincronizacao(JanelaDeProgresso& janela, QString ficheiroIni,
                  const EscolhaDaContabilidade& contabilidade, const Relogio& relogio);

    const QString FicheiroIni;

    // One run: steps 1 to 8. Two runs of one settings file never overlap, not even across
    // processes: a second one says so and ends without touching anything.
    void sincronizar();
    // A trial run: the same steps, which check everything and say file by file what the run
    // would do, writing nothing (databases, files, watermarks and the accounting system stay as
    // they are; the day's log records it). Its errors are the refusals the run would make.
    void simular();
    // True when a step of the last run reported an error (or the run could not start).
    bool houveErros() const { return erros_ > 0; }

  private:
    void executar(bool simulacao);
    // Locks the settings file and everything of the settings another run could work on. The
    // reason the run cannot start, when another run holds one of them.
    std::optional<QString> reservar(Fechaduras& fechaduras, const Parametros& parametros) const;
    // The run could not start: says why, in the list and in the day's log.
    void naoComecou(const QString& texto);

    JanelaDeProgresso& janela_;
    const EscolhaDaContabilidade& contabilidade_;
    const Relogio& relogio_;
    int erros_ = 0;
};
