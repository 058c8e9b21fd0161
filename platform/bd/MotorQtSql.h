#pragma once

#include <memory>

#include "platform/bd/MotorBd.h"

// A database reached through Qt's SQL drivers: SQL Server through ODBC with the FreeTDS driver,
// or whatever an ODBC connection string names. SQLite reached that way speaks its own dialect.
class MotorQtSql final : public MotorBd {
  public:
    // servidor: a SQL Server host, or an ODBC connection string (holding "=") in which
    // "{NomeSQL}" stands for the database name. Null with erro set when it does not open.
    static std::unique_ptr<MotorBd> abrirOdbc(const QString& servidor, const QString& baseDeDados,
                                              const QString& utilizador, const QString& password,
                                              QString& erro);

    MotorQtSql(QString nome, QString baseDeDados, DialectoSql dialecto);

    std::unique_ptr<Instrucao> preparar(const QString& sql, const QString& sqlOriginal) override;
    void iniciarTransaccao() override;
    void confirmarTransaccao() override;
};
