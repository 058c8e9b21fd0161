#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

// A plain INI file: "[section]" and "key=value" lines. Sections and keys are kept as written and
// found without regard to case. The file is UTF-8 (with or without BOM) or, when it is not valid
// UTF-8, windows-1252, as the settings files of Windows programs are. Writing keeps the file's
// encoding and every byte but those of the values written: each line keeps its own end (CR LF,
// LF, CR, or none at the end of the file), and a new line takes the file's most common one. The
// file is replaced atomically.
class clsIni {
  public:
    void Ficheiro(const QString& caminho);
    const QString& Ficheiro() const { return caminho_; }

    // The value's text; empty when the file, the section or the key is absent.
    // Raises Falha when the file exists but cannot be read.
    QString LerValor(const QString& seccao, const QString& chave);

    // True when stored; the section and the key are created when absent. False, with the file
    // unchanged, when it cannot be read or written, or when the text holds a line break or a
    // character the file's encoding has not.
    bool GravarValor(const QString& seccao, const QString& chave, const QString& texto);

    struct Valor {
        QString seccao, chave, texto;
    };
    // Stores several values with one replacement of the file: all of them or none.
    bool GravarValores(const QList<Valor>& valores);

    // False when the text holds a character the file's encoding has not.
    bool PodeGuardar(const QString& texto);

    enum class Codificacao { Utf8, Windows1252 };
    // One line of the file: its text, its bytes as read (null for a line to be written anew)
    // and its end.
    struct Linha {
        QString texto;
        QByteArray bytes;
        QByteArray fim;
    };

  private:
    bool carregar();
    bool definir(QList<Linha>& linhas, const Valor& v) const;
    static int linhaDaChave(const QList<Linha>& linhas, const QString& seccao, const QString& chave,
                            int* fimDaSeccao);

    QString caminho_;
    QList<Linha> linhas_;
    // Where each key is in linhas_.
    std::shared_ptr<const QHash<QString, int>> indice_;
    bool carregado_ = false;
    Codificacao codificacao_ = Codificacao::Utf8;
    bool bom_ = false;
};
