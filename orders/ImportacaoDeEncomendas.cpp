#include <QDateTime>
#include <QFile>
#include <QSet>

#include "orders/ImportacaoDeEncomendas.h"

#include "base/Falha.h"
#include "contacts/ContactoCliente.h"
#include "contacts/ConversoesDeEncomendas.h"
#include "orders/EncNext.h"
#include "orders/xmlEncomenda.h"
#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/Ficheiros.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"
#include "support/ServicosDaExecucao.h"

namespace {

QString linhaDoResumo(const QString& empresa, const QString& documento) {
    return QStringLiteral(" Empresa: ") + empresa + QStringLiteral(" documento ") + documento;
}

// "A encomenda ENC_1.xml (n.º 5 da empresa QF)": every report of an order names its file.
QString aEncomenda(const QString& nome, const xmlEncomenda& leitor) {
    return QStringLiteral("A encomenda %1 (n.º %2 da empresa %3)")
        .arg(nome)
        .arg(leitor.Idencomenda)
        .arg(leitor.CodEmpresa);
}

QString chave(const QString& empresa, qint32 idencomenda) {
    return empresa + QLatin1Char('\t') + QString::number(idencomenda);
}

QString dataLegivel(const QString& iso) {
    const QDateTime d = QDateTime::fromString(iso, Qt::ISODate);
    return d.isValid() ? d.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")) : iso;
}

}  // namespace

ImportacaoDeEncomendas::ImportacaoDeEncomendas(const Parametros& parametros,
                                               ServicosDaExecucao& servicos,
                                               BasesDasEmpresas& bases,
                                               FabricaDeContabilidade& contabilidade)
    : parametros_(parametros), servicos_(servicos), bases_(bases), contabilidade_(contabilidade) {}

ImportacaoDeEncomendas::~ImportacaoDeEncomendas() = default;

void ImportacaoDeEncomendas::ImportarEncomendas(ListagemDeFicheiros& ListaDeFicheiros,
                                                const QString& PathOrigem,
                                                const QString& pathDestino) {
    const int total = ListaDeFicheiros.ListCount();
    const int entradasRecusadas = servicos_.RecusarEntradas(ListaDeFicheiros);
    servicos_.Resumo().encomendasRecusadas = entradasRecusadas;
    if (total == 0)
        return;
    QStringList nomes;
    for (int i = 0; i < total; ++i)
        nomes << ListaDeFicheiros.List(i);

    for (int j = 0; j < nomes.size(); ++j) {
        servicos_.Pump();
        ListaDeFicheiros.ListIndex = j;
        tentarEncomenda(nomes[j], [&] { importarEncomenda(PathOrigem, pathDestino, nomes[j]); });
        tentarEncomenda(nomes[j], [&] {
            if (n)
                n->desligarDoNext();
        });
        n.reset();
    }

    // Every order is refused but those written now or found written.
    ResumoDaExecucao& resumo = servicos_.Resumo();
    resumo.encomendasGravadas = int(gravadas_.size());
    resumo.encomendasJaGravadas = int(anteriores_.size());
    resumo.encomendasRecusadas =
        entradasRecusadas + int(nomes.size() - gravadas_.size() - anteriores_.size());
    escreverResumo(servicos_.Simulacao()
                       ? QStringLiteral("Seriam importadas as seguintes encomendas:")
                       : QStringLiteral("Foram importadas as seguintes encomendas:"),
                   gravadas_);
    escreverResumo(QStringLiteral("Encomendas já gravadas anteriormente:"), anteriores_);
}

template <class Parte>
void ImportacaoDeEncomendas::tentarEncomenda(const QString& nome, Parte parte) {
    const auto falhou = [&](int numero, const QString& descricao) {
        servicos_.AddErro(TextoDoErro(numero,
                                      QStringLiteral("Encomenda %1: %2").arg(nome, descricao),
                                      QStringLiteral("ImportarEncomendas")));
    };
    try {
        parte();
    } catch (const Falha& f) {
        falhou(f.numero(), f.descricao());
    } catch (const std::exception& e) {
        falhou(Falha::ErroInterno, QString::fromLocal8Bit(e.what()));
    }
}

void ImportacaoDeEncomendas::escreverResumo(const QString& cabecalho, const QStringList& linhas) {
    if (linhas.isEmpty())
        return;
    for (const QString& linha : QStringList{cabecalho} + linhas)
        servicos_.Mostrar(linha);
}

