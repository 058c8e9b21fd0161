#include "accounting/embutida/DocumentoEmbutido.h"

#include <QDateTime>
#include <QSet>
#include <QVector>

#include "platform/bd/Recordset.h"
#include "platform/bd/Transaccao.h"

namespace {

using Empresa = EmpresaEmbutida;

QVariant valorDaColuna(Moeda m) {
    return m.paraDouble();
}

class LinhaEmbutida : public DocumentosGCLin {
  public:
    QString NomeDaClasse() const override { return Api::ClasseLinha; }

    void TipoDeLinha(qint16 valor) override { tipoDeLinha_ = valor; }
    qint16 TipoDeLinha() const override { return tipoDeLinha_; }
    void Artigo(const QString& valor) override { artigo_ = valor; }
    QString Artigo() const override { return artigo_; }
    void Armazem(const QString& valor) override { armazem_ = valor; }
    QString Armazem() const override { return armazem_; }
    void Descricao(const QString& valor) override { descricao_ = valor; }
    QString Descricao() const override { return descricao_; }
    void PrecoUnitario(Moeda valor) override { precoUnitario_ = valor; }
    Moeda PrecoUnitario() const override { return precoUnitario_; }
    void Quantidade(Moeda valor) override { quantidade_ = valor; }
    Moeda Quantidade() const override { return quantidade_; }
    void QuantidadeOrigem(Moeda valor) override { quantidadeOrigem_ = valor; }
    Moeda QuantidadeOrigem() const override { return quantidadeOrigem_; }
    void TaxaDesconto(Moeda valor) override { taxaDesconto_ = valor; }
    Moeda TaxaDesconto() const override { return taxaDesconto_; }
    void Desconto(const QVariant& valor) override { desconto_ = valor; }
    QVariant Desconto() const override { return desconto_; }
    void EcoTaxaProcessada(bool valor) override { ecoTaxaProcessada_ = valor; }
    bool EcoTaxaProcessada() const override { return ecoTaxaProcessada_; }
    void linharelacionada(qint16 valor) override { linhaRelacionada_ = valor; }
    qint16 linharelacionada() const override { return linhaRelacionada_; }
    qint16 NumeroDaLinha() const override { return numeroDaLinha_; }

    QString Unidade() const { return unidade_; }
    void Unidade(const QString& valor) { unidade_ = valor; }
    void NumeroDaLinha(qint16 valor) { numeroDaLinha_ = valor; }

  private:
    qint16 tipoDeLinha_ = 1;
    QString artigo_, armazem_, descricao_, unidade_;
    Moeda precoUnitario_, quantidade_, quantidadeOrigem_, taxaDesconto_;
    QVariant desconto_ = 0;
    bool ecoTaxaProcessada_ = false;
    qint16 linhaRelacionada_ = 0;
    qint16 numeroDaLinha_ = 0;
};

class CabecalhoEmbutido : public CabecalhoDocumento {
  public:
    void TipoDocumento(const QString& valor) override { tipoDocumento_ = valor; }
    QString TipoDocumento() const override { return tipoDocumento_; }
    void Sector(const QString& valor) override { sector_ = valor; }
    QString Sector() const override { return sector_; }
    void Serie(qint16 valor) override { serie_ = valor; }
    qint16 Serie() const override { return serie_; }
    void Terceiro(const QString& valor) override { terceiro_ = valor; }
    QString Terceiro() const override { return terceiro_; }
    void Moeda(const QString& valor) override { moeda_ = valor; }
    QString Moeda() const override { return moeda_; }
    void Ano(qint16 valor) override { ano_ = valor; }
    qint16 Ano() const override { return ano_; }
    void AreaGestao(qint16 valor) override { areaGestao_ = valor; }
    qint16 AreaGestao() const override { return areaGestao_; }
    void TipoTerceiro(qint16 valor) override { tipoTerceiro_ = valor; }
    qint16 TipoTerceiro() const override { return tipoTerceiro_; }
    void TipoPreco(qint16 valor) override { tipoPreco_ = valor; }
    qint16 TipoPreco() const override { return tipoPreco_; }
    void Data(const QString& valor) override { data_ = valor; }
    QString Data() const override { return data_; }
    void Processo(const QString& valor) override { processo_ = valor; }
    QString Processo() const override { return processo_; }
    void Observacoes(const QString& valor) override { observacoes_ = valor; }
    QString Observacoes() const override { return observacoes_; }
    qint32 NossoNoDocumento() const override { return numero_; }

