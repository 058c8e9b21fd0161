#pragma once

#include <QString>
#include <QStringList>

// The names (without folder) of all files of one folder that match a pattern with the
// wildcards "*" and "?", sorted ascending without regard to case. The listing is taken when
// the folder or the pattern is set. Only regular files are listed: a link, a pipe, a device, a
// socket or a folder that matches is among the refused entries instead, and so is a name that a
// message could not show (control characters) or that leaves no room for the folga bytes the
// program adds to it (".bak").
class ListagemDeFicheiros {
  public:
    ListagemDeFicheiros() : padrao_(QStringLiteral("PRP*.xml")) {}

    // Raises Falha (path not found) when the folder does not exist.
    void setPath(const QString& pasta);
    const QString& Path() const { return pasta_; }
    void setPattern(const QString& padrao);
    const QString& Pattern() const { return padrao_; }
    // Sets both and lists the folder once. Raises Falha as setPath.
    void Listar(const QString& pasta, const QString& padrao, int folga = 0);
    // Lists the folder again.
    void Refresh();

    int ListCount() const { return int(nomes_.size()); }
    QString List(int indice) const { return nomes_.value(indice); }
    int ListIndex = -1;

    static bool corresponde(const QString& nome, const QString& padrao);

    struct Recusada {
        QString nome;   // as a message may show it
        QString razao;  // "é uma ligação simbólica", ...
    };
    // The entries that match and are not listed, in name order.
    const QList<Recusada>& Recusadas() const { return recusadas_; }

  private:
    QString pasta_;
    QString padrao_;
    QStringList nomes_;
    QList<Recusada> recusadas_;
    int folga_ = 0;
};
