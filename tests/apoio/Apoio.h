#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

#include "platform/clsBd.h"

// Readable test failures for Qt strings.
inline void PrintTo(const QString& texto, std::ostream* os) {
    *os << '"' << texto.toStdString() << '"';
}
inline void PrintTo(const QStringList& lista, std::ostream* os) {
    *os << '{';
    for (const QString& t : lista)
        *os << "\n  \"" << t.toStdString() << '"';
    *os << "\n}";
}

// A temporary workspace folder, removed after the test.
class Espaco {
  public:
    Espaco();
    QString caminho(const QString& relativo = {}) const;
    // Creates the folder (and its parents) and gives its path.
    QString pasta(const QString& relativo) const;
    QString escrever(const QString& relativo, const QByteArray& conteudo) const;
    QByteArray ler(const QString& relativo) const;
    bool existe(const QString& relativo) const;

  private:
    QTemporaryDir dir_;
};

// The connection string for the embedded database <pasta>/<nome>.db.
QString stringLigacaoEmbutida(const QString& pasta, const QString& nome);

// Creates the embedded database <pasta>/<nome>.db and runs the scripts on it (file paths
// relative to the source tree, or SQL text when they hold a blank).
void criarBaseDeDados(const QString& pasta, const QString& nome, const QStringList& scripts);

QByteArray lerFicheiro(const QString& caminho);
