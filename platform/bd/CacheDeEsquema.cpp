#include "platform/bd/CacheDeEsquema.h"

#include "platform/bd/MotorBd.h"

const QHash<QString, int>& CacheDeEsquema::tamanhos(const QString& tabela) {
    const QString chave = tabela.toLower();
    auto it = tamanhos_.find(chave);
    if (it == tamanhos_.end())
        it = tamanhos_.insert(chave, motor_.tamanhosDasColunas(tabela));
    return it.value();
}

const QStringList& CacheDeEsquema::chave(const QString& tabela) {
    const QString nomeDaTabela = tabela.toLower();
    auto it = chaves_.find(nomeDaTabela);
    if (it == chaves_.end())
        it = chaves_.insert(nomeDaTabela, motor_.chavePrimaria(tabela));
    return it.value();
}

void CacheDeEsquema::confirmarVersao(qint64 versao) {
    if (versao == versao_)
        return;
    tamanhos_.clear();
    chaves_.clear();
    versao_ = versao;
    ++geracao_;
}
