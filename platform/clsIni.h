#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

// A plain INI file: "[section]" and "key=value" lines, UTF-8. Sections and keys are kept as
// written and found without regard to case. Writing a value keeps every other line of the
// file in place and replaces the file atomically.
class clsIni {
  public:
    void Ficheiro(const QString& caminho);
    const QString& Ficheiro() const { return caminho_; }

    // The value's text; empty when the file, the section or the key is absent.
    // Raises Falha when the file exists but cannot be read.
    QString LerValor(const QString& seccao, const QString& chave);

    // True when stored; the section and the key are created when absent.
    bool GravarValor(const QString& seccao, const QString& chave, const QString& texto);

    struct Valor {
        QString seccao, chave, texto;
    };
    // Stores several values with one replacement of the file: all of them or none.
    bool GravarValores(const QList<Valor>& valores);

    // While one of these lives on a thread, a file read there is kept, and read again only when
    // it changes on disk: a run reads the same settings for every item it handles.
    class Memoria {
      public:
        Memoria();
        ~Memoria();
        Memoria(const Memoria&) = delete;
        Memoria& operator=(const Memoria&) = delete;
    };

  private:
    bool carregar();
    bool definir(QStringList& linhas, const Valor& v) const;
    static int linhaDaChave(const QStringList& linhas, const QString& seccao, const QString& chave,
                            int* fimDaSeccao);

    QString caminho_;
    QStringList linhas_;
    // Where each key is in linhas_, for a file kept by a Memoria.
    std::shared_ptr<const QHash<QString, int>> indice_;
    bool carregado_ = false;
    bool crlf_ = false;
    bool bom_ = false;
};
