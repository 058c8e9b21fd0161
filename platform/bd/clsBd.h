#pragma once

#include <QString>
#include <QVariantList>
#include <memory>

#include "platform/bd/Recordset.h"
#include "platform/bd/SqlDialecto.h"

class LigacaoBd;
class LigacoesGuardadas;

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

    // True when the connection is open. With guardadas, an embedded database is taken from the
    // connections kept there, and given back to them when this one is done with it.
    bool Ligar(const QString& stringLigacao, LigacoesGuardadas* guardadas = nullptr);
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

  private:
    LigacaoBd& ligacaoAberta();

    std::shared_ptr<LigacaoBd> ligacao_;
    LigacoesGuardadas* guardadas_ = nullptr;
    QString ultimoErro_;
};