clsBd& ImportacaoDeEncomendas::baseDaEmpresa(const QString& empresa) {
    clsBd& bd = bases_.BaseDaEmpresa(empresa);
    if (!conversoesPreparadas_.contains(empresa)) {
        // A trial run creates nothing: without the table, no conversion is on record.
        if (!servicos_.Simulacao())
            criarTabelaDeConversoes(bd);
        else if (!existeTabelaDeConversoes(bd))
            semConversoes_.insert(empresa);
        conversoesPreparadas_.insert(empresa);
    }
    return bd;
}

std::optional<ConversaoDeEncomenda> ImportacaoDeEncomendas::conversaoFeita(const QString& empresa,
                                                                           qint32 idencomenda) {
    clsBd& bd = baseDaEmpresa(empresa);
    if (const auto simulada = simulados_.conversoes.constFind(chave(empresa, idencomenda));
        simulada != simulados_.conversoes.cend())
        return *simulada;
    if (semConversoes_.contains(empresa))
        return std::nullopt;
    return conversaoDaEncomenda(bd, empresa, idencomenda);
}

bool ImportacaoDeEncomendas::contactoPorConverter(clsBd& bd, const QString& empresa,
                                                  const QString& contacto) {
    return !simulados_.contactos.contains(empresa + QLatin1Char('\t') + contacto) &&
           contactoExiste(bd, contacto);
}

void ImportacaoDeEncomendas::novoEscritor(const xmlEncomenda& leitor) {
    n = std::make_unique<EncNext>(parametros_, contabilidade_);
    QObject::connect(n.get(), &EncNext::Evolucao, n.get(),
                     [this](const QString& Descricao) { servicos_.AddLista(Descricao); });
    QObject::connect(n.get(), &EncNext::Erros, n.get(),
                     [this](const QString& Descricao) { servicos_.ErroNoRegisto(Descricao); });
    n->NumeroEmpresa(leitor.CodEmpresa);
    n->Idencomenda(QString::number(leitor.Idencomenda));
}

// One order, from its file to its document, with what the step needs around it.
class ImportacaoDeEncomendas::Encomenda {
  public:
    Encomenda(ImportacaoDeEncomendas& passo, const QString& nome, xmlEncomenda& leitor)
        : s_(passo.servicos_), passo_(passo), nome_(nome), leitor_(leitor) {}

    void recusar(const QString& razao) {
        s_.AddErro(aEncomenda(nome_, leitor_) + QLatin1Char(' ') + razao);
    }

    void naoGravada() {
        s_.AddErro(aEncomenda(nome_, leitor_) +
                   QStringLiteral(" não foi gravada; fica na pasta de entrada."));
    }

    clsBd& baseDaEmpresa() { return passo_.baseDaEmpresa(leitor_.CodEmpresa); }

    // A file that holds IDENCSAGE is moved only when a block names a document of this web order
    // number whose customer is the order's: for a prospect, the customer in the block, made for
    // this very order when the conversion is on record. That document, or none with the order
    // refused.
    std::optional<IdentidadeDocumento> documentoDoFicheiro(
        const QVector<IdentidadeDocumento>& documentos) {
        std::optional<ConversaoDeEncomenda> conversao;
        if (leitor_.Contacto)
            conversao = passo_.conversaoFeita(leitor_.CodEmpresa, leitor_.Idencomenda);
        for (const DocumentoDoFicheiro& g : leitor_.Gravados) {
            const QString cliente = leitor_.Contacto ? g.IdCliente : leitor_.IdCliente;
            if (cliente.isEmpty() ||
                (conversao && (conversao->CodigoContacto != leitor_.IdCliente ||
                               conversao->CodigoCliente != cliente)))
                continue;
            for (const IdentidadeDocumento& d : documentos)
                if (d.mesmoDocumento(g.Documento) && d.Terceiro == cliente)
                    return d;
        }
        QStringList nomeados;
        for (const DocumentoDoFicheiro& g : leitor_.Gravados)
            nomeados << g.Documento.texto() +
                            (g.IdCliente.isEmpty()
                                 ? QString()
                                 : QStringLiteral(" (cliente %1)").arg(g.IdCliente));
        recusar(QStringLiteral("já tem no ficheiro o documento %1, mas a contabilidade não tem "
                               "esse documento da encomenda Web %2 para o cliente desta "
                               "encomenda%3; fica na pasta de entrada.")
                    .arg(nomeados.join(QStringLiteral(", ")))
                    .arg(leitor_.Idencomenda)
                    .arg(leitor_.Contacto ? QString()
                                          : QStringLiteral(" (%1)").arg(leitor_.IdCliente)));
        return std::nullopt;
    }

