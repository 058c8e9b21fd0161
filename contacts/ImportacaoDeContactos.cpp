#include "contacts/ImportacaoDeContactos.h"

#include <QFile>
#include <QSet>

#include "base/Falha.h"
#include "contacts/vekContactos.h"
#include "contacts/xmlContacto.h"
#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/Ficheiros.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"
#include "support/ServicosDaExecucao.h"

namespace {

// The CRM contact of a web contact file.
void copiarDoFicheiro(const xmlContacto& ficheiro, qint32 idNet, vekContactos& contacto) {
    contacto.Nome = ficheiro.Nome;
    contacto.Contacto = ficheiro.Responsavel;
    contacto.Morada = ficheiro.Morada;
    contacto.Localidade = ficheiro.Localidade;
    contacto.CodigoPostal = ficheiro.CodPostal;
    contacto.Telefone = ficheiro.Telefone;
    contacto.Fax = ficheiro.Fax;
    contacto.Telemovel = ficheiro.Telemovel;
    contacto.Contribuinte = ficheiro.Nif;
    contacto.TelefoneComercial = ficheiro.Comercial;
    contacto.TelefoneFinanceiro = ficheiro.Financeiro;
    contacto.email = ficheiro.email;
    contacto.Sitio = ficheiro.SITE;
    contacto.IdNet = idNet;
    contacto.CodigoEmpresa = ficheiro.CodigoEmpresa;
}

}  // namespace

ImportacaoDeContactos::ImportacaoDeContactos(ServicosDaExecucao& servicos, BasesDasEmpresas& bases)
    : servicos_(servicos), bases_(bases) {}

void ImportacaoDeContactos::ImpContactos(ListagemDeFicheiros& ListaDeFicheiros) {
    const int total = ListaDeFicheiros.ListCount();
    if (total == 0) {
        servicos_.Mostrar(QStringLiteral("Não existem contactos para importar"));
        servicos_.Resumo().contactosRecusados += servicos_.RecusarEntradas(ListaDeFicheiros);
        return;
    }
    xmlContacto oNewContacto;
    QObject::connect(
        &oNewContacto, &xmlContacto::Erro, &oNewContacto,
        [this](const QString& DescricaoDoErro) { servicos_.MostrarErro(DescricaoDoErro); });
    servicos_.Mostrar(QStringLiteral("Existem %1 contactos para importar").arg(total));

    ResumoDaExecucao& resumo = servicos_.Resumo();
    // Every file is refused but those added or found known.
    const int antes = resumo.contactosAdicionados + resumo.contactosConhecidos;
    QStringList nomes;
    for (int i = 0; i < total; ++i)
        nomes << ListaDeFicheiros.List(i);
    const QString pasta = ListaDeFicheiros.Path();

    for (int i = 0; i < nomes.size(); ++i) {
        servicos_.Pump();
        ListaDeFicheiros.ListIndex = i;
        importarFicheiro(oNewContacto, pasta, nomes[i]);
    }

    resumo.contactosRecusados +=
        int(nomes.size()) - (resumo.contactosAdicionados + resumo.contactosConhecidos - antes) +
        servicos_.RecusarEntradas(ListaDeFicheiros);
    if (!importados_.isEmpty()) {
        servicos_.Mostrar(QStringLiteral("Foram importados os seguintes novos contactos: "));
        for (const QString& linha : importados_)
            servicos_.Mostrar(linha);
    }
}

void ImportacaoDeContactos::importarFicheiro(xmlContacto& oNewContacto, const QString& pasta,
                                             const QString& nome) {
    oNewContacto.Ficheiro = juntarCaminho(pasta, nome);
    // Its backup's name must be free for it: what the web side put there stays.
    if (const TipoDeEntrada tipo = tipoDeEntrada(oNewContacto.Ficheiro + QStringLiteral(".bak"));
        tipo != TipoDeEntrada::NaoExiste && tipo != TipoDeEntrada::Ficheiro) {
        servicos_.AddErro(QStringLiteral("O ficheiro de contacto %1 não foi lido: o nome da sua "
                                         "cópia, %1.bak, é %2, que fica como está; o ficheiro "
                                         "fica na pasta de entrada.")
                              .arg(nome, descricaoDoTipo(tipo)));
        return;
    }
    if (!oNewContacto.Ler())
        return;

    bool ok = false;
    const qint32 idNet = oNewContacto.id.trimmed().toInt(&ok);
    if (!ok) {
        servicos_.AddErro(QStringLiteral("O ficheiro de contacto %1 não tem um IDNET numérico "
                                         "(\"%2\"); fica na pasta de entrada.")
                              .arg(nome, oNewContacto.id));
        return;
    }
    ResumoDaExecucao& resumo = servicos_.Resumo();
    try {
        vekContactos contacto(bases_.BaseDaEmpresa(oNewContacto.CodigoEmpresa));
        contacto.ProcessarEventos = [this] { servicos_.Pump(); };
        copiarDoFicheiro(oNewContacto, idNet, contacto);
        if (servicos_.Simulacao()) {
            preverContacto(contacto, nome);
            return;
        }
        const bool novo = contacto.Contacto_add();
        if (novo)
            importados_ << contacto.Codigo + QLatin1Char('\t') + contacto.Nome;
        ++(novo ? resumo.contactosAdicionados : resumo.contactosConhecidos);
    } catch (const Falha& f) {
        servicos_.AddErro(QStringLiteral("O contacto do ficheiro %1 não foi gravado (%2); fica "
                                         "na pasta de entrada.")
                              .arg(nome, f.descricao()));
        return;
    }
    QString porque;
    if (!ArquivarFicheiro(pasta, nome, &porque))
        servicos_.Mostrar(QStringLiteral("O ficheiro %1 não pôde ser guardado como cópia "
                                         "(.bak): %2; será lido de novo na próxima "
                                         "sincronização.")
                              .arg(nome, porque));
}

void ImportacaoDeContactos::preverContacto(vekContactos& contacto, const QString& nome) {
    ResumoDaExecucao& resumo = servicos_.Resumo();
    // A web contact met twice is added at its first file only.
    const QString chave =
        contacto.CodigoEmpresa + QLatin1Char('\t') + QString::number(contacto.IdNet);
    const bool conhecido = contacto.LerEquivalencia();
    if (conhecido || previstos_.contains(chave)) {
        ++resumo.contactosConhecidos;
        servicos_.Mostrar(
            QStringLiteral("O ficheiro %1 seria guardado como cópia: o contacto %2 "
                           "da web já existe%3.")
                .arg(nome, QString::number(contacto.IdNet),
                     conhecido ? QStringLiteral(" (%1)").arg(contacto.Codigo) : QString()));
        return;
    }
    previstos_.insert(chave);
    ++resumo.contactosAdicionados;
    servicos_.Mostrar(QStringLiteral("O contacto %1 do ficheiro %2 seria adicionado à empresa %3.")
                          .arg(contacto.Nome, nome, contacto.CodigoEmpresa));
}
