#include "orders/xmlEncomenda.h"

#include <QDir>
#include <QLocale>
#include <limits>
#include <optional>
#include <utility>

#include "base/Citacao.h"
#include "base/Falha.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "platform/xml/EscritaXml.h"
#include "platform/xml/FicheiroXml.h"
#include "support/DataRegional.h"

namespace {

const QString campoArtigo = QStringLiteral("Artigo");
const QString campoDescricao = QStringLiteral("Descrição");
const QString campoQtd = QStringLiteral("Qtd");
const QString campoPreco = QStringLiteral("Preço");
const QString campoDesconto = QStringLiteral("Desconto");
const QString campoDescontoTXT = QStringLiteral("DescontoTXT");

// The element of a LINHA that fills each field, and whether it holds an amount.
struct CampoDaLinha {
    const char* elemento;
    const QString* campo;
    bool montante;
};

const CampoDaLinha camposDaLinha[] = {
    {"CODIGO", &campoArtigo, false},    {"NOME", &campoDescricao, false},
    {"QUANTIDADE", &campoQtd, true},    {"PRECO", &campoPreco, true},
    {"DESCONTO", &campoDesconto, true}, {"DESCONTOTXT", &campoDescontoTXT, false},
};

// The header elements taken as they stand, and the member each fills.
const std::pair<const char*, QString xmlEncomenda::*> textosDoCabecalho[] = {
    {"IDCLIENTE", &xmlEncomenda::IdCliente},
    {"CODEMPRESA", &xmlEncomenda::CodEmpresa},
    {"OBS", &xmlEncomenda::Observacoes},
};

// The header elements that hold an amount, and the member each fills.
const std::pair<const char*, Moeda xmlEncomenda::*> montantesDoCabecalho[] = {
    {"SUBTOTAL", &xmlEncomenda::SubTotal}, {"ECOVALOR", &xmlEncomenda::EcoValor},
    {"PORTES", &xmlEncomenda::Portes},     {"TOTAL", &xmlEncomenda::Total},
    {"VOUCHER", &xmlEncomenda::voucher},   {"TOTALFINAL", &xmlEncomenda::TotalFinal},
};

// How an amount that does not read exactly is refused: the element and the text, and what the
// regional settings make of it.
QString montanteRecusado(const LeituraDeMontante& leitura, const QString& texto,
                         const QString& elemento) {
    const QLocale regiao;
    if (leitura.estado == LeituraDeMontante::Ambiguo)
        return QStringLiteral(
                   "O montante \"%1\" do elemento %2 é ambíguo: pelas definições "
                   "regionais (%3) lê-se %4, mas também se lê %5")
            .arg(citar(texto), elemento, regiao.name(), leitura.valor.paraTexto(regiao),
                 leitura.outroValor.paraTexto(regiao));
    return QStringLiteral(
               "O montante \"%1\" do elemento %2 não é um número pelas definições "
               "regionais (%3)")
        .arg(citar(texto), elemento, regiao.name());
}

// The order number a text gives: a whole number within 32 bits read as amounts are, or none.
std::optional<qint32> numeroInteiro(const QString& texto) {
    const LeituraDeMontante n = Moeda::lerExacto(texto);
    const qint64 v = n.valor.dezMilesimos();
    if (n.estado != LeituraDeMontante::Lido || v % Moeda::Escala != 0 ||
        v / Moeda::Escala > std::numeric_limits<qint32>::max() ||
        v / Moeda::Escala < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return qint32(v / Moeda::Escala);
}

using LugarDoBloco = xmlEncomenda::LugarDoBloco;

// Null when there is no ENC, or when the first one is not written in the text itself but comes
// from an entity's replacement text (the reader then reports the position after the reference).
std::optional<LugarDoBloco> lugarDoBloco(const FicheiroXml& ficheiro) {
    const QString& texto = ficheiro.texto();
    const qint64 inicioDeEnc = ficheiro.inicioDoMarcado();
    const qint64 fimDeEnc = ficheiro.fimDoMarcado();
    if (inicioDeEnc < 0 || fimDeEnc < 0)
        return std::nullopt;
    if (fimDeEnc == inicioDeEnc && texto.mid(fimDeEnc - 2, 2) == QLatin1String("/>"))
        return LugarDoBloco{fimDeEnc - 2, true};
    const qsizetype etiquetaFinal = texto.lastIndexOf(QLatin1String("</"), fimDeEnc - 1);
    if (etiquetaFinal < inicioDeEnc || !QStringView(texto).mid(etiquetaFinal).startsWith(u"</ENC"))
        return std::nullopt;
    return LugarDoBloco{etiquetaFinal, false};
}

}  // namespace

xmlEncomenda::xmlEncomenda() {
    inicializarRs();
}

void xmlEncomenda::inicializarRs() {
    Recordset rs;
    rs.appendField(campoArtigo, FieldType::Text, 15);
    rs.appendField(campoDescricao, FieldType::Text, 80);
    rs.appendField(campoQtd, FieldType::Currency);
    rs.appendField(campoPreco, FieldType::Currency);
    rs.appendField(campoDesconto, FieldType::Currency);
    rs.appendField(campoDescontoTXT, FieldType::Text, 25);
    rs.open();
    RsLinha = std::make_shared<Recordset>(std::move(rs));
}

bool xmlEncomenda::GetEncomenda() {
    return LerEncomenda();
}

bool xmlEncomenda::falhar(const QString& razao) {
    UltimoErro = razao;
    return false;
}

std::optional<Moeda> xmlEncomenda::TextoParaMoeda(const QString& texto, const QString& elemento,
                                                  bool vazioEZero, QString& problema) {
    if (texto.trimmed().isEmpty()) {
        if (vazioEZero)
            return Moeda();
        if (problema.isEmpty())
            problema = QStringLiteral("O elemento %1 está vazio").arg(elemento);
        return std::nullopt;
    }
    const LeituraDeMontante leitura = Moeda::lerExacto(texto);
    if (leitura.estado == LeituraDeMontante::Lido)
        return leitura.valor;
    if (problema.isEmpty())
        problema = montanteRecusado(leitura, texto, elemento);
    return std::nullopt;
}

bool xmlEncomenda::carregar() {
    auto ficheiro = std::make_shared<FicheiroXml>();
    lido_.reset();
    if (!ficheiro->carregar(FicheiroXML, QStringLiteral("ENC")))
        return falhar(ficheiro->erro().relatorio());
    lido_ = std::move(ficheiro);
    lidoDe_ = FicheiroXML;
    return true;
}

void xmlEncomenda::limparEncomenda() {
    IdCliente.clear();
    CodEmpresa.clear();
    Contacto = false;
    Data = QDateTime();
    Idencomenda = 0;
    Observacoes.clear();
    SubTotal = EcoValor = Portes = Total = voucher = TotalFinal = Moeda();
    inicializarRs();
}

void xmlEncomenda::lerValorDoCabecalho(const QString& nome, const QString& texto,
                                       QString& problema) {
    for (const auto& [elemento, membro] : textosDoCabecalho)
        if (nome == QLatin1String(elemento))
            this->*membro = texto;
    for (const auto& [elemento, membro] : montantesDoCabecalho)
        if (nome == QLatin1String(elemento))
            this->*membro = TextoParaMoeda(texto, nome, true, problema).value_or(Moeda());
}

bool xmlEncomenda::LerEncomenda() {
    UltimoErro.clear();
    JaGravada = false;
    Gravados.clear();

    if (!carregar())
        return false;
    const FicheiroXml& ficheiro = *lido_;
    limparEncomenda();

    const ElementoXml* enc = ficheiro.primeiroElemento(QStringLiteral("ENC"));
    if (!enc)
        return falhar(QStringLiteral("O ficheiro %1 não tem o elemento ENC")
                          .arg(QDir::toNativeSeparators(FicheiroXML)));
    // An order whose file could not be marked afterwards (ActualizarXML) would be written again
    // at the next run.
    lugarLido_ = lugarDoBloco(ficheiro);
    if (!lugarLido_)
        return falhar(QStringLiteral("O elemento ENC do ficheiro %1 vem de uma entidade e não "
                                     "do próprio texto; a encomenda não poderia ser marcada "
                                     "como gravada")
                          .arg(QDir::toNativeSeparators(FicheiroXML)));

    int numeroDaLinha = 0;
    bool temNumero = false;
    std::optional<QString> prospect;
    QString problema;  // the first value the document could not be written with
    for (const ElementoXml& e : enc->filhos) {
        const QString nome = e.nome.toUpper();
        if (nome == QLatin1String("FLAGPROSPECT")) {
            prospect = e.texto.trimmed();
        } else if (nome == QLatin1String("DATA")) {
            const std::optional<QDateTime> data = lerDataRegional(e.texto);
            if (!data)
                return falhar(
                    QStringLiteral("O elemento DATA (\"%1\") não é uma data").arg(citar(e.texto)));
            Data = *data;
        } else if (nome == QLatin1String("IDENCOMENDA")) {
            const std::optional<qint32> numero = numeroInteiro(e.texto);
            if (!numero)
                return falhar(QStringLiteral("O elemento IDENCOMENDA (\"%1\") não é um número "
                                             "inteiro")
                                  .arg(citar(e.texto)));
            Idencomenda = *numero;
            temNumero = true;
        } else if (nome == QLatin1String("LINHAS")) {
            for (const ElementoXml& l : e.filhos)
                if (l.nome.toUpper() == QLatin1String("LINHA") &&
                    !lerLinha(l, ++numeroDaLinha, problema))
                    return false;
        } else if (nome == QLatin1String("IDENCSAGE")) {
            lerBloco(e);
        } else {
            lerValorDoCabecalho(nome, e.texto, problema);
        }
    }
    // Without its number an order cannot be told from another, nor found in the accounting.
    if (!temNumero)
        return falhar(QStringLiteral("Falta o elemento IDENCOMENDA (o número da encomenda)"));
    // Whose order it is decides the customer: never a guess.
    if (!prospect)
        return falhar(
            QStringLiteral("Falta o elemento FLAGPROSPECT (1: o cliente é um contacto "
                           "por converter; 0: é um cliente)"));
    if (*prospect != QLatin1String("0") && *prospect != QLatin1String("1"))
        return falhar(
            QStringLiteral("O elemento FLAGPROSPECT (\"%1\") não é 0 nem 1").arg(citar(*prospect)));
    Contacto = *prospect == QLatin1String("1");
    // A document bills what the customer ordered and was charged, never an amount the program
    // guessed or what the accounting would suggest in its place; a file already written is only
    // checked and moved.
    if (!JaGravada && !problema.isEmpty())
        return falhar(problema);
    RsLinha->moveFirst();
    return true;
}

void xmlEncomenda::lerBloco(const ElementoXml& bloco) {
    JaGravada = true;
    DocumentoDoFicheiro d;
    for (const ElementoXml& e : bloco.filhos) {
        const QString nome = e.nome.toUpper();
        const QString texto = e.texto.trimmed();
        // A number that does not read names no document: the block then matches none.
        if (nome == QLatin1String("TPDOC"))
            d.Documento.TipoDocumento = e.texto;
        else if (nome == QLatin1String("NNUMDOC"))
            d.Documento.Numero = texto.toInt();
        else if (nome == QLatin1String("SERIE"))
            d.Documento.Serie = texto.toShort();
        else if (nome == QLatin1String("ANO"))
            d.Documento.Ano = texto.toShort();
        else if (nome == QLatin1String("IDCLIENTE"))
            d.IdCliente = e.texto;
        else if (nome == QLatin1String("ID_UNICO"))
            d.Id_Unico = e.texto;
    }
    Gravados.append(d);
}

bool xmlEncomenda::lerLinha(const ElementoXml& linha, int numero, QString& problema) {
    RsLinha->addNew();
    for (const ElementoXml& e : linha.filhos) {
        const QString nome = e.nome.toUpper();
        for (const CampoDaLinha& c : camposDaLinha) {
            if (nome != QLatin1String(c.elemento))
                continue;
            const QString texto = e.texto;
            if (c.montante) {
                // A quantity or a price is billed: it is never empty. An empty discount is none.
                const bool vazioEZero = c.campo == &campoDesconto;
                const QString onde = QStringLiteral("%1 da linha %2").arg(nome).arg(numero);
                if (const std::optional<Moeda> m =
                        TextoParaMoeda(texto, onde, vazioEZero, problema))
                    RsLinha->setValue(*c.campo, QVariant::fromValue(*m));
                else
                    RsLinha->setValue(*c.campo, QVariant());
            } else if (const int tamanho = RsLinha->definedSize(*c.campo); texto.size() > tamanho) {
                return falhar(
                    QStringLiteral("O elemento %1 da linha %2 (\"%3\") tem %4 caracteres; "
                                   "o campo %5 tem no máximo %6")
                        .arg(nome)
                        .arg(numero)
                        .arg(citar(texto))
                        .arg(texto.size())
                        .arg(*c.campo)
                        .arg(tamanho));
            } else {
                RsLinha->setValue(*c.campo, texto);
            }
            break;
        }
    }
    RsLinha->update();
    if (!problema.isEmpty())
        return true;
    const QVariant artigo = RsLinha->value(campoArtigo);
    if (artigo.isNull())
        problema = QStringLiteral("A linha %1 não tem o elemento CODIGO (o artigo)").arg(numero);
    else if (artigo.toString().isEmpty())
        problema = QStringLiteral("O elemento CODIGO da linha %1 está vazio").arg(numero);
    else if (RsLinha->value(campoQtd).isNull())
        problema = QStringLiteral("A linha %1 (artigo %2) não tem o elemento QUANTIDADE")
                       .arg(numero)
                       .arg(artigo.toString());
    else if (RsLinha->value(campoPreco).isNull())
        problema = QStringLiteral("A linha %1 (artigo %2) não tem o elemento PRECO")
                       .arg(numero)
                       .arg(artigo.toString());
    return true;
}

bool xmlEncomenda::ActualizarXML(const QString& TipoDoc, qint32 Numerodoc, qint16 Serie, qint16 Ano,
                                 const QString& novocliente, const QString& Id_Guid) {
    UltimoErro.clear();
    std::shared_ptr<const FicheiroXml> lido = std::exchange(lido_, nullptr);
    std::optional<LugarDoBloco> lugar = lugarLido_;
    if (!lido || lidoDe_ != FicheiroXML) {
        // Not read by this object: the file as it is now.
        auto agora = std::make_shared<FicheiroXml>();
        if (!agora->carregar(FicheiroXML, QStringLiteral("ENC")))
            return falhar(agora->erro().relatorio());
        lugar = lugarDoBloco(*agora);
        lido = std::move(agora);
    } else {
        // The document was made from the file as it was read: only that content is marked.
        try {
            if (lerFicheiroLimitado(FicheiroXML, FicheiroXml::TamanhoMaximo) != lido->bytes())
                return falhar(QStringLiteral("o ficheiro %1 mudou depois de ter sido lido, e o "
                                             "documento foi feito do que tinha antes")
                                  .arg(QDir::toNativeSeparators(FicheiroXML)));
        } catch (const Falha& f) {
            return falhar(f.descricao());
        }
    }
    if (!lido->primeiroElemento(QStringLiteral("ENC")) || !lugar)
        return falhar(QStringLiteral("O ficheiro %1 não tem o elemento ENC")
                          .arg(QDir::toNativeSeparators(FicheiroXML)));

    QString bloco = QStringLiteral("<IDENCSAGE>");
    juntarElementoXml(bloco, QLatin1String("TPDOC"), TipoDoc);
    juntarElementoXml(bloco, QLatin1String("NNUMDOC"), QString::number(Numerodoc));
    juntarElementoXml(bloco, QLatin1String("SERIE"), QString::number(Serie));
    juntarElementoXml(bloco, QLatin1String("ANO"), QString::number(Ano));
    if (!novocliente.isEmpty()) {
        juntarElementoXml(bloco, QLatin1String("IDCLIENTE"), novocliente);
        juntarElementoXml(bloco, QLatin1String("Id_Unico"), Id_Guid);
    }
    bloco += QStringLiteral("</IDENCSAGE>");

    // The block goes in among the bytes as they were read, so that everything else in the file
    // (layout, attribute order, declaration, byte-order marks, encoding) stays exactly so.
    const QByteArray novo =
        lugar->encVazio
            ? lido->bytesCom(lugar->posicao, 2, QLatin1Char('>') + bloco + QStringLiteral("</ENC>"))
            : lido->bytesCom(lugar->posicao, 0, bloco);
    try {
        gravarFicheiroAtomicamente(FicheiroXML, novo);
    } catch (const Falha& f) {
        return falhar(f.descricao());
    }
    return true;
}
