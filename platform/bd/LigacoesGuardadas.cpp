#include "platform/bd/LigacoesGuardadas.h"

#include <utility>

#include "base/Falha.h"
#include "platform/bd/LigacaoBd.h"

LigacoesGuardadas::~LigacoesGuardadas() {
    fecharTodas();
}

std::shared_ptr<LigacaoBd> LigacoesGuardadas::tomar(
    const QString& ficheiro, const std::function<std::shared_ptr<LigacaoBd>()>& abrir) {
    EmUso& uso = emUso_[ficheiro];
    std::shared_ptr<LigacaoBd> ligacao = uso.ligacao.lock();
    if (!ligacao || !ligacao->aberta()) {
        uso = EmUso{};
        ligacao = retirar(ficheiro);
        if (!ligacao)
            ligacao = abrir();
        if (!ligacao) {
            emUso_.remove(ficheiro);
            return nullptr;
        }
        uso.ligacao = ligacao;
    }
    ++uso.utilizadores;
    return ligacao;
}

bool LigacoesGuardadas::devolver(const std::shared_ptr<LigacaoBd>& ligacao) {
    const auto uso = emUso_.find(ligacao->ficheiro());
    if (uso != emUso_.end() && uso->ligacao.lock() == ligacao) {
        if (--uso->utilizadores > 0)
            return true;
        emUso_.erase(uso);
    }
    return guardar(ligacao);
}

std::shared_ptr<LigacaoBd> LigacoesGuardadas::retirar(const QString& ficheiro) {
    auto livres = livres_.find(ficheiro);
    while (livres != livres_.end() && !livres->isEmpty()) {
        std::shared_ptr<LigacaoBd> guardada = livres->takeLast();
        if (!guardada->aberta()) {
            guardada->fechar();
            continue;
        }
        // One that cannot tell its schema version is closed: a new one opens in its place.
        try {
            guardada->confirmarEsquema();
        } catch (const Falha&) {
            guardada->fechar();
            continue;
        }
        return guardada;
    }
    return nullptr;
}

bool LigacoesGuardadas::guardar(const std::shared_ptr<LigacaoBd>& ligacao) {
    if (ligacao->ficheiro().isEmpty() || !ligacao->aberta())
        return false;
    QList<std::shared_ptr<LigacaoBd>>& livres = livres_[ligacao->ficheiro()];
    if (livres.size() >= kPorFicheiro || !ligacao->repousar())
        return false;
    livres.append(ligacao);
    return true;
}

void LigacoesGuardadas::fecharTodas() {
    emUso_.clear();
    const auto livres = std::exchange(livres_, {});
    for (const auto& lista : livres)
        for (const std::shared_ptr<LigacaoBd>& ligacao : lista)
            ligacao->fechar();
}
