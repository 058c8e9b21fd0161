#include "contacts/ImportacaoDeContactos.h"

#include <optional>

#include "base/Falha.h"
#include "contacts/DecisaoDosContactos.h"
#include "contacts/Sobreposicao.h"
#include "contacts/vekContactos.h"
#include "contacts/xmlContacto.h"
#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/Ficheiros.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"
#include "support/ServicosDaExecucao.h"

namespace {

const QString kPasso = QStringLiteral("contactos");

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

ImportacaoDeContactos::ImportacaoDeContactos(ServicosDaExecucao& servicos, BasesDasEmpresas& bases,
                                             Sobreposicao& sobreposta)
    : servicos_(servicos), bases_(bases), sobreposta_(sobreposta) {}

void ImportacaoDeContactos::ImpContactos(ListagemDeFicheiros& ListaDeFicheiros) {
    const int total = ListaDeFicheiros.ListCount();
    if (total == 0) {
        servicos_.Mostrar(QStringLiteral("Não existem contactos para importar"));
        servicos_.RecusarEntradas(kPasso, ListaDeFicheiros);
        return;
    }
    xmlContacto oNewContacto;
    // A file that does not parse is reported by the reader's event: its report is the file's
    // result.
    QObject::connect(&oNewContacto, &xmlContacto::Erro, &oNewContacto,
                     [this](const QString& DescricaoDoErro) { relatorio_ = DescricaoDoErro; });
    servicos_.Mostrar(QStringLiteral("Existem %1 contactos para importar").arg(total));
    QStringList nomes;
    for (int i = 0; i < total; ++i)
        nomes << ListaDeFicheiros.List(i);
    const QString pasta = ListaDeFicheiros.Path();

    for (int i = 0; i < nomes.size(); ++i) {
        servicos_.Pump();
        ListaDeFicheiros.ListIndex = i;
        ResultadoDoFicheiro r;
        try {
            r = importarFicheiro(oNewContacto, pasta, nomes[i]);
        } catch (const Falha& f) {
            r = ResultadoDoFicheiro{};
            r.estado = ResultadoDoFicheiro::Estado::Falhou;
            r.ficheiro = nomes[i];
            r.texto = QStringLiteral(
                          "O contacto do ficheiro %1 não foi gravado (%2); fica na "
                          "pasta de entrada.")
                          .arg(nomes[i], f.descricao());
        }
        servicos_.Resultado(kPasso, r);
    }
    servicos_.RecusarEntradas(kPasso, ListaDeFicheiros);
    if (!importados_.isEmpty()) {
        servicos_.Mostrar(servicos_.Simulacao()
                              ? QStringLiteral("Seriam importados os seguintes novos contactos: ")
                              : QStringLiteral("Foram importados os seguintes novos contactos: "));
        for (const QString& linha : importados_)
            servicos_.Mostrar(linha);
    }
}

ResultadoDoFicheiro ImportacaoDeContactos::importarFicheiro(xmlContacto& oNewContacto,
                                                            const QString& pasta,
                                                            const QString& nome) {
    FactosDoContacto f;
    f.nome = nome;
    oNewContacto.Ficheiro = juntarCaminho(pasta, nome);
    // Its backup's name must be free for it: what the web side put there stays.
    if (const TipoDeEntrada tipo = tipoDeEntrada(oNewContacto.Ficheiro + QStringLiteral(".bak"));
        tipo != TipoDeEntrada::NaoExiste && tipo != TipoDeEntrada::Ficheiro) {
        f.copiaOcupada = descricaoDoTipo(tipo);
    } else if (relatorio_.clear(); !oNewContacto.Ler()) {
        f.naoLido = relatorio_;
    } else {
        f.idNet = oNewContacto.id;
        f.empresa = oNewContacto.CodigoEmpresa;
    }
    std::optional<vekContactos> contacto;
    if (const std::optional<qint32> idNet = identificadorWeb(f.idNet);
        idNet && f.copiaOcupada.isEmpty() && !f.naoLido) {
        contacto.emplace(bases_.BaseDaEmpresa(f.empresa), &servicos_);
        copiarDoFicheiro(oNewContacto, *idNet, *contacto);
        // A web contact met earlier in a trial run is known to the files after it.
        if (const auto dado = sobreposta_.contactoDaWeb(f.empresa, *idNet))
            f.conhecido = dado->codigo;
        else if (contacto->LerEquivalencia())
            f.conhecido = contacto->Codigo;
    }
    const PlanoDoContacto plano = decidirContacto(f);

    ResultadoDoFicheiro r;
    r.ficheiro = nome;
    r.empresa = f.empresa;
    r.texto = plano.razao;
    r.caixa = plano.caixa;
    if (plano.accao == PlanoDoContacto::Accao::Recusar)
        return r;
    const bool simulacao = servicos_.Simulacao();
    bool novo = plano.accao == PlanoDoContacto::Accao::Adicionar;
    if (novo && simulacao) {
        contacto->ProximoCodigo(sobreposta_);
        sobreposta_.adicionarContacto(f.empresa,
                                      {contacto->Numero, contacto->Codigo, contacto->IdNet});
    } else if (novo) {
        // Known after all when another program added it meanwhile.
        novo = contacto->Contacto_add();
    }
    r.estado =
        novo ? ResultadoDoFicheiro::Estado::Adicionado : ResultadoDoFicheiro::Estado::Conhecido;
    if (novo)
        importados_ << contacto->Codigo + QLatin1Char('\t') + contacto->Nome;
    else
        r.texto = (simulacao ? QStringLiteral("O ficheiro %1 seria guardado como cópia: o contacto "
                                              "%2 da web já existe (%3).")
                             : QStringLiteral("O ficheiro %1 foi guardado como cópia: o contacto "
                                              "%2 da web já existe (%3)."))
                      .arg(nome, QString::number(contacto->IdNet),
                           f.conhecido.value_or(contacto->Codigo));
    if (simulacao)
        return r;
    QString porque;
    if (!ArquivarFicheiro(pasta, nome, &porque))
        servicos_.Mostrar(QStringLiteral("O ficheiro %1 não pôde ser guardado como cópia "
                                         "(.bak): %2; será lido de novo na próxima "
                                         "sincronização.")
                              .arg(nome, porque));
    return r;
}