    // The customer of a prospect's order: the one made for this very order, at this run or an
    // earlier one. False, with the order refused, when there is none to be had; the contact is
    // never converted for an order that would be refused.
    bool clienteDoProspect(const QVector<IdentidadeDocumento>& documentos, QString& novocliente,
                           QString& Id_Guid) {
        const QString& empresa = leitor_.CodEmpresa;
        const QString& contacto = leitor_.IdCliente;
        clsBd& bd = baseDaEmpresa();
        if (const std::optional<ConversaoDeEncomenda> feita =
                passo_.conversaoFeita(empresa, leitor_.Idencomenda)) {
            if (feita->CodigoContacto == contacto && feita->CodigoCliente.isEmpty()) {
                semContacto(bd, feita->Data);
                return false;
            }
            // The conversion deleted its contact: a contact of that code that exists now is
            // another one, given the code again.
            if (feita->CodigoContacto == contacto &&
                !passo_.contactoPorConverter(bd, empresa, contacto)) {
                novocliente = feita->CodigoCliente;
                Id_Guid = feita->Id_Unico;
                return true;
            }
            recusar(QStringLiteral("é do contacto %1, mas com esse número já foi feito do "
                                   "contacto %2 (outro, ou um anterior com o mesmo código) o "
                                   "cliente %3 em %4; fica na pasta de entrada.")
                        .arg(contacto, feita->CodigoContacto, feita->CodigoCliente,
                             dataLegivel(feita->Data)));
            return false;
        }
        if (!documentos.isEmpty()) {
            recusar(QStringLiteral("é do contacto %1, mas a contabilidade já tem o documento %2 "
                                   "de outra encomenda com esse número (Web %3), do cliente %4; "
                                   "o contacto não foi feito cliente e a encomenda fica na pasta "
                                   "de entrada.")
                        .arg(contacto, documentos.first().texto())
                        .arg(leitor_.Idencomenda)
                        .arg(documentos.first().Terceiro));
            return false;
        }
        if (!passo_.contactoPorConverter(bd, empresa, contacto)) {
            // Remembered, so that a contact given this code later is not taken for this
            // order's.
            const QString agora = QDateTime::currentDateTime().toString(Qt::ISODate);
            const ConversaoDeEncomenda semCliente{empresa, leitor_.Idencomenda, contacto, {}, {},
                                                  agora};
            if (s_.Simulacao())
                passo_.simulados_.conversoes.insert(chave(empresa, leitor_.Idencomenda),
                                                    semCliente);
            else
                registarConversao(bd, semCliente);
            semContacto(bd, agora);
            return false;
        }
        if (s_.Simulacao()) {
            // The customer is not made: the document's lines are checked for another one.
            novocliente = ContactoCliente::ClienteParaSimulacao(bd);
            if (novocliente.isEmpty()) {
                semModelo();
                return false;
            }
            // What the run would remember: the contact gone, the conversion on record.
            passo_.simulados_.contactos.insert(empresa + QLatin1Char('\t') + contacto);
            passo_.simulados_.conversoes.insert(
                chave(empresa, leitor_.Idencomenda),
                {empresa, leitor_.Idencomenda, contacto, novocliente, {}, {}});
            s_.Mostrar(QStringLiteral("O contacto %1 seria feito cliente para a encomenda %2.")
                           .arg(contacto, nome_));
            return true;
        }

        ContactoCliente conversao;
        conversao.MostrarMensagem = [this](const QString& texto) { s_.MostrarMensagem(texto); };
        conversao.ProcessarEventos = [this] { s_.Pump(); };
        conversao.Idencomenda = leitor_.Idencomenda;
        novocliente = conversao.ConverteContactoEmCliente(empresa, contacto, Id_Guid, bd);
        for (const QString& aviso : conversao.Avisos)
            s_.Mostrar(aviso);
        if (novocliente.isEmpty()) {
            semModelo();
            return false;
        }
        return true;
    }

    void semModelo() {
        recusar(QStringLiteral("é do contacto %1, que não pôde ser feito cliente: a empresa "
                               "não tem o cliente modelo (NUMERO -1); fica na pasta de "
                               "entrada.")
                    .arg(leitor_.IdCliente));
    }

