#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <memory>
#include <optional>
#include <unordered_map>

#include "platform/bd/MotorBd.h"

// The statements one connection keeps prepared, by their text, to reuse for the same text.
class CacheDeInstrucoes {
  public:
    // Past this number the least used go first, so that statements written with their values
    // inline do not pile up.
    static constexpr std::size_t kMaximo = 64;

    struct Entrada {
        std::unique_ptr<Instrucao> instrucao;
        quint64 uso = 0;
        // The tables named after FROM and JOIN, once asked for.
        std::optional<QStringList> tabelas;
        // The defined size of each result column, by its name, once found; valid for the schema
        // generation it was found under.
        QHash<QString, int> tamanhos;
        quint64 geracaoDosTamanhos = 0;
    };

    // The statement kept for this text, marked as used; null when there is none.
    Entrada* procurar(const QString& sql);
    // Keeps a statement just prepared for this text, marked as used.
    Entrada& guardar(const QString& sql, std::unique_ptr<Instrucao> instrucao);
    // Every statement done with, so that an idle connection holds no read snapshot of the
    // database.
    void terminarTodas();
    // Lets every statement go, before their connection closes.
    void limpar();

  private:
    std::unordered_map<QString, Entrada> entradas_;
    quint64 usos_ = 0;
};
