#include "platform/bd/EscritorDeTabela.h"

#include <utility>

#include "base/Falha.h"
#include "platform/bd/LigacaoBd.h"
#include "platform/bd/SqlDialecto.h"

EscritorDeTabela::EscritorDeTabela(std::shared_ptr<LigacaoBd> ligacao, QString tabela)
    : ligacao_(std::move(ligacao)),
      geracao_(ligacao_->geracao()),
      tabela_(std::move(tabela)),
      chave_(ligacao_->chaveDaTabela(tabela_)) {}

void EscritorDeTabela::insertRow(const QVector<RecordsetField>& campos,
                                 const QVector<QVariant>& valores,
                                 const QVector<bool>& atribuidos) {
    QStringList colunas, marcas;
    QVariantList parametros;
    for (int i = 0; i < campos.size(); ++i) {
        if (!atribuidos[i])
            continue;
        colunas << citar(campos[i].name);
        marcas << QStringLiteral("?");
        parametros << valores[i];
    }
    const QString sql = colunas.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(tabela_)
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(tabela_, colunas.join(QStringLiteral(", ")),
                                       marcas.join(QStringLiteral(", ")));
    executar(sql, parametros);
}

void EscritorDeTabela::updateRow(const QVector<RecordsetField>& campos,
                                 const QVector<QVariant>& valores,
                                 const QVector<QVariant>& originais,
                                 const QVector<bool>& alterados) {
    QStringList atribuicoes, condicoes;
    QVariantList parametros;
    for (int i = 0; i < campos.size(); ++i) {
        if (!alterados[i])
            continue;
        atribuicoes << citar(campos[i].name) + QStringLiteral(" = ?");
        parametros << valores[i];
    }
    for (int i = 0; i < campos.size(); ++i) {
        const bool eChave = chave_.isEmpty() ? campos[i].type != FieldType::Binary
                                             : chave_.contains(campos[i].name, Qt::CaseInsensitive);
        if (!eChave)
            continue;
        if (originais[i].isNull()) {
            condicoes << citar(campos[i].name) + QStringLiteral(" IS NULL");
        } else {
            condicoes << citar(campos[i].name) + QStringLiteral(" = ?");
            parametros << originais[i];
        }
    }
    if (condicoes.isEmpty())
        throw Falha(
            Falha::ErroDeBaseDeDados,
            QStringLiteral("A tabela %1 não tem chave para actualizar o registo").arg(tabela_));
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                            .arg(tabela_, atribuicoes.join(QStringLiteral(", ")),
                                 condicoes.join(QStringLiteral(" AND ")));
    if (executar(sql, parametros) < 1)
        throw Falha(
            Falha::ErroDeBaseDeDados,
            QStringLiteral("O registo de %1 foi alterado ou apagado entretanto").arg(tabela_));
}

QString EscritorDeTabela::citar(const QString& coluna) const {
    return citarNome(coluna, ligacao_->dialecto());
}

int EscritorDeTabela::executar(const QString& sql, const QVariantList& parametros) {
    if (ligacao_->geracao() != geracao_ || !ligacao_->aberta())
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("A ligação à base de dados está fechada"));
    return ligacao_->executar(sql, parametros);
}
