#pragma once

#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

#include "base/Falha.h"
#include "base/Moeda.h"
#include "base/Relogio.h"

class LigacoesGuardadas;

// The accounting system as the order writer reaches it: a connection that opens one company and
// creates API objects by class name, the commercial document with its header, and the document
// line. Setters and getters carry the member's own name. Every member that fails raises Falha.

// The values the program passes to the accounting system, by name; what each one means belongs
// to the accounting system.
namespace Api {
// The class names of the objects the connection creates.
inline const QString ClasseDocumento = QStringLiteral("SageApiNextPlus.DocumentoComercial");
inline const QString ClasseLinha = QStringLiteral("SageApiNextPlus.DocumentosGCLin");
inline constexpr qint32 Modo = 3;    // set right after the connection is made
inline constexpr qint32 Opcao = 0;   // set before a document's final validation and insertion
inline constexpr qint32 Origem = 3;  // the document's origem
inline constexpr qint16 AreaGestao = 2;
inline constexpr qint16 TipoTerceiro = 2;
inline constexpr qint16 TipoPreco = 0;
inline constexpr qint16 LinhaDeArtigo = 1;  // article, pack component and voucher lines
inline constexpr qint16 LinhaDePortes = 2;  // the shipping line
inline constexpr qint32 Inserido = 0;       // Inserir's result for a document inserted
// The document type's "AutEco" (TpDoc): the accounting adds the eco-tax lines itself while on.
inline constexpr qint16 AutEcoLigado = -1;
inline constexpr qint16 AutEcoDesligado = 0;
}  // namespace Api

// Any object the connection creates by class name.
class ObjectoApi {
  public:
    virtual ~ObjectoApi() = default;
    virtual QString NomeDaClasse() const = 0;
};

// "SageApiNextPlus.DocumentosGCLin"
class DocumentosGCLin : public ObjectoApi {
  public:
    virtual void TipoDeLinha(qint16 valor) = 0;
    virtual qint16 TipoDeLinha() const = 0;
    virtual void Artigo(const QString& valor) = 0;
    virtual QString Artigo() const = 0;
    virtual void Armazem(const QString& valor) = 0;
    virtual QString Armazem() const = 0;
    virtual void Descricao(const QString& valor) = 0;
    virtual QString Descricao() const = 0;
    virtual void PrecoUnitario(Moeda valor) = 0;
    virtual Moeda PrecoUnitario() const = 0;
    virtual void Quantidade(Moeda valor) = 0;
    virtual Moeda Quantidade() const = 0;
    virtual void QuantidadeOrigem(Moeda valor) = 0;
    virtual Moeda QuantidadeOrigem() const = 0;
    virtual void TaxaDesconto(Moeda valor) = 0;
    virtual Moeda TaxaDesconto() const = 0;
    // A text, or the number 0.
    virtual void Desconto(const QVariant& valor) = 0;
    virtual QVariant Desconto() const = 0;
    virtual void EcoTaxaProcessada(bool valor) = 0;
    virtual bool EcoTaxaProcessada() const = 0;
    virtual void linharelacionada(qint16 valor) = 0;
    virtual qint16 linharelacionada() const = 0;
    // The line's number in its document, once added.
    virtual qint16 NumeroDaLinha() const = 0;
};

// The header (Cab) of a commercial document.
class CabecalhoDocumento {
  public:
    virtual ~CabecalhoDocumento() = default;
    virtual void TipoDocumento(const QString& valor) = 0;
    virtual QString TipoDocumento() const = 0;
    virtual void Sector(const QString& valor) = 0;
    virtual QString Sector() const = 0;
    virtual void Serie(qint16 valor) = 0;
    virtual qint16 Serie() const = 0;
    virtual void Terceiro(const QString& valor) = 0;
    virtual QString Terceiro() const = 0;
    virtual void Moeda(const QString& valor) = 0;
    virtual QString Moeda() const = 0;
    virtual void Ano(qint16 valor) = 0;
    virtual qint16 Ano() const = 0;
    virtual void AreaGestao(qint16 valor) = 0;
    virtual qint16 AreaGestao() const = 0;
    virtual void TipoTerceiro(qint16 valor) = 0;
    virtual qint16 TipoTerceiro() const = 0;
    virtual void TipoPreco(qint16 valor) = 0;
    virtual qint16 TipoPreco() const = 0;
    virtual void Data(const QString& valor) = 0;
    virtual QString Data() const = 0;
    virtual void Processo(const QString& valor) = 0;
    virtual QString Processo() const = 0;
    virtual void Observacoes(const QString& valor) = 0;
    virtual QString Observacoes() const = 0;
    // Given by the accounting system when the document is inserted.
    virtual qint32 NossoNoDocumento() const = 0;
};

