#pragma once

#include <QString>
#include <QVariantList>
#include <memory>

#include "platform/Recordset.h"
#include "platform/SqlDialecto.h"

class LigacaoBd;

// One connection to a company database. The server setting decides which database:
//  - a folder that exists: the embedded SQLite file <folder>/<database>.db, which must exist;
//  - a text holding "=": an ODBC connection string, in which "{NomeSQL}" stands for the
//    database name (for example "DRIVER={SQLite3};Database=/srv/marelo/{NomeSQL}.db");
//  - anything else: a SQL Server host, reached through ODBC with the FreeTDS driver.
// Statements are T-SQL; values from files and users are bound as parameters ("?").
// Every operation but Ligar raises Falha when it fails.
class clsBd {
  public:
    using Dialecto = DialectoSql;

    clsBd();
    ~clsBd();
    clsBd(const clsBd&) = delete;
    clsBd& operator=(const clsBd&) = delete;

    // True when the connection is open.
    bool Ligar(const QString& stringLigacao);
    bool Ligado() const;
    Dialecto dialecto() const;
    // The database name the connection was opened for.
    QString BaseDeDados() const;
    // Why the last Ligar failed.
    QString UltimoErro() const { return ultimoErro_; }

    // Fills rs with the rows, read-only.
    void AbrirConsulta(const QString& sql, Recordset& rs, const QVariantList& parametros = {});
    // Fills rs with the rows of one table, updatable: addNew / setValue / update write back.
    void AbrirEdicao(const QString& sql, Recordset& rs, const QVariantList& parametros = {});
    // Runs a statement; gives the number of rows it changed.
    int Executar(const QString& sql, const QVariantList& parametros = {});

    void IniciarTransaccao();
    void ConfirmarTransaccao();
    void AnularTransaccao();
    bool EmTransaccao() const;

    void Desligar();

    // While one of these lives on a thread, the embedded connections that thread closes stay
    // open, idle, and the next Ligar of the same database file takes one back with its prepared
    // statements: a run opens the same two or three databases thousands of times, and closing
    // the last connection to a WAL database checkpoints and removes its log every time. They
    // close for good when the last Reserva of the thread ends.
    class Reserva {
      public:
        Reserva();
        ~Reserva();
        Reserva(const Reserva&) = delete;
        Reserva& operator=(const Reserva&) = delete;
    };

  private:
    LigacaoBd& ligacaoAberta();

    std::shared_ptr<LigacaoBd> ligacao_;
    QString ultimoErro_;
};
