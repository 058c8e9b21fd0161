#include <QFile>

#include "app/Sincronizacao.h"
#include "contacts/ContactoCliente.h"
#include "orders/EncNext.h"
#include "orders/xmlEncomenda.h"
#include "platform/Caminhos.h"
#include "platform/Falha.h"

namespace {

QString identidade(const QString& tipo, qint16 serie, qint32 numero, qint16 ano) {
    return tipo + QLatin1Char('/') + QString::number(serie) + QLatin1Char('/') +
           QString::number(numero) + QLatin1Char('/') + QString::number(ano);
}

}  // namespace

// Turns every web order left in the inbox into a sales document, writes its identity back into
// the file and moves the file to the outbox. A failure ends only its own order: it is shown and
// logged with the file's name, and the file stays in the inbox for the next run.
void Sincronizacao::ImportarEncomendas(const QString& PathOrigem, const QString& pathDestino) {
    const int total = ListaDeFicheiros.ListCount();
    if (total == 0)
        return;
    QStringList nomes;
    for (int i = 0; i < total; ++i)
        nomes << ListaDeFicheiros.List(i);

    QStringList resumo;
    for (int j = 0; j < nomes.size(); ++j) {
        Pump();
        ListaDeFicheiros.ListIndex = j;
        try {
            importarEncomenda(PathOrigem, pathDestino, nomes[j], resumo);
        } catch (const Falha& f) {
            AddErro(TextoDoErro(f.numero(),
                                QStringLiteral("Encomenda %1: %2").arg(nomes[j], f.descricao()),
                                QStringLiteral("ImportarEncomendas")));
        } catch (const std::exception& e) {
            AddErro(TextoDoErro(
                Falha::ErroInterno,
                QStringLiteral("Encomenda %1: %2").arg(nomes[j], QString::fromLocal8Bit(e.what())),
                QStringLiteral("ImportarEncomendas")));
        }
        if (n) {
            n->desligarDoNext();
            n.reset();
        }
    }

    if (!resumo.isEmpty()) {
        const QString cabecalho = QStringLiteral("Foram importadas as seguintes encomendas:");
        oLog->Escrever(cabecalho);
        AddLista(cabecalho);
        for (const QString& linha : resumo) {
            oLog->Escrever(linha);
            AddLista(linha);
        }
    }
}

void Sincronizacao::importarEncomenda(const QString& PathOrigem, const QString& pathDestino,
                                      const QString& nome, QStringList& resumo) {
    const QString origem = juntarCaminho(PathOrigem, nome);
    const QString destino = juntarCaminho(pathDestino, nome);
    auto mover = [&](const QString& documento) {
        if (!MoverFicheiro(origem, destino))
            AddErro(QStringLiteral("A encomenda %1 foi gravada (documento %2) mas o ficheiro não "
                                   "pôde ser movido para %3; fica na pasta de entrada e não será "
                                   "gravada de novo.")
                        .arg(nome, documento, pathDestino));
    };

    if (!TamanhoAceitavel(origem, nome))
        return;
    xmlEncomenda leitor;
    leitor.FicheiroXML = origem;
    if (!leitor.GetEncomenda()) {
        AddErro(QStringLiteral("A encomenda %1 não foi lida: %2").arg(nome, leitor.UltimoErro));
        return;
    }
    for (const QString& aviso : leitor.Avisos) {
        oLog->Escrever(aviso);
        AddLista(aviso);
    }
    if (leitor.JaGravada) {
        const QString texto = QStringLiteral(
                                  "A encomenda %1 já tinha sido gravada; o ficheiro é "
                                  "movido para a pasta de saída.")
                                  .arg(nome);
        oLog->Escrever(texto);
        AddLista(texto);
        mover(QStringLiteral("já gravado"));
        return;
    }

    QString novocliente;
    QString Id_Guid;
    if (leitor.Contacto) {
        ContactoCliente conversao;
        conversao.fileini = FicheiroIni;
        conversao.MostrarMensagem = [this](const QString& texto) { MostrarMensagem(texto); };
        conversao.ProcessarEventos = [this] { Pump(); };
        novocliente =
            conversao.ConverteContactoEmCliente(leitor.CodEmpresa, leitor.IdCliente, Id_Guid, bd);
        // A prospect converted at an earlier run whose order was not written then.
        if (novocliente.isEmpty())
            novocliente =
                conversao.ClienteJaConvertido(leitor.CodEmpresa, leitor.IdCliente, Id_Guid, bd);
        if (novocliente.isEmpty()) {
            AddErro(QStringLiteral("A encomenda %1 é do contacto %2 da empresa %3, que não existe "
                                   "ou não pôde ser feito cliente; fica na pasta de entrada.")
                        .arg(nome, leitor.IdCliente, leitor.CodEmpresa));
            return;
        }
        leitor.IdCliente = novocliente;
    }

    n = std::make_unique<EncNext>();
    connect(n.get(), &EncNext::Evolucao, this, &Sincronizacao::n_Evolucao);
    connect(n.get(), &EncNext::Erros, this, &Sincronizacao::n_Erros);
    n->percursoIni(FicheiroIni);
    n->NumeroEmpresa(leitor.CodEmpresa);
    n->CodigoCliente(leitor.IdCliente);
    n->DataDoc(leitor.Data);
    n->Idencomenda(QString::number(leitor.Idencomenda));
    n->Observacoes(leitor.Observacoes);
    n->Portes(leitor.Portes);
    n->voucher(leitor.voucher);
    n->RsLinha(leitor.RsLinha);
    if (!n->LigarAoNext())
        return;

    QString TipoDoc;
    qint16 Serie = 0;
    qint16 Ano = 0;
    qint32 Numero = 0;
    // A document stored for this order by a run that ended before it could update the file.
    if (const QVector<IdentidadeDocumento> gravados = n->DocumentosDaEncomenda();
        !gravados.isEmpty()) {
        const IdentidadeDocumento* gravado = &gravados.first();
        TipoDoc = gravado->TipoDocumento;
        Serie = gravado->Serie;
        Ano = gravado->Ano;
        Numero = gravado->Numero;
        const QString texto =
            QStringLiteral("A encomenda %1 já tem o documento %2; não é gravada de novo.")
                .arg(nome, identidade(TipoDoc, Serie, Numero, Ano));
        oLog->Escrever(texto);
        AddLista(texto);
        n->DesMartelaTpDocDaEmpresa(bd, leitor.CodEmpresa, FicheiroIni);
    } else if (!n->GravarEncomenda(TipoDoc, Serie, Ano, Numero, origem, bd, leitor.CodEmpresa,
                                   FicheiroIni)) {
        return;
    }

    const QString documento = identidade(TipoDoc, Serie, Numero, Ano);
    resumo << QStringLiteral(" Empresa: ") + leitor.CodEmpresa + QStringLiteral(" documento ") +
                  documento;
    if (!leitor.ActualizarXML(TipoDoc, Numero, Serie, Ano, novocliente, Id_Guid)) {
        AddErro(QStringLiteral("A encomenda %1 foi gravada (documento %2) mas o ficheiro não foi "
                               "actualizado (%3); fica na pasta de entrada e não será gravada de "
                               "novo.")
                    .arg(nome, documento, leitor.UltimoErro));
        return;
    }
    mover(documento);
}
