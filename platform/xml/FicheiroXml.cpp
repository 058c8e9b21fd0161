#include "platform/xml/FicheiroXml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>

#include "base/Citacao.h"
#include "base/Falha.h"
#include "platform/ficheiros/GravacaoAtomica.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "platform/xml/Codificacao.h"

QString FicheiroXml::Erro::relatorio() const {
    QString r = QStringLiteral("Erro ao abrir o ficheiro.\r\n");
    r += QStringLiteral("Erro           #: ") + QString::number(codigo) + QStringLiteral(": ") +
         razao;
    // The parser's reasons carry no line break of their own; each label keeps its line.
    if (!razao.endsWith(QLatin1Char('\n')))
        r += QStringLiteral("\r\n");
    // A file that could not be read has no place of failure to show.
    if (linha > 0) {
        r += QStringLiteral("Linha          #: ") + QString::number(linha) + QStringLiteral("\r\n");
        r +=
            QStringLiteral("Posição na linha: ") + QString::number(coluna) + QStringLiteral("\r\n");
        r += QStringLiteral("Posição ficheiro: ") + QString::number(posicao) +
             QStringLiteral("\r\n");
        r += QStringLiteral("Origem          : ") + origem + QStringLiteral("\r\n");
    }
    r += QStringLiteral("Ficheiro        : ") + ficheiro + QStringLiteral("\r\n");
    return r;
}

namespace {

// Start offsets of the lines of a text; CR LF, CR and LF each end a line, as the parser counts.
QList<qsizetype> iniciosDasLinhas(const QString& t) {
    QList<qsizetype> inicios{0};
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t.at(i) == QLatin1Char('\r') && i + 1 < t.size() && t.at(i + 1) == QLatin1Char('\n'))
            ++i;
        if (t.at(i) == QLatin1Char('\r') || t.at(i) == QLatin1Char('\n'))
            inicios.append(i + 1);
    }
    return inicios;
}

QString textoDaLinha(const QString& t, const QList<qsizetype>& inicios, qsizetype indice) {
    if (indice < 0 || indice >= inicios.size())
        return {};
    qsizetype fim = indice + 1 < inicios.size() ? inicios[indice + 1] : t.size();
    while (fim > inicios[indice] &&
           (t.at(fim - 1) == QLatin1Char('\n') || t.at(fim - 1) == QLatin1Char('\r')))
        --fim;
    return t.mid(inicios[indice], fim - inicios[indice]);
}

}  // namespace

bool FicheiroXml::falhar(int codigo, const QString& razao, qint64 posicao) {
    erro_ = Erro{};
    erro_.ficheiro = QDir::toNativeSeparators(caminho_);
    erro_.codigo = codigo;
    erro_.razao = razao;
    if (posicao >= 0) {
        const QList<qsizetype> inicios = iniciosDasLinhas(texto_);
        qsizetype linha = 0;
        while (linha + 1 < inicios.size() && inicios[linha + 1] <= posicao)
            ++linha;
        erro_.linha = linha + 1;
        erro_.coluna = posicao - inicios[linha];
        erro_.posicao = posicao;
        erro_.origem = citar(textoDaLinha(texto_, inicios, linha));
    }
    raiz_.reset();
    return false;
}

bool FicheiroXml::detectarCodificacao(QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
        prefixo_ = 3;
    } else if (bytes.startsWith("\xFF\xFE")) {
        codificacao_ = Codificacao::Utf16LE;
        bytes.remove(0, 2);
        prefixo_ = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        codificacao_ = Codificacao::Utf16BE;
        bytes.remove(0, 2);
        prefixo_ = 2;
    } else if (bytes.size() >= 2 && bytes[0] == '<' && bytes[1] == '\0') {
        codificacao_ = Codificacao::Utf16LE;
    } else if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] == '<') {
        codificacao_ = Codificacao::Utf16BE;
    } else {
        static const QRegularExpression declaracao(
            QStringLiteral(R"(^\s*<\?xml\s[^>]*?\bencoding\s*=\s*(["'])([^"']*)\1)"));
        const QRegularExpressionMatch m = declaracao.match(QString::fromLatin1(bytes.left(512)));
        if (m.hasMatch()) {
            const std::optional<Codificacao> c = codificacaoPeloNome(m.captured(2).trimmed());
            if (!c) {
                texto_ = QString::fromLatin1(bytes);
                return falhar(
                    CodificacaoDesconhecida,
                    QStringLiteral("Codificação não suportada: %1").arg(citar(m.captured(2), 40)),
                    m.capturedStart(2));
            }
            codificacao_ = *c;
        }
    }
    return true;
}

