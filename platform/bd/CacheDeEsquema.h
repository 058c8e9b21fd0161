#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class MotorBd;

// What one connection knows of its tables, asked of its back end once per table: the defined
// sizes of text columns and the primary keys.
class CacheDeEsquema {
  public:
    explicit CacheDeEsquema(const MotorBd& motor) : motor_(motor) {}

    // column (lower case) -> defined size
    const QHash<QString, int>& tamanhos(const QString& tabela);
    // primary key columns
    const QStringList& chave(const QString& tabela);
    // What is known is kept only while the tables' definitions stay as they were: forgotten
    // when the schema version is not the one it was read under.
    void confirmarVersao(qint64 versao);
    // Advanced each time what was known is forgotten: what was derived from it goes too.
    quint64 geracao() const { return geracao_; }

  private:
    const MotorBd& motor_;
    qint64 versao_ = -1;
    quint64 geracao_ = 1;
    // table (lower case) -> column (lower case) -> defined size
    QHash<QString, QHash<QString, int>> tamanhos_;
    // table (lower case) -> primary key columns
    QHash<QString, QStringList> chaves_;
};
