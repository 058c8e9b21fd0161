#include "orders/EncNext.h"

#include "base/Falha.h"
#include "settings/Parametros.h"
#include "support/ServicosDaExecucao.h"

namespace {

// The accounting system's switches for suggesting a line's values.
void sugerirValores(DocumentoComercial& oDoc, DocumentosGCLin& linha) {
    oDoc.SugereValoresLin(linha, true, true, true, false, true, false, true);
}

QString textoDe(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

}  // namespace

EncNext::EncNext(const Parametros& parametros, FabricaDeContabilidade& contabilidade,
                 const Relogio& relogio, QObject* parent)
    : QObject(parent), parametros_(parametros), contabilidade_(contabilidade), relogio_(relogio) {}

EncNext::~EncNext() = default;

void EncNext::LerLigacao() {
    percursoNext_ = parametros_.Pasta(parametros_.Next_PercursoNext);
    percursoLog_ = parametros_.Pasta(parametros_.Next_PercursoLog);
    utilizador_ = parametros_.Next_Utilizador;
    password_ = parametros_.Next_Password;
    codigoNext_ = parametros_.LerValor(numeroEmpresa_, QStringLiteral("CodigoNext"));
}

bool EncNext::LigarAoNext() {
    LerLigacao();
    oNext_.reset();
    oNext_ = contabilidade_.NovoClsNext();
    oNext_->Modo(Api::Modo);
    emit Evolucao(QStringLiteral("Abrir ligação ao Next"));
    if (oNext_->AbrirEmpresa(percursoNext_, percursoLog_, codigoNext_, utilizador_, password_)) {
        emit Evolucao(QStringLiteral("Ligação Sage 100c(V2022) com sucesso"));
        return true;
    }
    const QString texto = QStringLiteral("Não foi possivel ligar ao Sage 100c(V2022)");
    emit Evolucao(texto);
    emit Erros(texto);
    return false;
}

std::unique_ptr<ObjectoApi> EncNext::CreateSageApiObject(const QString& sObjectName) {
    if (!oNext_)
        throw Falha(Falha::ObjectoNaoDefinido, QStringLiteral("Não há ligação ao Next"));
    return oNext_->CriarObjecto(sObjectName);
}

bool EncNext::desligarDoNext() {
    if (!oNext_)
        return false;
    oNext_->FecharEmpresa();
    oNext_.reset();
    return true;
}

void EncNext::LerDocumento() {
    const auto ler = [this](const char* chave) {
        return parametros_.LerValor(numeroEmpresa_, QString::fromLatin1(chave));
    };
    tipoDoc_ = ler("Tipo Doc");
    sector_ = ler("Sector");
    const QString serie = ler("Serie");
    artPortes_ = ler("ARTPORTES");
    armazem_ = ler("Armazem");
    bool ok = false;
    serie_ = serie.trimmed().toShort(&ok);
    if (!ok)
        throw Falha(Falha::TipoIncompativel,
                    QStringLiteral("A série '%1' da empresa %2 não é um número")
                        .arg(serie, numeroEmpresa_));
}

void EncNext::reportar(const QString& funcao, int numero, const QString& descricao) {
    const QString texto = TextoDoErro(numero, descricao, funcao, QStringLiteral("EncNext"));
    emit Evolucao(texto);
    emit Erros(texto);
}

void EncNext::definirAutEco(const QString& sTpDoc, clsBd& bd, qint16 valor) {
    // Codes compare as on the accounting server, without regard to case; a type that is not
    // there changes nothing.
    bd.Executar(QStringLiteral("UPDATE TpDoc SET AutEco = ? WHERE UPPER(Codigo) = UPPER(?)"),
                {valor, sTpDoc});
}

void EncNext::MartelaTpDoc(const QString& sTpDoc, clsBd& bd) {
    definirAutEco(sTpDoc, bd, Api::AutEcoLigado);
}

void EncNext::DesMartelaTpDoc(const QString& sTpDoc, clsBd& bd) {
    definirAutEco(sTpDoc, bd, Api::AutEcoDesligado);
}

void EncNext::VerificaPack(const QString& sArt, qint16 iLinha, Moeda cQtd, DocumentoComercial& oDoc,
                           clsBd& bd) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("Select * from vek_Packs WITH (NOLOCK) where Codigo=?"), rs,
                     {sArt});
    if (rs.eof())
        return;
    bd.AbrirConsulta(QStringLiteral(" Select * from OperaFac WITH (NOLOCK) where Artigo=?"), rs,
                     {sArt});
    for (; !rs.eof(); rs.moveNext()) {
        const Moeda quantidade = Moeda::daColuna(rs.value(QStringLiteral("Quantida")),
                                                 QStringLiteral("OperaFac.Quantida")) *
                                 cQtd;
        auto linha = objectoComo<DocumentosGCLin>(CreateSageApiObject(Api::ClasseLinha));
        linha->TipoDeLinha(Api::LinhaDeArtigo);
        linha->Artigo(textoDe(rs.value(QStringLiteral("Factor"))));
        linha->Armazem(armazem_);
        sugerirValores(oDoc, *linha);
        linha->PrecoUnitario(Moeda());
        linha->Quantidade(quantidade);
        linha->QuantidadeOrigem(quantidade);
        linha->TaxaDesconto(Moeda());
        linha->Desconto(0);
        linha->linharelacionada(iLinha);
        linha->EcoTaxaProcessada(false);
        oDoc.AdicionaLinha(*linha);
    }
}