    // Refuses an order whose contact did not exist when the order was first met, with what the
    // office needs to act: whom a contact of that code was made into, and when.
    void semContacto(clsBd& bd, const QString& quando) {
        const QString& contacto = leitor_.IdCliente;
        QString texto = QStringLiteral(
                            "é do contacto %1, que não existia quando a encomenda foi "
                            "lida pela primeira vez, em %2; não foi feito nenhum "
                            "cliente para ela e fica na pasta de entrada.")
                            .arg(contacto, dataLegivel(quando));
        bool historia = false;
        if (const auto c = passo_.semConversoes_.contains(leitor_.CodEmpresa)
                               ? std::nullopt
                               : ultimaConversaoDoContacto(bd, leitor_.CodEmpresa, contacto)) {
            texto += QStringLiteral(
                         " O contacto %1 foi feito cliente %2 em %3 para a encomenda "
                         "n.º %4.")
                         .arg(contacto, c->CodigoCliente, dataLegivel(c->Data))
                         .arg(c->Idencomenda);
            historia = true;
        }
        if (const auto c = conversaoAntigaDoContacto(bd, contacto)) {
            texto += QStringLiteral(
                         " Uma versão anterior do programa fez do contacto %1 o "
                         "cliente %2 em %3.")
                         .arg(contacto, c->CodigoCliente, dataLegivel(c->Data));
            historia = true;
        }
        if (historia)
            texto += QStringLiteral(" Se a encomenda é desse cliente, corrija o ficheiro.");
        recusar(texto);
    }

    // The document of this order, from the file at origem: the one of its customer stored under
    // its web order number, or else the one written now. None, with the order refused or
    // reported not written, when the number already names another customer's document or the
    // writing fails.
    std::optional<IdentidadeDocumento> documentoDaEncomenda(
        const QVector<IdentidadeDocumento>& documentos, const QString& origem) {
        EncNext& n = *passo_.n;
        const IdentidadeDocumento* seu = nullptr;
        for (const IdentidadeDocumento& d : documentos)
            if (!seu && d.Terceiro == leitor_.IdCliente)
                seu = &d;
        if (seu) {
            // Stored for this order by a run that ended before it could update the file.
            const QString texto =
                QStringLiteral("A encomenda %1 já tem o documento %2; não é gravada de novo.")
                    .arg(nome_, seu->texto());
            s_.Mostrar(texto);
            passo_.anteriores_ << linhaDoResumo(leitor_.CodEmpresa, seu->texto());
            if (!s_.Simulacao())
                n.DesMartelaTpDocDaEmpresa(passo_.bases_, leitor_.CodEmpresa);
            return *seu;
        }
        if (!documentos.isEmpty()) {
            recusar(QStringLiteral("não é gravada: a contabilidade já tem o documento %1 de outra "
                                   "encomenda com esse número (Web %2), do cliente %3, e esta "
                                   "encomenda é do cliente %4; fica na pasta de entrada.")
                        .arg(documentos.first().texto())
                        .arg(leitor_.Idencomenda)
                        .arg(documentos.first().Terceiro, leitor_.IdCliente));
            return std::nullopt;
        }
        n.CodigoCliente(leitor_.IdCliente);
        n.DataDoc(leitor_.Data);
        n.Observacoes(leitor_.Observacoes);
        n.Portes(leitor_.Portes);
        n.voucher(leitor_.voucher);
        n.RsLinha(leitor_.RsLinha);
        if (s_.Simulacao())
            return validar();
        IdentidadeDocumento documento;
        if (!n.GravarEncomenda(documento.TipoDocumento, documento.Serie, documento.Ano,
                               documento.Numero, origem, passo_.bases_, leitor_.CodEmpresa)) {
            naoGravada();
            return std::nullopt;
        }
        passo_.gravadas_ << linhaDoResumo(leitor_.CodEmpresa, documento.texto());
        return documento;
    }

    // A trial run's verdict on an order to be written: the accounting system's own check of the
    // document, without inserting it. The document returned names no number.
    std::optional<IdentidadeDocumento> validar() {
        QString porque;
        if (!passo_.n->ValidarEncomenda(passo_.bases_, leitor_.CodEmpresa, porque)) {
            recusar(QStringLiteral("não seria gravada: ") + porque);
            return std::nullopt;
        }
        const int linhas = leitor_.RsLinha ? leitor_.RsLinha->recordCount() : 0;
        s_.Mostrar(QStringLiteral("A encomenda %1 seria gravada para o cliente %2 com %3 "
                                  "linhas.")
                       .arg(nome_, leitor_.Contacto ? QStringLiteral("novo") : leitor_.IdCliente,
                            QString::number(linhas)));
        // What the run would find for the next file of this web order number.
        passo_.simulados_.documentos[chave(leitor_.CodEmpresa, leitor_.Idencomenda)]
            << IdentidadeDocumento{QStringLiteral("?"), 0, 0, 0, leitor_.IdCliente};
        passo_.gravadas_ << QStringLiteral(" Empresa: ") + leitor_.CodEmpresa +
                                QStringLiteral(" encomenda ") + nome_;
        return IdentidadeDocumento{};
    }

