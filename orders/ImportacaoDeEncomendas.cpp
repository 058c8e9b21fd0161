#include "orders/ImportacaoDeEncomendas.h"

#include "base/Falha.h"
#include "contacts/ContactoCliente.h"
#include "contacts/ConversoesDeEncomendas.h"
#include "contacts/Sobreposicao.h"
#include "orders/EncNext.h"
#include "orders/xmlEncomenda.h"
#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/Ficheiros.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"

namespace {

const QString kPasso = QStringLiteral("encomendas");

using Accao = PlanoDaEncomenda::Accao;
using Estado = ResultadoDoFicheiro::Estado;

QString chave(const QString& empresa, qint32 idencomenda) {
    return empresa + QLatin1Char('\t') + QString::number(idencomenda);
}

// What is on record of the contacts that had the code, for the office to act on an order whose
// contact is not there.
QString historiaDoContacto(clsBd& bd, const QString& empresa, const QString& contacto,
                           bool comConversoes) {
    QString texto;
    if (comConversoes)
        if (const auto c = ultimaConversaoDoContacto(bd, empresa, contacto))
            texto += QStringLiteral(
                         " O contacto %1 foi feito cliente %2 em %3 para a encomenda "
                         "n.º %4.")
                         .arg(contacto, c->CodigoCliente, dataLegivel(c->Data))
                         .arg(c->Idencomenda);
    if (const auto c = conversaoAntigaDoContacto(bd, contacto))
        texto += QStringLiteral(
                     " Uma versão anterior do programa fez do contacto %1 o cliente %2 "
                     "em %3.")
                     .arg(contacto, c->CodigoCliente, dataLegivel(c->Data));
    return texto;
}

}  // namespace

ImportacaoDeEncomendas::ImportacaoDeEncomendas(const Parametros& parametros,
                                               ServicosDaExecucao& servicos,
                                               BasesDasEmpresas& bases,
                                               FabricaDeContabilidade& contabilidade,
                                               Sobreposicao& sobreposta)
    : parametros_(parametros),
      servicos_(servicos),
      bases_(bases),
      contabilidade_(contabilidade),
      sobreposta_(sobreposta) {}

ImportacaoDeEncomendas::~ImportacaoDeEncomendas() = default;

