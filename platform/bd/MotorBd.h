#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

#include "platform/bd/SqlDialecto.h"

class QSqlError;
class Recordset;

// The defined size of a result column's text, from what the connection knows of its tables;
// 0 when it knows none.
using TamanhoDefinido = std::function<int(const QString& coluna)>;

// A statement a back end prepared, run again and again with other values. sql is the statement
// as the caller wrote it, which failures name. Raises Falha.
class Instrucao {
  public:
    Instrucao() = default;
    virtual ~Instrucao() = default;
    Instrucao(const Instrucao&) = delete;
    Instrucao& operator=(const Instrucao&) = delete;

    // Binds the values in the order of the placeholders and runs the statement.
    virtual void correr(const QVariantList& valores, const QString& sql) = 0;
    // Fills rs with the fields and rows of the statement just run.
    virtual void lerLinhas(Recordset& rs, const TamanhoDefinido& tamanhoDefinido,
                           const QString& sql) = 0;
    // Runs the statement just bound to its end; gives the number of rows it changed.
    virtual int linhasAlteradas(const QString& sql) = 0;
    // The first column of the first row as a whole number; -1 when there is no row.
    virtual qint64 primeiroInteiro(const QString& sql) = 0;
    // Done with, so that it holds no read snapshot of the database.
    virtual void terminar() = 0;
};

// One open connection to a database through one back end: the embedded SQLite database on
// sqlite3 itself (MotorSqlite), or Qt's SQL drivers through ODBC (MotorQtSql). Both open through
// Qt's SQL module, whose connection also answers what the tables are and rolls back. Every
// operation raises Falha when it fails.
class MotorBd {
  public:
    virtual ~MotorBd() = default;
    MotorBd(const MotorBd&) = delete;
    MotorBd& operator=(const MotorBd&) = delete;

    DialectoSql dialecto() const { return dialecto_; }
    // The database name the connection was opened for.
    const QString& baseDeDados() const { return baseDeDados_; }
    void mudarBaseDeDados(const QString& baseDeDados) { baseDeDados_ = baseDeDados; }
    bool aberta() const { return db().isOpen(); }

    // sql is the text to prepare (T-SQL, adapted here to the dialect); sqlOriginal names it in
    // failures.
    virtual std::unique_ptr<Instrucao> preparar(const QString& sql, const QString& sqlOriginal) = 0;

    virtual void iniciarTransaccao() = 0;
    virtual void confirmarTransaccao() = 0;
    void anularTransaccao();

    // The defined sizes of a table's text columns: column (lower case) -> characters.
    QHash<QString, int> tamanhosDasColunas(const QString& tabela) const;
    // The columns of a table's primary key.
    QStringList chavePrimaria(const QString& tabela) const;

    // Closes the connection, rolling back the transaction left open when there is one. The
    // statements it prepared must be gone.
    virtual void fechar(bool emTransaccao);

    [[noreturn]] void falhar(const QSqlError& erro, const QString& sql) const;

  protected:
    MotorBd(QString nome, QString baseDeDados, DialectoSql dialecto);

    // Opens a connection of Qt's SQL module under a name of its own; gives the name, or an empty
    // text with erro set.
    static QString abrirNoQt(const QString& controlador, const QString& nomeDaBase,
                             const QString& opcoes, QString& erro);
    QSqlDatabase db() const { return QSqlDatabase::database(nome_, false); }

  private:
    QString nome_;  // QSqlDatabase connection name
    QString baseDeDados_;
    DialectoSql dialecto_;
};
