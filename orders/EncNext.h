#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "accounting/clsNext.h"
#include "base/Moeda.h"
#include "base/Relogio.h"
#include "platform/bd/Recordset.h"
#include "platform/bd/clsBd.h"

class BasesDasEmpresas;
class Parametros;

// The order writer: opens the order's company in the accounting system and writes one web order
// as a sales document (header, article lines with their pack components, shipping, voucher).
// Progress goes out through Evolucao, failures through Erros.
class EncNext : public QObject {
    Q_OBJECT

  public:
    // The settings the run read, the accounting connections of the run, and the run's clock,
    // which dates the documents.
    EncNext(const Parametros& parametros, FabricaDeContabilidade& contabilidade,
            const Relogio& relogio = Relogio::sistema(), QObject* parent = nullptr);
    ~EncNext() override;

    // Switches the document type's "AutEco" flag on (MartelaTpDoc) or off (DesMartelaTpDoc);
    // nothing happens when the type is not in TpDoc.
    void MartelaTpDoc(const QString& sTpDoc, clsBd& bd);
    void DesMartelaTpDoc(const QString& sTpDoc, clsBd& bd);
    // Adds the component lines of sArt to oDoc when it is a pack, each related to line iLinha
    // and with its quantity times cQtd.
    void VerificaPack(const QString& sArt, qint16 iLinha, Moeda cQtd, DocumentoComercial& oDoc,
                      clsBd& bd);

    void voucher(Moeda valor) { voucher_ = valor; }
    Moeda voucher() const { return voucher_; }
    void Portes(Moeda valor) { portes_ = valor; }
    Moeda Portes() const { return portes_; }
    void NumeroEmpresa(const QString& valor) { numeroEmpresa_ = valor; }
    const QString& NumeroEmpresa() const { return numeroEmpresa_; }
    // The caller's lines table itself, not a copy.
    void RsLinha(std::shared_ptr<Recordset> valor) { rsLinha_ = std::move(valor); }
    const std::shared_ptr<Recordset>& RsLinha() const { return rsLinha_; }
    void Observacoes(const QString& valor) { observacoes_ = valor; }
    const QString& Observacoes() const { return observacoes_; }
    void Idencomenda(const QString& valor) { idencomenda_ = valor; }
    const QString& Idencomenda() const { return idencomenda_; }
    void DataDoc(const QDateTime& valor) { dataDoc_ = valor; }
    const QDateTime& DataDoc() const { return dataDoc_; }
    void CodigoCliente(const QString& valor) { codigoCliente_ = valor; }
    const QString& CodigoCliente() const { return codigoCliente_; }

    // Closes the accounting company and releases the connection.
    bool desligarDoNext();

    // Writes the order as a sales document. True when it was inserted; then the out arguments
    // hold its type, series, year and number. On false they hold "", 0, 0, 0 and the reason
    // has gone out through Evolucao and Erros. The document type's "AutEco" is off afterwards,
    // whatever happened. bd gives the company's database (its flag, packs and components).
    bool GravarEncomenda(QString& OutTipoDoc, qint16& OutSerie, qint16& OutAno, qint32& outNumero,
                         const QString& inNomeFicheiro, BasesDasEmpresas& bd,
                         const QString& Empresa);

    // Builds the order's document as GravarEncomenda would and checks it with the accounting
    // system's own validation, writing nothing (the document type's flag is not touched). True
    // when it would be accepted; false with the accounting's reason in porque. Raises Falha when
    // the check cannot be made.
    bool ValidarEncomenda(BasesDasEmpresas& bd, const QString& Empresa, QString& porque);

    // A new API object of that class; raises Falha when the accounting connection is not made
    // or does not know the class.
    std::unique_ptr<ObjectoApi> CreateSageApiObject(const QString& sObjectName);

    // Switches the document type's "AutEco" flag off, as GravarEncomenda leaves it, for an order
    // whose document was found already written: the run that wrote it may have ended before it
    // could do so. A failure goes out through Evolucao and Erros and gives false.
    bool DesMartelaTpDocDaEmpresa(BasesDasEmpresas& bd, const QString& Empresa);

    // Reads the connection settings and opens the order's company; true when it is open.
    bool LigarAoNext();

    // The documents already stored for this web order number ("Web " + Idencomenda), the
    // latest first, each with its customer; the accounting connection must be open.
    QVector<IdentidadeDocumento> DocumentosDaEncomenda();

  signals:
    void Evolucao(const QString& Descricao);
    void Erros(const QString& Descricao);

  private:
    void LerLigacao();
    void LerDocumento();
    void reportar(const QString& funcao, int numero, const QString& descricao);
    void definirAutEco(const QString& sTpDoc, clsBd& bd, qint16 valor);
    // The order's document, built and validated as the accounting system suggests it.
    std::unique_ptr<DocumentoComercial> construirDocumento(clsBd& bd);
    bool construirEInserir(QString& OutTipoDoc, qint16& OutSerie, qint16& OutAno, qint32& outNumero,
                           clsBd& bd);
    void adicionarLinhaDeArtigo(DocumentoComercial& oDoc, clsBd& bd);

    const Parametros& parametros_;
    FabricaDeContabilidade& contabilidade_;
    const Relogio& relogio_;
    std::unique_ptr<clsNext> oNext_;

    QString numeroEmpresa_;
    QString percursoNext_;
    QString percursoLog_;
    QString utilizador_;
    QString password_;
    QString codigoNext_;

    QString tipoDoc_;
    QString sector_;
    qint16 serie_ = 0;
    QString artPortes_;
    QString armazem_;

    QString codigoCliente_;
    QString idencomenda_;
    QString observacoes_;
    std::shared_ptr<Recordset> rsLinha_;
    Moeda portes_;
    Moeda voucher_;
    QDateTime dataDoc_;
};