// One row of RsLinha. The line bills what the web order says: an article, a quantity and a
// price are required, and an absent discount is none (0, and an empty text), never the one the
// accounting system would suggest. Only an absent description keeps the article's own.
void EncNext::adicionarLinhaDeArtigo(DocumentoComercial& oDoc, clsBd& bd) {
    Recordset& rs = *rsLinha_;
    const QString artigo = textoDe(rs.value(QStringLiteral("Artigo")));
    const auto exigir = [&](const QString& campo, const QString& falta) {
        QVariant v = rs.value(campo);
        if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty()))
            throw Falha(Falha::UsoInvalidoDeNulo,
                        QStringLiteral("A linha %1 da encomenda (artigo %2) "
                                       "não tem %3")
                            .arg(rs.position() + 1)
                            .arg(artigo, falta));
        return v;
    };
    exigir(QStringLiteral("Artigo"), QStringLiteral("artigo"));
    const Moeda quantidade = Moeda::daColuna(
        exigir(QStringLiteral("Qtd"), QStringLiteral("quantidade")), QStringLiteral("Qtd"));
    const Moeda preco = Moeda::daColuna(exigir(QStringLiteral("Preço"), QStringLiteral("preço")),
                                        QStringLiteral("Preço"));

    auto linha = objectoComo<DocumentosGCLin>(CreateSageApiObject(Api::ClasseLinha));
    linha->TipoDeLinha(Api::LinhaDeArtigo);
    linha->Artigo(artigo);
    linha->Armazem(armazem_);
    sugerirValores(oDoc, *linha);
    const QVariant descricao = rs.value(QStringLiteral("Descrição"));
    if (!descricao.isNull())
        linha->Descricao(descricao.toString());
    linha->PrecoUnitario(preco);
    linha->Quantidade(quantidade);
    linha->QuantidadeOrigem(quantidade);
    const QVariant desconto = rs.value(QStringLiteral("Desconto"));
    linha->TaxaDesconto(desconto.isNull() ? Moeda()
                                          : Moeda::daColuna(desconto, QStringLiteral("Desconto")));
    const QVariant descontoTxt = rs.value(QStringLiteral("DescontoTXT"));
    linha->Desconto(descontoTxt.isNull() ? QStringLiteral("") : descontoTxt.toString());
    linha->EcoTaxaProcessada(false);
    oDoc.AdicionaLinha(*linha);
    const qint16 numero = linha->NumeroDaLinha();
    linha.reset();
    VerificaPack(artigo, numero, quantidade, oDoc, bd);
}

std::unique_ptr<DocumentoComercial> EncNext::construirDocumento(clsBd& bd) {
    auto oDoc = objectoComo<DocumentoComercial>(CreateSageApiObject(Api::ClasseDocumento));
    CabecalhoDocumento& cab = oDoc->Cab();
    const QDate hoje = relogio_.agora().date();
    cab.TipoDocumento(tipoDoc_.toUpper());
    cab.Sector(sector_.toUpper());
    cab.Serie(serie_);
    cab.Terceiro(codigoCliente_);
    cab.Moeda(QStringLiteral("EUR"));
    cab.Ano(qint16(hoje.year()));
    cab.AreaGestao(Api::AreaGestao);
    cab.TipoTerceiro(Api::TipoTerceiro);
    cab.TipoPreco(Api::TipoPreco);
    cab.Data(hoje.toString(QStringLiteral("dd-MM-yyyy")));
    oDoc->Validar();
    cab.Processo(QStringLiteral("Web ") + idencomenda_);
    cab.Observacoes(observacoes_);

    if (rsLinha_ && rsLinha_->recordCount() > 0) {
        for (rsLinha_->moveFirst(); !rsLinha_->eof(); rsLinha_->moveNext())
            adicionarLinhaDeArtigo(*oDoc, bd);
    }
    const Moeda um = Moeda::deInteiro(1);
    if (portes_ > Moeda()) {
        auto linha = oNext_->NovaLinha();
        linha->TipoDeLinha(Api::LinhaDePortes);
        linha->Artigo(artPortes_);
        sugerirValores(*oDoc, *linha);
        linha->PrecoUnitario(portes_);
        linha->Quantidade(um);
        linha->QuantidadeOrigem(um);
        oDoc->AdicionaLinha(*linha);
    }
    if (voucher_.abs() > Moeda()) {
        auto linha = oNext_->NovaLinha();
        linha->TipoDeLinha(Api::LinhaDeArtigo);
        linha->Artigo(QString());
        sugerirValores(*oDoc, *linha);
        linha->Descricao(QStringLiteral("Voucher no valor de ") + voucher_.abs().paraTexto() +
                         QStringLiteral(" €"));
        linha->PrecoUnitario(Moeda());
        linha->Quantidade(um);
        linha->QuantidadeOrigem(um);
        oDoc->AdicionaLinha(*linha);
    }

    oDoc->origem(Api::Origem);
    oNext_->Opcao(Api::Opcao);
    oDoc->Validar();
    return oDoc;
}

