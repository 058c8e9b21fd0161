#pragma once

#include <QPair>
#include <QSet>
#include <QString>
#include <vector>

// Locks that a process holds on files and folders for as long as it lives (flock): the system
// drops them when the process ends, however it ends, so a run that is killed leaves none behind.
// A lock belongs to what lies at the path (its device and inode), whatever the name or link it
// is reached by. Taken without waiting; all of them go when the object does.
class Fechaduras {
  public:
    Fechaduras() = default;
    ~Fechaduras();
    Fechaduras(const Fechaduras&) = delete;
    Fechaduras& operator=(const Fechaduras&) = delete;

    enum class Resultado { Tomada, Ocupada, NaoExiste };
    // Locks the file or folder at caminho (a folder is locked itself, not what it holds).
    // Ocupada when another process holds it, with who in quem when the system tells (the
    // process and its command line); NaoExiste when nothing is there. Taking what this object
    // already holds gives Tomada. Raises Falha when it cannot be opened or locked.
    Resultado tomar(const QString& caminho, QString* quem = nullptr);

    // Whether a process holds the lock of what lies at caminho, told by the system without
    // taking it (a run starting at that moment must not find it taken); who in quem. False
    // where the system cannot tell.
    static bool ocupada(const QString& caminho, QString* quem = nullptr);

  private:
    std::vector<int> descritores_;
    QSet<QPair<quint64, quint64>> tomadas_;  // device and inode
};