void ImportacaoDeEncomendas::ImportarEncomendas(ListagemDeFicheiros& ListaDeFicheiros,
                                                const QString& PathOrigem,
                                                const QString& pathDestino) {
    servicos_.RecusarEntradas(kPasso, ListaDeFicheiros);
    QStringList nomes;
    for (int i = 0; i < ListaDeFicheiros.ListCount(); ++i)
        nomes << ListaDeFicheiros.List(i);

    for (int j = 0; j < nomes.size(); ++j) {
        servicos_.Pump();
        ListaDeFicheiros.ListIndex = j;
        const QString& nome = nomes[j];
        ResultadoDoFicheiro r;
        const auto falhou = [&](int numero, const QString& descricao) {
            r = ResultadoDoFicheiro{};
            r.estado = Estado::Falhou;
            r.ficheiro = nome;
            r.texto = TextoDoErro(numero, QStringLiteral("Encomenda %1: %2").arg(nome, descricao),
                                  QStringLiteral("ImportarEncomendas"));
        };
        try {
            r = importarEncomenda(juntarCaminho(PathOrigem, nome), juntarCaminho(pathDestino, nome),
                                  nome);
        } catch (const Falha& f) {
            falhou(f.numero(), f.descricao());
        } catch (const std::exception& e) {
            falhou(Falha::ErroInterno, QString::fromLocal8Bit(e.what()));
        }
        try {
            if (n)
                n->desligarDoNext();
        } catch (const Falha& f) {
            servicos_.AddFalha(f, QStringLiteral("desligarDoNext"), QStringLiteral("EncNext"));
        }
        n.reset();
        servicos_.Resultado(kPasso, r);
        const QString linha = QStringLiteral(" Empresa: ") + r.empresa +
                              (servicos_.Simulacao() && r.estado == Estado::Gravado
                                   ? QStringLiteral(" encomenda ") + nome
                                   : QStringLiteral(" documento ") + r.documento);
        if (r.estado == Estado::Gravado || r.gravadoAgora)
            gravadas_ << linha;
        else if (r.estado == Estado::JaGravado)
            anteriores_ << linha;
    }

    escreverResumo(servicos_.Simulacao()
                       ? QStringLiteral("Seriam importadas as seguintes encomendas:")
                       : QStringLiteral("Foram importadas as seguintes encomendas:"),
                   gravadas_);
    escreverResumo(QStringLiteral("Encomendas já gravadas anteriormente:"), anteriores_);
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

void ImportacaoDeEncomendas::novoEscritor(const xmlEncomenda& leitor) {
    n = std::make_unique<EncNext>(parametros_, contabilidade_, servicos_.RelogioDaExecucao());
    QObject::connect(n.get(), &EncNext::Evolucao, n.get(),
                     [this](const QString& Descricao) { servicos_.AddLista(Descricao); });
    // The writer's failures go to the log; the order's result says why it was not written.
    QObject::connect(n.get(), &EncNext::Erros, n.get(), [this](const QString& Descricao) {
        erroDoEscritor_ = Descricao;
        servicos_.Escrever(Descricao);
    });
    n->NumeroEmpresa(leitor.CodEmpresa);
    n->Idencomenda(QString::number(leitor.Idencomenda));
}

ResultadoDoFicheiro ImportacaoDeEncomendas::importarEncomenda(const QString& origem,
                                                              const QString& destino,
                                                              const QString& nome) {
    FactosDaEncomenda f;
    f.nome = nome;
    f.agora = servicos_.Agora().toString(Qt::ISODate);
    xmlEncomenda leitor;
    // Where the file would go must be free for it: what the web side put there stays.
    if (const TipoDeEntrada tipo = tipoDeEntrada(destino);
        tipo != TipoDeEntrada::NaoExiste && tipo != TipoDeEntrada::Ficheiro) {
        f.destinoOcupado = descricaoDoTipo(tipo);
    } else {
        leitor.FicheiroXML = origem;
        if (leitor.GetEncomenda())
            juntarFactos(f, leitor);
        else
            f.naoLida = leitor.UltimoErro;
    }
    return executar(decidirEncomenda(f), f, leitor, origem, destino);
}

void ImportacaoDeEncomendas::juntarFactos(FactosDaEncomenda& f, const xmlEncomenda& leitor) {
    f.empresa = leitor.CodEmpresa;
    f.numero = leitor.Idencomenda;
    f.prospect = leitor.Contacto;
    f.cliente = leitor.IdCliente;
    f.gravados = leitor.Gravados;
    // The accounting is open before anything is decided: the documents already stored under
    // this web order number tell whether the order may be written, and for whom.
    novoEscritor(leitor);
    f.contabilidadeAberta = n->LigarAoNext();
    if (!f.contabilidadeAberta)
        return;
    f.documentos = n->DocumentosDaEncomenda() + simulados_.value(chave(f.empresa, f.numero));
    if (!f.prospect)
        return;
    clsBd& bd = baseDaEmpresa(f.empresa);
    const bool comConversoes = !semConversoes_.contains(f.empresa);
    f.conversao = sobreposta_.conversao(f.empresa, f.numero);
    if (!f.conversao && comConversoes)
        f.conversao = conversaoDaEncomenda(bd, f.empresa, f.numero);
    f.contactoExiste =
        sobreposta_.contactoExiste(f.empresa, f.cliente, contactoExiste(bd, f.cliente));
    f.haModelo = ContactoCliente::TemModelo(bd);
    if (!f.contactoExiste || f.conversao)
        f.historiaDoContacto = historiaDoContacto(bd, f.empresa, f.cliente, comConversoes);
}

ResultadoDoFicheiro ImportacaoDeEncomendas::executar(const PlanoDaEncomenda& plano,
                                                     const FactosDaEncomenda& f,
                                                     xmlEncomenda& leitor, const QString& origem,
                                                     const QString& destino) {
    ResultadoDoFicheiro r;
    r.ficheiro = f.nome;
    r.empresa = f.empresa;
    r.texto = plano.razao;
    const bool simulacao = servicos_.Simulacao();
    switch (plano.accao) {
        case Accao::Recusar:
            return r;
        case Accao::RegistarSemContacto:
            if (simulacao)
                sobreposta_.registarConversao(plano.semContacto);
            else
                registarConversao(baseDaEmpresa(f.empresa), plano.semContacto);
            return r;
        case Accao::Mover:
            r.estado = Estado::JaGravado;
            r.documento = plano.documento.texto();
            r.texto =
                (simulacao ? QStringLiteral("A encomenda %1 já tinha sido gravada; o ficheiro "
                                            "seria movido para a pasta de saída.")
                           : QStringLiteral("A encomenda %1 já tinha sido gravada; o ficheiro "
                                            "é movido para a pasta de saída."))
                    .arg(f.nome);
            if (!simulacao) {
                QString porque;
                if (!MoverFicheiro(origem, destino, &porque)) {
                    r.estado = Estado::Falhou;
                    r.texto = QStringLiteral(
                                  "A encomenda %1 foi gravada (documento %2) mas o "
                                  "ficheiro não pôde ser movido para a pasta de saída "
                                  "(%3); fica na pasta de entrada e não será gravada de "
                                  "novo.")
                                  .arg(f.nome, r.documento, porque);
                }
            }
            return r;
        case Accao::MarcarEMover:
            r.estado = Estado::JaGravado;
            r.documento = plano.documento.texto();
            r.texto = QStringLiteral("A encomenda %1 já tem o documento %2; não é gravada de novo.")
                          .arg(f.nome, r.documento);
            // The run that wrote it may have ended before it could switch the flag off.
            if (!simulacao)
                n->DesMartelaTpDocDaEmpresa(bases_, f.empresa);
            marcarEMover(plano.documento, plano.novoCliente, plano.idUnico, leitor, origem, destino,
                         r);
            return r;
        case Accao::Gravar:
        case Accao::ConverterEGravar:
            break;
    }

    QString cliente = plano.cliente;
    QString novoCliente = plano.novoCliente;
    QString idUnico = plano.idUnico;
    if (plano.accao == Accao::ConverterEGravar) {
        if (!converter(f, novoCliente, idUnico, r))
            return r;
        cliente = novoCliente;
    }
    const std::optional<IdentidadeDocumento> documento =
        gravar(f, leitor, cliente, plano.accao == Accao::ConverterEGravar, r);
    if (!documento)
        return r;
    r.estado = Estado::Gravado;
    if (simulacao) {
        r.texto = QStringLiteral("A encomenda %1 seria gravada para o cliente %2 com %3 linhas.")
                      .arg(f.nome, cliente)
                      .arg(leitor.RsLinha ? leitor.RsLinha->recordCount() : 0);
        return r;
    }
    r.documento = documento->texto();
    r.texto = QStringLiteral("A encomenda %1 foi gravada para o cliente %2: documento %3.")
                  .arg(f.nome, cliente, r.documento);
    marcarEMover(*documento, novoCliente, idUnico, leitor, origem, destino, r);
    return r;
}

bool ImportacaoDeEncomendas::converter(const FactosDaEncomenda& f, QString& novoCliente,
                                       QString& idUnico, ResultadoDoFicheiro& r) {
    clsBd& bd = baseDaEmpresa(f.empresa);
    if (servicos_.Simulacao()) {
        qint32 numero = 0;
        ContactoCliente::ProximoCliente(bd, f.empresa, sobreposta_, numero, novoCliente);
        sobreposta_.adicionarCliente(f.empresa, numero, novoCliente);
        sobreposta_.converterContacto(f.empresa, f.cliente);
        sobreposta_.registarConversao({f.empresa, f.numero, f.cliente, novoCliente, {}, f.agora});
        servicos_.Mostrar(QStringLiteral("O contacto %1 seria feito o cliente %2 para a "
                                         "encomenda %3.")
                              .arg(f.cliente, novoCliente, f.nome));
        return true;
    }
    ContactoCliente conversao(&servicos_);
    conversao.Idencomenda = f.numero;
    novoCliente = conversao.ConverteContactoEmCliente(f.empresa, f.cliente, idUnico, bd);
    for (const QString& aviso : conversao.Avisos)
        servicos_.Mostrar(aviso);
    if (!novoCliente.isEmpty())
        return true;
    r.texto = aEncomenda(f.nome, f.numero, f.empresa) +
              QStringLiteral(
                  " é do contacto %1, que não pôde ser feito cliente; fica na pasta de entrada.")
                  .arg(f.cliente);
    return false;
}

std::optional<IdentidadeDocumento> ImportacaoDeEncomendas::gravar(const FactosDaEncomenda& f,
                                                                  xmlEncomenda& leitor,
                                                                  const QString& cliente,
                                                                  bool clienteNovo,
                                                                  ResultadoDoFicheiro& r) {
    EncNext& escritor = *n;
    escritor.CodigoCliente(cliente);
    escritor.DataDoc(leitor.Data);
    escritor.Observacoes(leitor.Observacoes);
    escritor.Portes(leitor.Portes);
    escritor.voucher(leitor.voucher);
    escritor.RsLinha(leitor.RsLinha);
    if (servicos_.Simulacao()) {
        // The accounting's own check, without inserting; a customer still to be made is checked
        // as the template it would be made from.
        if (clienteNovo)
            escritor.CodigoCliente(ContactoCliente::CodigoDoModelo(baseDaEmpresa(f.empresa)));
        QString porque;
        if (!escritor.ValidarEncomenda(bases_, f.empresa, porque)) {
            r.texto = aEncomenda(f.nome, f.numero, f.empresa) +
                      QStringLiteral(" não seria gravada: ") + porque;
            return std::nullopt;
        }
        // What the run would find for the next file of this web order number.
        const IdentidadeDocumento previsto{QStringLiteral("?"), 0, 0, 0, cliente};
        simulados_[chave(f.empresa, f.numero)] << previsto;
        return previsto;
    }
    IdentidadeDocumento documento;
    erroDoEscritor_.clear();
    if (!escritor.GravarEncomenda(documento.TipoDocumento, documento.Serie, documento.Ano,
                                  documento.Numero, leitor.FicheiroXML, bases_, f.empresa)) {
        r.texto = aEncomenda(f.nome, f.numero, f.empresa) +
                  QStringLiteral(" não foi gravada (%1); fica na pasta de entrada.")
                      .arg(erroDoEscritor_.replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
        return std::nullopt;
    }
    documento.Terceiro = cliente;
    return documento;
}

void ImportacaoDeEncomendas::marcarEMover(const IdentidadeDocumento& documento,
                                          const QString& novoCliente, const QString& idUnico,
                                          xmlEncomenda& leitor, const QString& origem,
                                          const QString& destino, ResultadoDoFicheiro& r) {
    if (servicos_.Simulacao())
        return;
    const bool gravadaAgora = r.estado == Estado::Gravado;
    const auto ficou = [&](const QString& porque) {
        r.estado = Estado::Falhou;
        r.gravadoAgora = gravadaAgora;
        r.texto = QStringLiteral(
                      "A encomenda %1 foi gravada (documento %2) mas %3; fica na pasta "
                      "de entrada e não será gravada de novo.")
                      .arg(r.ficheiro, documento.texto(), porque);
    };
    if (!leitor.ActualizarXML(documento.TipoDocumento, documento.Numero, documento.Serie,
                              documento.Ano, novoCliente, idUnico)) {
        ficou(QStringLiteral("o ficheiro não foi actualizado (%1)").arg(leitor.UltimoErro));
        return;
    }
    QString porque;
    if (!MoverFicheiro(origem, destino, &porque))
        ficou(QStringLiteral("o ficheiro não pôde ser movido para a pasta de saída (%1)")
                  .arg(porque));
}