bool EncNext::construirEInserir(QString& OutTipoDoc, qint16& OutSerie, qint16& OutAno,
                                qint32& outNumero, clsBd& bd) {
    const std::unique_ptr<DocumentoComercial> oDoc = construirDocumento(bd);
    CabecalhoDocumento& cab = oDoc->Cab();
    if (oDoc->Inserir() != Api::Inserido) {
        const QString texto =
            QStringLiteral("Erro ao gravar a encomenda ") + oDoc->UltimaMensagem();
        emit Evolucao(texto);
        emit Erros(texto);
        return false;
    }
    OutTipoDoc = cab.TipoDocumento();
    OutSerie = cab.Serie();
    OutAno = cab.Ano();
    outNumero = cab.NossoNoDocumento();
    emit Evolucao(QStringLiteral("Encomenda:") + cab.TipoDocumento() + QLatin1Char('/') +
                  QString::number(cab.Serie()) + QLatin1Char('/') +
                  QString::number(cab.NossoNoDocumento()) + QLatin1Char('/') +
                  QString::number(cab.Ano()));
    return true;
}

bool EncNext::GravarEncomenda(QString& OutTipoDoc, qint16& OutSerie, qint16& OutAno,
                              qint32& outNumero, const QString& inNomeFicheiro,
                              BasesDasEmpresas& bases, const QString& Empresa) {
    Q_UNUSED(inNomeFicheiro);
    OutTipoDoc.clear();
    OutSerie = 0;
    OutAno = 0;
    outNumero = 0;

    const auto reportar = [this](int numero, const QString& descricao) {
        this->reportar(QStringLiteral("GravarEncomenda"), numero, descricao);
    };

    bool inserido = false;
    clsBd* martelada = nullptr;  // the database whose document type has its flag on
    QString tipoMartelado;
    try {
        clsBd& bd = bases.BaseDaEmpresa(Empresa);
        LerDocumento();
        tipoMartelado = tipoDoc_;
        martelada = &bd;
        MartelaTpDoc(tipoMartelado, bd);
        emit Evolucao(QStringLiteral("Inicio da gravação da encomenda"));
        inserido = construirEInserir(OutTipoDoc, OutSerie, OutAno, outNumero, bd);
    } catch (const Falha& f) {
        reportar(f.numero(), f.descricao());
    } catch (const std::exception& e) {
        reportar(Falha::ErroInterno, QString::fromLocal8Bit(e.what()));
    }
    if (!inserido) {
        OutTipoDoc.clear();
        OutSerie = 0;
        OutAno = 0;
        outNumero = 0;
    }
    if (martelada) {
        // Whatever happened, the flag goes off; a document already inserted stays so.
        try {
            DesMartelaTpDoc(tipoMartelado, *martelada);
        } catch (const Falha& f) {
            reportar(f.numero(), f.descricao());
        }
    }
    return inserido;
}

bool EncNext::ValidarEncomenda(BasesDasEmpresas& bases, const QString& Empresa, QString& porque) {
    clsBd& bd = bases.BaseDaEmpresa(Empresa);
    LerDocumento();
    const std::unique_ptr<DocumentoComercial> oDoc = construirDocumento(bd);
    if (oDoc->Validar())
        return true;
    porque = oDoc->UltimaMensagem();
    return false;
}

bool EncNext::DesMartelaTpDocDaEmpresa(BasesDasEmpresas& bases, const QString& Empresa) {
    try {
        clsBd& bd = bases.BaseDaEmpresa(Empresa);
        LerDocumento();
        DesMartelaTpDoc(tipoDoc_, bd);
        return true;
    } catch (const Falha& f) {
        reportar(QStringLiteral("DesMartelaTpDocDaEmpresa"), f.numero(), f.descricao());
    } catch (const std::exception& e) {
        reportar(QStringLiteral("DesMartelaTpDocDaEmpresa"), Falha::ErroInterno,
                 QString::fromLocal8Bit(e.what()));
    }
    return false;
}

QVector<IdentidadeDocumento> EncNext::DocumentosDaEncomenda() {
    if (!oNext_)
        throw Falha(Falha::ObjectoNaoDefinido,
                    QStringLiteral("A ligação à contabilidade não está aberta"));
    return oNext_->DocumentosPorProcesso(QStringLiteral("Web ") + idencomenda_);
}
