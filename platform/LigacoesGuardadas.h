#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class LigacaoBd;

// Idle embedded connections kept for reuse, by database file, with their prepared statements:
// a run opens the same two or three databases thousands of times, and closing the last
// connection to a WAL database checkpoints and removes its log every time. Its owner (the run)
// hands it to clsBd::Ligar; the connections kept close when it ends.
class LigacoesGuardadas {
  public:
    // Idle connections kept per file: a run holds at most two at once on one file (the
    // company's data and its accounting).
    static constexpr int kPorFicheiro = 4;

    LigacoesGuardadas() = default;
    ~LigacoesGuardadas();
    LigacoesGuardadas(const LigacoesGuardadas&) = delete;
    LigacoesGuardadas& operator=(const LigacoesGuardadas&) = delete;

    // An idle connection to the database file (an absolute path), ready for a new use; null
    // when none is kept.
    std::shared_ptr<LigacaoBd> retirar(const QString& ficheiro);
    // Keeps a connection its user is done with; false when it is not kept (a server's, a closed
    // one, one too many for its file, one whose transaction would not roll back), for the caller
    // to close.
    bool guardar(const std::shared_ptr<LigacaoBd>& ligacao);
    void fecharTodas();

  private:
    QHash<QString, QList<std::shared_ptr<LigacaoBd>>> livres_;
};