    void NossoNoDocumento(qint32 valor) { numero_ = valor; }

  private:
    QString tipoDocumento_, sector_, terceiro_, moeda_, data_, processo_, observacoes_;
    qint16 serie_ = 0, ano_ = 0, areaGestao_ = 0, tipoTerceiro_ = 0, tipoPreco_ = 0;
    qint32 numero_ = 0;
};

// A line as the document holds it once added.
struct LinhaGuardada {
    qint16 numero = 0;
    qint16 tipoDeLinha = 0;
    QString artigo, armazem, descricao, unidade;
    Moeda quantidade, quantidadeOrigem, precoUnitario, taxaDesconto;
    QString desconto;
    bool ecoTaxaProcessada = false;
    qint16 linhaRelacionada = 0;
};

class DocumentoEmbutido : public DocumentoComercial {
  public:
    explicit DocumentoEmbutido(std::shared_ptr<Empresa> empresa) : empresa_(std::move(empresa)) {}

    QString NomeDaClasse() const override { return Api::ClasseDocumento; }
    CabecalhoDocumento& Cab() override { return cab_; }

    bool Validar() override {
        ultimaMensagem_ = motivoDeRecusa();
        return ultimaMensagem_.isEmpty();
    }

    void SugereValoresLin(DocumentosGCLin& linha, bool, bool, bool, bool, bool, bool,
                          bool) override {
        empresa_->exigirAberta();
        Recordset rs;
        empresa_->bd.AbrirConsulta(
            QStringLiteral(
                "SELECT Descricao, PrecoUnitario, Unidade FROM ct_Artigos WHERE Codigo = ?"),
            rs, {linha.Artigo()});
        if (rs.eof())
            return;
        artigosConhecidos_.insert(linha.Artigo());
        linha.Descricao(rs.value(0).toString());
        // Kept as numeric(18,4): SQLite hands it back as a whole or floating number.
        if (!rs.value(1).isNull())
            linha.PrecoUnitario(Moeda::daColuna(
                rs.value(1),
                QStringLiteral("ct_Artigos.PrecoUnitario do artigo %1").arg(linha.Artigo())));
        if (auto* propria = dynamic_cast<LinhaEmbutida*>(&linha))
            propria->Unidade(rs.value(2).toString());
    }

    qint32 AdicionaLinha(DocumentosGCLin& linha) override {
        auto* propria = dynamic_cast<LinhaEmbutida*>(&linha);
        if (!propria)
            throw Falha(Falha::TipoIncompativel,
                        QStringLiteral("A linha não foi criada por esta contabilidade"));
        if (linhas_.size() >= 32767)
            throw Falha(Falha::ErroDaContabilidade,
                        QStringLiteral("O documento não pode ter mais linhas"));
        LinhaGuardada g;
        g.numero = qint16(linhas_.size() + 1);
        g.tipoDeLinha = linha.TipoDeLinha();
        g.artigo = linha.Artigo();
        g.armazem = linha.Armazem();
        g.descricao = linha.Descricao();
        g.unidade = propria->Unidade();
        g.quantidade = linha.Quantidade();
        g.quantidadeOrigem = linha.QuantidadeOrigem();
        g.precoUnitario = linha.PrecoUnitario();
        g.taxaDesconto = linha.TaxaDesconto();
        g.desconto = linha.Desconto().toString();
        g.ecoTaxaProcessada = linha.EcoTaxaProcessada();
        g.linhaRelacionada = linha.linharelacionada();
        linhas_.append(g);
        propria->NumeroDaLinha(g.numero);
        return g.numero;
    }

    void origem(qint32 valor) override { origem_ = valor; }
    qint32 origem() const override { return origem_; }

