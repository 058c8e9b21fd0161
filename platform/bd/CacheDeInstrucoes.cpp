#include "platform/bd/CacheDeInstrucoes.h"

#include <utility>

CacheDeInstrucoes::Entrada* CacheDeInstrucoes::procurar(const QString& sql) {
    const auto it = entradas_.find(sql);
    if (it == entradas_.end())
        return nullptr;
    it->second.uso = ++usos_;
    return &it->second;
}

CacheDeInstrucoes::Entrada& CacheDeInstrucoes::guardar(const QString& sql,
                                                       std::unique_ptr<Instrucao> instrucao) {
    if (entradas_.size() >= kMaximo) {
        auto menosUsada = entradas_.begin();
        for (auto p = entradas_.begin(); p != entradas_.end(); ++p)
            if (p->second.uso < menosUsada->second.uso)
                menosUsada = p;
        entradas_.erase(menosUsada);
    }
    Entrada& nova = entradas_[sql];
    nova.instrucao = std::move(instrucao);
    nova.uso = ++usos_;
    return nova;
}

void CacheDeInstrucoes::terminarTodas() {
    for (auto& [sql, entrada] : entradas_)
        entrada.instrucao->terminar();
}

void CacheDeInstrucoes::limpar() {
    entradas_.clear();
}
