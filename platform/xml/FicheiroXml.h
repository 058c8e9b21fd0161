#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "base/Falha.h"
#include "platform/xml/Codificacao.h"

// An element of a loaded file: its name as written (a prefix included), the text of its content
// (every piece of character data within it, its descendants' included, in document order, but
// for pieces of blanks only), and its child elements in order.
struct ElementoXml {
    QString nome;
    QString texto;
    QList<ElementoXml> filhos;
};

// Loading of the contact and order files, with the program's report of a file that does not
// load. Files are read in UTF-8 (with or without BOM), UTF-16 (with BOM, or recognisable
// without), and in ISO-8859-1, windows-1252 or ISO-8859-15 when their declaration says so.
class FicheiroXml {
  public:
    using Codificacao = CodificacaoDeTexto;

    // Error codes of the report (Falha's numbers); they stay as they are, users quote them.
    enum CodigoDeErro : int {
        NaoAbriu = Falha::FicheiroNaoAbriu,
        MalFormado = Falha::XmlMalFormado,
        CodificacaoErrada = Falha::CodificacaoErrada,
        CodificacaoDesconhecida = Falha::CodificacaoDesconhecida,
        ProfundidadeExcessiva = Falha::ProfundidadeExcessiva,
        NaoENormal = Falha::FicheiroNaoNormal,
        DemasiadoGrande = Falha::FicheiroDemasiadoGrande,
    };

    // One contact or one order is a few kilobytes; a file is read whole into memory, and one
    // larger than this is refused unread.
    static constexpr qint64 TamanhoMaximo = qint64{4} * 1024 * 1024;

    // The web files nest fewer than ten levels. A deeper document is refused as soon as the
    // reading finds it: some trees take time growing with the square of their depth.
    static constexpr int ProfundidadeMaxima = 64;

    struct Erro {
        int codigo = 0;
        QString razao;
        qint64 linha = 0;    // from 1; 0 when the file could not be read
        qint64 coluna = 0;   // characters of the line before the point of failure
        qint64 posicao = 0;  // characters of the file before the point of failure
        QString origem;      // the text of the offending line
        QString ficheiro;    // the file's path
        // The report shown to the user: "Erro ao abrir o ficheiro." and six aligned lines, the
        // last one naming the file; the three of the place of failure and the offending line
        // (quoted short) only when the file was read.
        QString relatorio() const;
    };

    // Reads and parses the file (a regular file, not through a link, of TamanhoMaximo bytes at
    // most); false with erro() filled when it does not load. With elementoMarcado, the first
    // element of that exact name is located in the text as well.
    bool carregar(const QString& caminho, const QString& elementoMarcado = {});
    // The file's bytes as they were read.
    const QByteArray& bytes() const { return bytes_; }
    // The bytes read with `substituidos` characters of texto() from `posicao` on replaced by
    // the text, encoded as the file is: every other byte stays as it was.
    QByteArray bytesCom(qint64 posicao, qint64 substituidos, const QString& texto) const;
    // Where the marked element starts (just after its start tag) and ends (just after its end
    // tag, or its "/>") in texto(), as the parser reports them: for an element that comes from
    // an entity's replacement text, positions after the reference. -1 when there is none.
    qint64 inicioDoMarcado() const { return inicioDoMarcado_; }
    qint64 fimDoMarcado() const { return fimDoMarcado_; }

    // The document's root element; null before a successful carregar.
    const ElementoXml* raiz() const { return raiz_ ? &*raiz_ : nullptr; }
    // The decoded text, without a byte-order mark.
    const QString& texto() const { return texto_; }
    const Erro& erro() const { return erro_; }
    // The first element of that exact name in document order, the root included; null if none.
    const ElementoXml* primeiroElemento(const QString& nome) const;

    // The text encoded as the file is (without a byte-order mark), characters the encoding
    // cannot hold becoming character references.
    QByteArray codificar(const QString& texto) const;

  private:
    // Reads the text into the tree in one pass, locating the marked element on the way. False,
    // with the report, when it is not well-formed or nests deeper than ProfundidadeMaxima.
    bool analisar(const QString& elementoMarcado);
    bool falhar(int codigo, const QString& razao, qint64 posicao);
    // Sets the encoding by the byte-order mark, which it takes off the bytes, by the look of
    // UTF-16 without one, or by the declaration. False when the declaration names an encoding
    // that is not supported.
    bool detectarCodificacao(QByteArray& bytes);
    // Decodes the bytes into the text, without a byte-order mark; false at bytes that are not
    // valid in the encoding.
    bool descodificar(const QByteArray& bytes);
    // Where the character at posicao of texto() starts in bytes_.
    qsizetype byteDoCaracter(qint64 posicao) const;

    std::optional<ElementoXml> raiz_;
    QByteArray bytes_;
    qsizetype prefixo_ = 0;  // bytes before the text's first character: byte-order marks
    QString texto_;
    Codificacao codificacao_ = Codificacao::Utf8;
    QString caminho_;
    Erro erro_;
    qint64 inicioDoMarcado_ = -1;
    qint64 fimDoMarcado_ = -1;
};

// Saves the bytes to the path atomically (the temporary file "." + name + ".tmp" in the same
// folder, then renamed over it). Raises Falha when it cannot; the old file, if any, is then left
// as it was.
void gravarFicheiroAtomicamente(const QString& caminho, const QByteArray& conteudo);
