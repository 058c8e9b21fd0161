#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class LigacaoBd;

// The embedded connections of a run, by database file, with their prepared statements. A file
// has one connection, shared by all who use it at the same time: a company's data and its
// accounting live in one file, and one connection keeps its page cache and its statements for
// both, where two would each find the other's writes and read the pages again. A connection
// nobody uses is kept idle for the next: a run opens the same databases thousands of times, and
// closing the last connection to a WAL database checkpoints and removes its log every time. Its
// owner (the run) hands it to clsBd::Ligar; the connections close when it ends.
class LigacoesGuardadas {
  public:
    // Idle connections kept per file: a run holds at most two at once on one file (the
    // company's data and its accounting).
    static constexpr int kPorFicheiro = 4;

    // soLeitura: connections that refuse every write, for a trial run.
    explicit LigacoesGuardadas(bool soLeitura = false) : soLeitura_(soLeitura) {}
    ~LigacoesGuardadas();
    LigacoesGuardadas(const LigacoesGuardadas&) = delete;
    LigacoesGuardadas& operator=(const LigacoesGuardadas&) = delete;

    // A connection to the database file (an absolute path) for one more user: the one in use,
    // or one kept idle, or else the one abrir makes (null when it cannot).
    std::shared_ptr<LigacaoBd> tomar(const QString& ficheiro,
                                     const std::function<std::shared_ptr<LigacaoBd>()>& abrir);
    // A user is done with the connection. False when it was the last and it is not kept (a
    // closed one, one too many for its file, one whose transaction would not roll back), for the
    // caller to close.
    bool devolver(const std::shared_ptr<LigacaoBd>& ligacao);
    void fecharTodas();
    bool soLeitura() const { return soLeitura_; }

  private:
    // An idle connection to the file, ready for a new use; null when none is kept.
    std::shared_ptr<LigacaoBd> retirar(const QString& ficheiro);
    bool guardar(const std::shared_ptr<LigacaoBd>& ligacao);

    struct EmUso {
        std::weak_ptr<LigacaoBd> ligacao;
        int utilizadores = 0;
    };
    bool soLeitura_ = false;
    QHash<QString, EmUso> emUso_;
    QHash<QString, QList<std::shared_ptr<LigacaoBd>>> livres_;
};
