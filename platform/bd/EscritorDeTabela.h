#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/bd/Recordset.h"

class LigacaoBd;

// Writes the rows of an updatable record set back to its table: a new row is inserted, a
// changed one updated by its primary key (by every column but binary ones when the table has
// none). It writes through the connection the rows were read from, and only while that
// connection is still in the same use. Raises Falha.
class EscritorDeTabela final : public RecordsetWriter {
  public:
    EscritorDeTabela(std::shared_ptr<LigacaoBd> ligacao, QString tabela);

    void insertRow(const QVector<RecordsetField>& campos, const QVector<QVariant>& valores,
                   const QVector<bool>& atribuidos) override;
    void updateRow(const QVector<RecordsetField>& campos, const QVector<QVariant>& valores,
                   const QVector<QVariant>& originais, const QVector<bool>& alterados) override;

  private:
    QString citar(const QString& coluna) const;
    int executar(const QString& sql, const QVariantList& parametros);

    std::shared_ptr<LigacaoBd> ligacao_;
    quint64 geracao_;
    QString tabela_;
    QStringList chave_;
};