  private:
    ServicosDaExecucao& s_;
    ImportacaoDeEncomendas& passo_;
    const QString& nome_;
    xmlEncomenda& leitor_;
};

// Moves the file of a written order to the outbox; a file that cannot be moved is reported and
// stays in the inbox.
void ImportacaoDeEncomendas::moverGravada(const QString& origem, const QString& pathDestino,
                                          const QString& nome, const QString& documento) {
    QString porque;
    if (!MoverFicheiro(origem, juntarCaminho(pathDestino, nome), &porque))
        servicos_.AddErro(
            QStringLiteral("A encomenda %1 foi gravada (documento %2) mas o ficheiro não "
                           "pôde ser movido para %3 (%4); fica na pasta de entrada e não será "
                           "gravada de novo.")
                .arg(nome, documento, pathDestino, porque));
}

void ImportacaoDeEncomendas::importarEncomenda(const QString& PathOrigem,
                                               const QString& pathDestino, const QString& nome) {
    const QString origem = juntarCaminho(PathOrigem, nome);
    // Where the file would go must be free for it: what the web side put there stays.
    if (const TipoDeEntrada tipo = tipoDeEntrada(juntarCaminho(pathDestino, nome));
        tipo != TipoDeEntrada::NaoExiste && tipo != TipoDeEntrada::Ficheiro) {
        servicos_.AddErro(QStringLiteral("A encomenda %1 não foi lida: na pasta de saída, o seu "
                                         "nome é %2, que fica como está; a encomenda fica na "
                                         "pasta de entrada.")
                              .arg(nome, descricaoDoTipo(tipo)));
        return;
    }
    xmlEncomenda leitor;
    leitor.FicheiroXML = origem;
    if (!leitor.GetEncomenda()) {
        servicos_.AddErro(
            QStringLiteral("A encomenda %1 não foi lida: %2").arg(nome, leitor.UltimoErro));
        return;
    }
    Encomenda encomenda(*this, nome, leitor);

    // The accounting is open before anything is decided: the documents already stored under
    // this web order number tell whether the order may be written, and for whom.
    novoEscritor(leitor);
    if (!n->LigarAoNext()) {
        encomenda.naoGravada();
        return;
    }
    const QVector<IdentidadeDocumento> documentos =
        n->DocumentosDaEncomenda() +
        simulados_.documentos.value(chave(leitor.CodEmpresa, leitor.Idencomenda));

    if (leitor.JaGravada) {
        const std::optional<IdentidadeDocumento> documento =
            encomenda.documentoDoFicheiro(documentos);
        if (!documento)
            return;
        servicos_.Mostrar((servicos_.Simulacao()
                               ? QStringLiteral("A encomenda %1 já tinha sido gravada; o ficheiro "
                                                "seria movido para a pasta de saída.")
                               : QStringLiteral("A encomenda %1 já tinha sido gravada; o ficheiro "
                                                "é movido para a pasta de saída."))
                              .arg(nome));
        anteriores_ << linhaDoResumo(leitor.CodEmpresa, documento->texto());
        if (!servicos_.Simulacao())
            moverGravada(origem, pathDestino, nome, documento->texto());
        return;
    }

    QString novocliente;
    QString Id_Guid;
    if (leitor.Contacto) {
        if (!encomenda.clienteDoProspect(documentos, novocliente, Id_Guid))
            return;
        leitor.IdCliente = novocliente;
    }
    const std::optional<IdentidadeDocumento> documento =
        encomenda.documentoDaEncomenda(documentos, origem);
    if (!documento || servicos_.Simulacao())
        return;

    if (!leitor.ActualizarXML(documento->TipoDocumento, documento->Numero, documento->Serie,
                              documento->Ano, novocliente, Id_Guid)) {
        servicos_.AddErro(
            QStringLiteral("A encomenda %1 foi gravada (documento %2) mas o ficheiro não foi "
                           "actualizado (%3); fica na pasta de entrada e não será gravada de "
                           "novo.")
                .arg(nome, documento->texto(), leitor.UltimoErro));
        return;
    }
    moverGravada(origem, pathDestino, nome, documento->texto());
}
