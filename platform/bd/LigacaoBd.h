#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>

#include "platform/bd/CacheDeEsquema.h"
#include "platform/bd/CacheDeInstrucoes.h"
#include "platform/bd/MotorBd.h"

class Recordset;

// One open connection to a company database: its back end, the statements it keeps prepared and
// what it knows of the tables. clsBd runs its operations on one, LigacoesGuardadas keeps idle
// ones for reuse, and an updatable record set writes back through the one it was read from.
// Every operation raises Falha when it fails.
class LigacaoBd {
  public:
    // ficheiro: the embedded database's file; empty for a server.
    LigacaoBd(std::unique_ptr<MotorBd> motor, QString ficheiro);
    LigacaoBd(const LigacaoBd&) = delete;
    LigacaoBd& operator=(const LigacaoBd&) = delete;

    bool aberta() const { return motor_->aberta(); }
    DialectoSql dialecto() const { return motor_->dialecto(); }
    const QString& baseDeDados() const { return motor_->baseDeDados(); }
    void mudarBaseDeDados(const QString& baseDeDados) { motor_->mudarBaseDeDados(baseDeDados); }
    const QString& ficheiro() const { return ficheiro_; }
    bool emTransaccao() const { return emTransaccao_; }
    // Advanced each time the connection goes back to the pool or closes: what was opened
    // through an earlier use (an updatable record set) must not write through a later one.
    quint64 geracao() const { return geracao_; }

    // Fills rs with the rows, read-only; gives the tables the statement names after FROM and
    // JOIN.
    QStringList consultar(const QString& sql, Recordset& rs, const QVariantList& parametros);
    // Runs a statement; gives the number of rows it changed.
    int executar(const QString& sql, const QVariantList& parametros);
    // The columns of a table's primary key.
    QStringList chaveDaTabela(const QString& tabela) { return esquema_.chave(tabela); }

    void iniciarTransaccao();
    void confirmarTransaccao();
    void anularTransaccao();

    // Makes the connection fit to wait idle for its next use: its statements done with, so that
    // it holds no read snapshot of the database, and a transaction left open rolled back. False
    // when that transaction could not be rolled back: such a connection is closed instead.
    bool repousar();
    // Checks, before a new use, that the tables are defined as when it last looked.
    void confirmarEsquema();
    // Closes the connection for good, rolling back a transaction left open.
    void fechar();

  private:
    CacheDeInstrucoes::Entrada& preparar(const QString& sql, const QVariantList& parametros);

    // First, so that it goes last: the statements must be gone before their back end.
    std::unique_ptr<MotorBd> motor_;
    QString ficheiro_;
    CacheDeInstrucoes instrucoes_;
    CacheDeEsquema esquema_;
    bool emTransaccao_ = false;
    quint64 geracao_ = 0;
};