    qint32 Inserir() override {
        try {
            ultimaMensagem_ = motivoDeRecusa();
        } catch (const Falha& f) {
            ultimaMensagem_ =
                QStringLiteral("Não foi possível validar o documento: ") + f.descricao();
        }
        if (!ultimaMensagem_.isEmpty()) {
            if (empresa_->aberta())
                empresa_->registar(QStringLiteral("Documento recusado: ") + ultimaMensagem_);
            return 1;
        }
        // The accounting system's own way of saying that a document was not inserted: a result
        // and its last message.
        try {
            Transaccao transaccao(empresa_->bd);
            gravar(empresa_->bd);
            transaccao.Confirmar();
        } catch (const Falha& f) {
            cab_.NossoNoDocumento(0);
            ultimaMensagem_ =
                QStringLiteral("Não foi possível gravar o documento: ") + f.descricao();
            empresa_->registar(ultimaMensagem_);
            return 2;
        }
        inserido_ = true;
        empresa_->registar(QStringLiteral("Documento %1 %2/%3/%4 inserido (%5), %6 linhas")
                               .arg(cab_.TipoDocumento())
                               .arg(cab_.Serie())
                               .arg(cab_.NossoNoDocumento())
                               .arg(cab_.Ano())
                               .arg(cab_.Processo())
                               .arg(linhas_.size()));
        return 0;
    }

    QString UltimaMensagem() const override { return ultimaMensagem_; }

  private:
    // Why the document cannot be inserted; empty when it can.
    QString motivoDeRecusa() {
        if (!empresa_->aberta())
            return QStringLiteral("A empresa não está aberta");
        if (inserido_)
            return QStringLiteral("O documento já foi inserido com o número %1")
                .arg(cab_.NossoNoDocumento());
        clsBd& bd = empresa_->bd;
        Recordset rs;
        // The type and the customer found for this document are looked up again only when the
        // header names others, as the articles are.
        if (tipoPedido_.isNull() || tipoPedido_ != cab_.TipoDocumento()) {
            tipoPedido_.clear();
            bd.AbrirConsulta(
                QStringLiteral("SELECT Codigo FROM TpDoc WHERE UPPER(Codigo) = UPPER(?)"), rs,
                {cab_.TipoDocumento()});
            if (rs.eof())
                return QStringLiteral("O tipo de documento '%1' não existe")
                    .arg(cab_.TipoDocumento());
            tipoDoDocumento_ = rs.value(0).toString();
            tipoPedido_ = cab_.TipoDocumento();
        }
        if (clienteConhecido_.isNull() || clienteConhecido_ != cab_.Terceiro()) {
            clienteConhecido_.clear();
            // A trial run checks a prospect's document against the template customer, which
            // the customer it would make is a copy of.
            bd.AbrirConsulta(QStringLiteral("SELECT NUMERO FROM CLIENTES WHERE CODIGO = ? AND "
                                            "(NUMERO <> -1 OR ?)"),
                             rs, {cab_.Terceiro(), empresa_->sessao->soLeitura()});
            if (rs.eof())
                return QStringLiteral("O terceiro '%1' não é um cliente").arg(cab_.Terceiro());
            clienteConhecido_ = cab_.Terceiro();
        }
        if (cab_.Serie() <= 0)
            return QStringLiteral("A série %1 não é válida").arg(cab_.Serie());
        if (cab_.Ano() <= 0)
            return QStringLiteral("O ano %1 não é válido").arg(cab_.Ano());
        if (linhas_.isEmpty())
            return QStringLiteral("O documento não tem linhas");
        for (const LinhaGuardada& l : linhas_) {
            if (l.tipoDeLinha != Api::LinhaDeArtigo && l.tipoDeLinha != Api::LinhaDePortes)
                return QStringLiteral("Linha %1: o tipo de linha %2 não é válido")
                    .arg(l.numero)
                    .arg(l.tipoDeLinha);
            // A line of type 1 without an article is a text line (a voucher, for instance).
            if (l.tipoDeLinha == Api::LinhaDeArtigo && l.artigo.isEmpty())
                continue;
            if (l.artigo.isEmpty())
                return QStringLiteral("Linha %1: a linha de portes não tem artigo").arg(l.numero);
            if (artigosConhecidos_.contains(l.artigo))
                continue;
            bd.AbrirConsulta(QStringLiteral("SELECT Codigo FROM ct_Artigos WHERE Codigo = ?"), rs,
                             {l.artigo});
            if (rs.eof())
                return QStringLiteral("Linha %1: o artigo '%2' não existe")
                    .arg(l.numero)
                    .arg(l.artigo);
            artigosConhecidos_.insert(l.artigo);
        }
        return {};
    }

