#pragma once

#include <memory>

#include "platform/bd/MotorBd.h"

struct sqlite3;

// The embedded database: a SQLite file opened through Qt's SQLite driver, whose connection its
// statements use directly: the same rows and values Qt's driver gives, without its bookkeeping
// for every bound value.
class MotorSqlite final : public MotorBd {
  public:
    // Opens the database file, which must exist; null with erro set when it does not open.
    // soLeitura: the connection refuses every write and leaves the file as it is.
    static std::unique_ptr<MotorBd> abrir(const QString& ficheiro, const QString& baseDeDados,
                                          QString& erro, bool soLeitura = false);

    MotorSqlite(QString nome, QString baseDeDados, sqlite3* sqlite);
    ~MotorSqlite() override;
    MotorSqlite(const MotorSqlite&) = delete;
    MotorSqlite& operator=(const MotorSqlite&) = delete;

    std::unique_ptr<Instrucao> preparar(const QString& sql, const QString& sqlOriginal) override;
    void iniciarTransaccao() override;
    void confirmarTransaccao() override;
    void fechar(bool emTransaccao) override;

    sqlite3* sqlite() const { return sqlite_; }
    // A failure with sqlite3's last message and what was being done.
    [[noreturn]] void falharSqlite(const char* oQue, const QString& sql) const;

  private:
    void correrTransaccao(std::unique_ptr<Instrucao>& instrucao, const QString& sql);

    sqlite3* sqlite_;
    // The embedded database keeps its BEGIN and COMMIT prepared like any other statement.
    std::unique_ptr<Instrucao> inicio_;
    std::unique_ptr<Instrucao> confirmacao_;
};