bool FicheiroXml::descodificar(const QByteArray& bytes) {
    switch (codificacao_) {
        case Codificacao::Utf8: {
            // A second byte-order mark stays a character here, to be counted below.
            QStringDecoder d(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
            texto_ = d.decode(bytes);
            if (const qsizetype mau = primeiroByteInvalidoUtf8(bytes); mau >= 0)
                return falhar(CodificacaoErrada, QStringLiteral("Conteúdo que não é UTF-8 válido"),
                              QString::fromUtf8(bytes.left(mau)).size() + 1);
            break;
        }
        case Codificacao::Utf16LE:
        case Codificacao::Utf16BE: {
            // A second byte-order mark stays a character here, to be counted below.
            QStringDecoder d(codificacao_ == Codificacao::Utf16LE ? QStringConverter::Utf16LE
                                                                  : QStringConverter::Utf16BE,
                             QStringConverter::Flag::ConvertInitialBom);
            texto_ = d.decode(bytes);
            if (d.hasError())
                return falhar(CodificacaoErrada, QStringLiteral("Conteúdo que não é UTF-16 válido"),
                              0);
            break;
        }
        case Codificacao::Latin1:
        case Codificacao::Windows1252:
        case Codificacao::Latin9: {
            texto_.resize(bytes.size());
            for (qsizetype i = 0; i < bytes.size(); ++i)
                texto_[i] =
                    QChar(caracterDe8Bits(static_cast<unsigned char>(bytes[i]), codificacao_));
            break;
        }
    }
    if (texto_.startsWith(QChar(0xFEFF))) {
        texto_.remove(0, 1);
        prefixo_ += codificacao_ == Codificacao::Utf8 ? 3 : 2;
    }
    return true;
}

qsizetype FicheiroXml::byteDoCaracter(qint64 posicao) const {
    switch (codificacao_) {
        case Codificacao::Utf16LE:
        case Codificacao::Utf16BE:
            return prefixo_ + 2 * qsizetype(posicao);
        case Codificacao::Latin1:
        case Codificacao::Windows1252:
        case Codificacao::Latin9:
            return prefixo_ + qsizetype(posicao);
        case Codificacao::Utf8:
            break;
    }
    // The text was decoded from valid UTF-8: a sequence of four bytes is two characters of the
    // text, any shorter one is one.
    qsizetype b = prefixo_;
    for (qint64 c = 0; c < posicao && b < bytes_.size(); ++c) {
        const auto lider = static_cast<unsigned char>(bytes_[b]);
        const int tamanho = lider < 0x80 ? 1 : lider < 0xE0 ? 2 : lider < 0xF0 ? 3 : 4;
        if (tamanho == 4)
            ++c;
        b += tamanho;
    }
    return b;
}

QByteArray FicheiroXml::bytesCom(qint64 posicao, qint64 substituidos, const QString& texto) const {
    const qsizetype inicio = byteDoCaracter(posicao);
    const qsizetype fim = byteDoCaracter(posicao + substituidos);
    return bytes_.left(inicio) + codificar(texto) + bytes_.mid(fim);
}

bool FicheiroXml::carregar(const QString& caminho, const QString& elementoMarcado) {
    inicioDoMarcado_ = fimDoMarcado_ = -1;
    raiz_.reset();
    texto_.clear();
    erro_ = Erro{};
    codificacao_ = Codificacao::Utf8;
    bytes_.clear();
    prefixo_ = 0;
    caminho_ = caminho;

    QByteArray bytes;
    try {
        bytes = lerFicheiroLimitado(caminho, TamanhoMaximo);
    } catch (const Falha& f) {
        const int codigo = f.numero() == Falha::FicheiroNaoNormal         ? NaoENormal
                           : f.numero() == Falha::FicheiroDemasiadoGrande ? DemasiadoGrande
                                                                          : NaoAbriu;
        return falhar(codigo, f.descricao(), -1);
    }
    bytes_ = bytes;
    if (!detectarCodificacao(bytes) || !descodificar(bytes))
        return false;

    return analisar(elementoMarcado);
}

namespace {

// The tree of a document as one pass of the reader builds it, by the rules the program has
// always read its files by: names as written, a document's prolog of declaration, document type
// (one), comments and processing instructions, and element content in which character data of
// blanks only is not text, and a reference to an entity the reader cannot resolve adds nothing.
class Arvore {
  public:
    Arvore(QXmlStreamReader& leitor, const QString& marcado) : leitor_(leitor), marcado_(marcado) {}

    // A reason when the text is not a document the tree can be built from; empty otherwise.
    QString construir(int profundidadeMaxima) {
        if (!prologo())
            return razao_;
        for (; !leitor_.atEnd() && !leitor_.hasError(); leitor_.readNext()) {
            if (!corpo(profundidadeMaxima))
                return razao_;
        }
        if (leitor_.hasError())
            return leitor_.errorString();
        if (!pilha_.empty())
            return QStringLiteral("Tag mismatch");
        return {};
    }

    bool demasiadoFundo() const { return demasiadoFundo_; }
    std::optional<ElementoXml>& raiz() { return raiz_; }
    qint64 inicioDoMarcado = -1;
    qint64 fimDoMarcado = -1;

  private:
    bool prologo() {
        bool comDtd = false;
        while (!leitor_.atEnd()) {
            leitor_.readNext();
            if (leitor_.hasError())
                return falhar(leitor_.errorString());
            switch (leitor_.tokenType()) {
                case QXmlStreamReader::StartDocument:
                case QXmlStreamReader::Comment:
                case QXmlStreamReader::ProcessingInstruction:
                    break;
                case QXmlStreamReader::DTD:
                    if (comDtd)
                        return falhar(QStringLiteral("Multiple DTD sections are not allowed"));
                    comDtd = true;
                    break;
                default:
                    return true;
            }
        }
        return true;
    }

    bool corpo(int profundidadeMaxima) {
        switch (leitor_.tokenType()) {
            case QXmlStreamReader::StartElement:
                if (int(pilha_.size()) >= profundidadeMaxima) {
                    demasiadoFundo_ = true;
                    return false;
                }
                pilha_.push_back(ElementoXml{leitor_.qualifiedName().toString(), {}, {}});
                if (inicioDoMarcado < 0 && !marcado_.isEmpty() &&
                    leitor_.qualifiedName() == marcado_) {
                    inicioDoMarcado = leitor_.characterOffset();
                    nivelDoMarcado_ = pilha_.size();
                }
                return true;
            case QXmlStreamReader::EndElement:
                return fechar();
            case QXmlStreamReader::Characters:
                // Character data of blanks only is layout, not text.
                if (!leitor_.isWhitespace() &&
                    (leitor_.isCDATA() || !leitor_.text().trimmed().isEmpty())) {
                    if (pilha_.empty())
                        return falhar(
                            QStringLiteral("Error occurred while processing the element content"));
                    for (ElementoXml& aberto : pilha_)
                        aberto.texto += leitor_.text();
                }
                return true;
            case QXmlStreamReader::Comment:
            case QXmlStreamReader::ProcessingInstruction:
            case QXmlStreamReader::EntityReference:
                return true;
            default:
                return falhar(QStringLiteral("Unexpected token"));
        }
    }

    bool fechar() {
        if (pilha_.empty() || leitor_.qualifiedName() != pilha_.back().nome)
            return falhar(
                QStringLiteral("Unexpected end element '%1'").arg(leitor_.name().toString()));
        if (pilha_.size() == nivelDoMarcado_ && fimDoMarcado < 0)
            fimDoMarcado = leitor_.characterOffset();
        ElementoXml feito = std::move(pilha_.back());
        pilha_.pop_back();
        if (pilha_.empty())
            raiz_ = std::move(feito);
        else
            pilha_.back().filhos.append(std::move(feito));
        return true;
    }

    bool falhar(const QString& razao) {
        razao_ = razao;
        return false;
    }

    QXmlStreamReader& leitor_;
    const QString& marcado_;
    std::vector<ElementoXml> pilha_;
    std::optional<ElementoXml> raiz_;
    std::size_t nivelDoMarcado_ = 0;
    bool demasiadoFundo_ = false;
    QString razao_;
};

}  // namespace

bool FicheiroXml::analisar(const QString& elementoMarcado) {
    // The text goes in already decoded, so the reader does not decode it again by the
    // declaration.
    QXmlStreamReader leitor(texto_);
    leitor.setNamespaceProcessing(false);
    Arvore arvore(leitor, elementoMarcado);
    const QString razao = arvore.construir(ProfundidadeMaxima);
    if (arvore.demasiadoFundo())
        return falhar(ProfundidadeExcessiva,
                      QStringLiteral("Elementos encaixados a mais de %1 níveis de profundidade")
                          .arg(ProfundidadeMaxima),
                      qMin<qint64>(leitor.characterOffset(), texto_.size()));
    if (!razao.isEmpty()) {
        const QList<qsizetype> inicios = iniciosDasLinhas(texto_);
        const qsizetype indice =
            qBound(qsizetype(0), qsizetype(leitor.lineNumber()) - 1, inicios.size() - 1);
        return falhar(MalFormado, citar(razao),
                      qMin<qsizetype>(inicios[indice] + leitor.columnNumber(), texto_.size()));
    }
    raiz_ = std::move(arvore.raiz());
    inicioDoMarcado_ = arvore.inicioDoMarcado;
    fimDoMarcado_ = arvore.fimDoMarcado;
    return true;
}

const ElementoXml* FicheiroXml::primeiroElemento(const QString& nome) const {
    // Depth first, in document order, stopping at the first match.
    const auto procurar = [&nome](const auto& eu, const ElementoXml& e) -> const ElementoXml* {
        if (e.nome == nome)
            return &e;
        for (const ElementoXml& filho : e.filhos)
            if (const ElementoXml* encontrado = eu(eu, filho))
                return encontrado;
        return nullptr;
    };
    return raiz_ ? procurar(procurar, *raiz_) : nullptr;
}

QByteArray FicheiroXml::codificar(const QString& texto) const {
    switch (codificacao_) {
        case Codificacao::Utf8:
            return texto.toUtf8();
        case Codificacao::Utf16LE:
        case Codificacao::Utf16BE: {
            const bool le = codificacao_ == Codificacao::Utf16LE;
            QStringEncoder e(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
            return QByteArray(e.encode(texto));
        }
        case Codificacao::Latin1:
        case Codificacao::Windows1252:
        case Codificacao::Latin9:
            break;
    }
    QByteArray r;
    r.reserve(texto.size());
    for (const char32_t u : texto.toUcs4()) {
        const int b = byteDe8Bits(u, codificacao_);
        if (b >= 0)
            r.append(char(b));
        else
            r.append("&#" + QByteArray::number(quint32(u)) + ';');
    }
    return r;
}

void gravarFicheiroAtomicamente(const QString& caminho, const QByteArray& conteudo) {
    QString porque;
    QFileDevice::FileError tipo = QFileDevice::NoError;
    if (gravarAtomicamente(caminho, conteudo, &porque, &tipo))
        return;
    int numero = Falha::ErroDeEscrita;
    const QFileInfo pasta(QFileInfo(caminho).absolutePath());
    if (const TipoDeEntrada t = tipoDeEntrada(caminho);
        t != TipoDeEntrada::NaoExiste && t != TipoDeEntrada::Ficheiro)
        numero = Falha::FicheiroNaoNormal;
    else if (!pasta.exists())
        numero = Falha::CaminhoNaoEncontrado;
    else if (tipo == QFileDevice::PermissionsError || !pasta.isWritable())
        numero = Falha::PermissaoNegada;
    throw Falha(numero, QStringLiteral("Não foi possível gravar o ficheiro %1 (%2)")
                            .arg(QDir::toNativeSeparators(caminho), porque));
}