    void gravar(clsBd& bd) {
        const QVariantList chaveDoNumerador = {tipoDoDocumento_, cab_.Serie(), cab_.Ano()};
        // Numbered and stored in one statement, so the number is taken under the write lock.
        bd.Executar(
            QStringLiteral(
                "INSERT INTO ct_Documentos (TipoDocumento, Serie, Ano, Numero, Sector, Terceiro, "
                "TipoTerceiro, AreaGestao, TipoPreco, Moeda, Data, Processo, Observacoes, Origem, "
                "Utilizador, GravadoEm) "
                "SELECT ?, ?, ?, COALESCE(MAX(Numero), 0) + 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ? "
                "FROM ct_Documentos WHERE TipoDocumento = ? AND Serie = ? AND Ano = ?"),
            QVariantList(chaveDoNumerador)
                << cab_.Sector() << cab_.Terceiro() << cab_.TipoTerceiro() << cab_.AreaGestao()
                << cab_.TipoPreco() << cab_.Moeda() << cab_.Data() << cab_.Processo()
                << cab_.Observacoes() << origem_ << empresa_->utilizador
                << empresa_->sessao->relogio.agora().toString(Qt::ISODate) << chaveDoNumerador);
        Recordset rs;
        bd.AbrirConsulta(QStringLiteral("SELECT MAX(Numero) FROM ct_Documentos "
                                        "WHERE TipoDocumento = ? AND Serie = ? AND Ano = ?"),
                         rs, chaveDoNumerador);
        const qint32 numero = rs.value(0).toInt();
        for (const LinhaGuardada& l : linhas_) {
            bd.Executar(
                QStringLiteral(
                    "INSERT INTO ct_LinhasDocumento (TipoDocumento, Serie, Ano, Numero, "
                    "NumeroDaLinha, TipoDeLinha, Artigo, Armazem, Descricao, Unidade, Quantidade, "
                    "QuantidadeOrigem, PrecoUnitario, TaxaDesconto, Desconto, EcoTaxaProcessada, "
                    "LinhaRelacionada) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                QVariantList(chaveDoNumerador)
                    << numero << l.numero << l.tipoDeLinha << l.artigo << l.armazem << l.descricao
                    << l.unidade << valorDaColuna(l.quantidade) << valorDaColuna(l.quantidadeOrigem)
                    << valorDaColuna(l.precoUnitario) << valorDaColuna(l.taxaDesconto) << l.desconto
                    << (l.ecoTaxaProcessada ? -1 : 0) << l.linhaRelacionada);
        }
        cab_.TipoDocumento(tipoDoDocumento_);
        cab_.NossoNoDocumento(numero);
    }

    std::shared_ptr<Empresa> empresa_;
    CabecalhoEmbutido cab_;
    QVector<LinhaGuardada> linhas_;
    // Articles already found in ct_Artigos for this document: checked once, not per validation.
    QSet<QString> artigosConhecidos_;
    QString tipoDoDocumento_;
    QString tipoPedido_;        // the header's type that tipoDoDocumento_ was found for
    QString clienteConhecido_;  // the header's customer, once found
    QString ultimaMensagem_;
    qint32 origem_ = 0;
    bool inserido_ = false;
};

}  // namespace

std::unique_ptr<DocumentosGCLin> novaLinhaEmbutida() {
    return std::make_unique<LinhaEmbutida>();
}

std::unique_ptr<DocumentoComercial> novoDocumentoEmbutido(
    std::shared_ptr<EmpresaEmbutida> empresa) {
    return std::make_unique<DocumentoEmbutido>(std::move(empresa));
}