// "SageApiNextPlus.DocumentoComercial"
class DocumentoComercial : public ObjectoApi {
  public:
    virtual CabecalhoDocumento& Cab() = 0;
    virtual bool Validar() = 0;
    // Fills the line's suggested values for its article and this document; the seven switches
    // belong to the accounting system.
    virtual void SugereValoresLin(DocumentosGCLin& linha, bool b1, bool b2, bool b3, bool b4,
                                  bool b5, bool b6, bool b7) = 0;
    virtual qint32 AdicionaLinha(DocumentosGCLin& linha) = 0;
    virtual void origem(qint32 valor) = 0;
    virtual qint32 origem() const = 0;
    // 0 when the document was inserted in the company.
    virtual qint32 Inserir() = 0;
    virtual QString UltimaMensagem() const = 0;
};

// The identity of a stored document, and its customer.
struct IdentidadeDocumento {
    QString TipoDocumento;
    qint16 Serie = 0;
    qint16 Ano = 0;
    qint32 Numero = 0;
    QString Terceiro;

    // The same document (type, series, year and number), whoever its customer.
    bool mesmoDocumento(const IdentidadeDocumento& outro) const {
        return TipoDocumento == outro.TipoDocumento && Serie == outro.Serie && Ano == outro.Ano &&
               Numero == outro.Numero;
    }
    // Type/series/number/year, as the progress list shows a document.
    QString texto() const {
        return TipoDocumento + QLatin1Char('/') + QString::number(Serie) + QLatin1Char('/') +
               QString::number(Numero) + QLatin1Char('/') + QString::number(Ano);
    }
};

// The connection to the accounting system: one open company at a time.
class clsNext {
  public:
    virtual ~clsNext() = default;
    // Every document of the open company stored with this Processo, the latest first, each with
    // its customer. An order whose document was inserted just before a crash is found here, so
    // that it is never written twice; a document of another customer shows that the web order
    // number is not this order's alone.
    virtual QVector<IdentidadeDocumento> DocumentosPorProcesso(const QString& processo) = 0;
    // The option set just before a document's final validation and insertion.
    virtual void Opcao(qint32 valor) = 0;
    virtual bool AbrirEmpresa(const QString& percurso, const QString& percursoLog,
                              const QString& empresa, const QString& utilizador,
                              const QString& password) = 0;
    virtual void FecharEmpresa() = 0;
    virtual std::unique_ptr<DocumentosGCLin> NovaLinha() = 0;
    // The mode set right after the connection is made, before AbrirEmpresa.
    virtual void Modo(qint32 valor) = 0;
    // Knows "SageApiNextPlus.DocumentoComercial" and "SageApiNextPlus.DocumentosGCLin"; any
    // other name raises Falha.
    virtual std::unique_ptr<ObjectoApi> CriarObjecto(const QString& nomeDaClasse) = 0;
};

// Makes the connection objects of the accounting system that a run uses: the accounting
// product's where it is installed, the built-in one elsewhere. One serves a whole run.
class FabricaDeContabilidade {
  public:
    virtual ~FabricaDeContabilidade() = default;
    virtual std::unique_ptr<clsNext> NovoClsNext() = 0;
};

// Which accounting system a run writes to: the program's start-up chooses it and hands it to the
// run, which asks it for the connections of that run. The run's embedded databases (ligacoes)
// are shared with a built-in accounting kept in them; every date comes from the run's clock.
class EscolhaDaContabilidade {
  public:
    virtual ~EscolhaDaContabilidade() = default;
    virtual std::unique_ptr<FabricaDeContabilidade> fabrica(
        std::shared_ptr<LigacoesGuardadas> ligacoes, const Relogio& relogio) const = 0;
};

// An API object taken as the class the caller expects; anything else raises Falha, as a member
// call on the wrong object would.
template <class T>
std::unique_ptr<T> objectoComo(std::unique_ptr<ObjectoApi> objecto) {
    if (!objecto)
        throw Falha(Falha::ObjectoNaoDefinido, QStringLiteral("O objecto da API não existe"));
    if (!dynamic_cast<T*>(objecto.get()))
        throw Falha(
            Falha::TipoIncompativel,
            QStringLiteral("O objecto %1 não é do tipo esperado").arg(objecto->NomeDaClasse()));
    // Checked above, so the cast of the released object cannot fail.
    return std::unique_ptr<T>(dynamic_cast<T*>(objecto.release()));
}
