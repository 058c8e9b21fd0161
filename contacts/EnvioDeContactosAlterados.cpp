#include "contacts/EnvioDeContactosAlterados.h"

#include <QDir>
#include <list>

#include "base/Falha.h"
#include "contacts/ConversoesDeEncomendas.h"
#include "contacts/DecisaoDosContactos.h"
#include "contacts/vekContactos.h"
#include "contacts/xmlContacto.h"
#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/GravacaoAtomica.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "settings/Parametros.h"
#include "support/ServicosDaExecucao.h"

namespace {

// A column of the listing as the contact file carries it: a null is an empty element.
QString TextoDoCampo(const QVariant& valor) {
    return valor.isNull() ? QString() : valor.toString();
}

}  // namespace

EnvioDeContactosAlterados::EnvioDeContactosAlterados(const Parametros& parametros,
                                                     ServicosDaExecucao& servicos,
                                                     BasesDasEmpresas& bases)
    : parametros_(parametros), servicos_(servicos), bases_(bases) {}

void EnvioDeContactosAlterados::EnviarAltareados() {
    // Without its settings the export cannot know where the files go.
    if (!parametros_.UltimoErro.isEmpty())
        throw Falha(Falha::PermissaoNegada, parametros_.UltimoErro);
    pasta_ = parametros_.PastaNecessaria(&Parametros::Contactos_SaidaDirectoria);
    padrao_ = parametros_.PadraoDeSaidaDosContactos();
    for (const QString& empresa : {QStringLiteral("SR"), QStringLiteral("QF")}) {
        try {
            exportarEmpresa(empresa);
        } catch (const Falha& f) {
            servicos_.AddErro(TextoDoErro(
                f.numero(), QStringLiteral("Empresa %1: %2").arg(empresa, f.descricao()),
                QStringLiteral("EnviarAltareados")));
        }
    }
}

qint64 EnvioDeContactosAlterados::LerUltimoContacto(const QString& Empresa) const {
    return parametros_.UltimoContacto_Get(Empresa);
}

bool EnvioDeContactosAlterados::GravarUltimoContacto(const QString& Empresa, qint64 valor) const {
    // The contact files are not flushed one by one; they reach the disk before the watermark
    // passes them, or a power cut could leave contacts marked as sent that never were.
    sincronizarDisco(pasta_);
    return parametros_.UltimoContacto_Put(Empresa, valor);
}

void EnvioDeContactosAlterados::exportarEmpresa(const QString& empresa) {
    const qint64 ultimo = LerUltimoContacto(empresa);
    Recordset linha;
    try {
        vekContactos loja(bases_.BaseDaEmpresa(empresa));
        loja.CodigoEmpresa = empresa;
        if (!servicos_.Simulacao())
            loja.EsquecerIdentidadesSemContacto();
        linha = loja.rsListaContactosAlteradosDesde(ultimo);
    } catch (const Falha& f) {
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("Não foi possível listar os contactos alterados: Erro %1 (%2)")
                        .arg(f.numero())
                        .arg(f.descricao()));
    }
    // A contact whose number has several web identifiers comes once per identifier, in a row.
    std::list<ContactoAlterado> alterados;
    for (linha.moveFirst(); !linha.eof(); linha.moveNext()) {
        const qint64 numero = linha.value(QStringLiteral("Numero")).toLongLong();
        if (alterados.empty() || alterados.back().numero != numero)
            lerContacto(alterados.emplace_back(), linha, empresa);
        if (const QVariant id = linha.value(QStringLiteral("IDnet")); !id.isNull())
            alterados.back().identificadores << id.toString();
    }

    // Every company is in the figures, those with nothing to send too.
    servicos_.Resumo().contactosEnviados.append({empresa, 0});
    if (alterados.empty())
        servicos_.Mostrar(QStringLiteral("Não existem alterações a contactos para enviar."));
    else
        servicos_.Mostrar(QStringLiteral("Existem %1 alterações a contactos para enviar.")
                              .arg(qsizetype(alterados.size())));
    // The watermark passes a contact once it is sent, or refused until it changes; one held
    // back keeps it, and the contacts after it are sent again next time.
    qint64 marca = 0;
    bool retido = false;
    for (ContactoAlterado& c : alterados) {
        retido = !enviarContacto(c, empresa) || retido;
        if (!retido)
            marca = c.versao;
        servicos_.Pump();
    }

    if (marca > ultimo && !servicos_.Simulacao() && !GravarUltimoContacto(empresa, marca))
        servicos_.AddErro(QStringLiteral("Não foi possível guardar a marca de contactos enviados "
                                         "(%1) da empresa %2 no ficheiro de parâmetros %3; os "
                                         "contactos serão enviados de novo na próxima "
                                         "sincronização.")
                              .arg(marca)
                              .arg(empresa, parametros_.FicheiroIni));
}

void EnvioDeContactosAlterados::lerContacto(ContactoAlterado& c, const Recordset& linha,
                                            const QString& empresa) const {
    const auto campo = [&](const char* coluna) {
        return TextoDoCampo(linha.value(QString::fromUtf8(coluna)));
    };
    c.numero = linha.value(QStringLiteral("Numero")).toLongLong();
    bool ok = false;
    c.versao = linha.value(QStringLiteral("Alteração")).toLongLong(&ok);
    if (!ok)
        throw Falha(Falha::TipoIncompativel,
                    QStringLiteral("A versão do contacto %1 não é um número inteiro: %2")
                        .arg(c.numero)
                        .arg(linha.value(QStringLiteral("Alteração")).toString()));
    xmlContacto& doc = c.documento;
    doc.CodigoEmpresa = empresa;
    doc.idContactos = QString::number(c.numero);
    doc.Tipo = campo("Tipo");
    doc.Desconto = campo("Desconto");
    doc.Vendedor = campo("Vendedor");
    doc.Nome = campo("Nome");
    doc.email = campo("Email");
    doc.Nif = campo("NContrib");
    doc.Responsavel = campo("Contacto");
    doc.Morada = campo("Morada");
    doc.CodPostal = campo("CdPostal");
    doc.Localidade = campo("Local");
    doc.Telefone = campo("Telef");
    doc.Fax = campo("Fax");
    doc.Comercial = campo("TelCom");
    doc.Financeiro = campo("Telfim");
    doc.SITE = campo("Sitio");
    doc.Id_Unico = campo("Id_Unico");
}

bool EnvioDeContactosAlterados::enviarContacto(ContactoAlterado& c, const QString& empresa) {
    xmlContacto& doc = c.documento;
    const QString numero = QString::number(c.numero);
    QString nome = padrao_;
    nome.replace(QLatin1Char('*'), QLatin1Char(' ') + empresa + QLatin1Char('_') + numero);
    const QString destino = juntarCaminho(pasta_, nome);

    FactosDoEnvio f;
    f.contacto = QStringLiteral("O contacto %1 (%2) da empresa %3").arg(numero, doc.Nome, empresa);
    f.identificadores = c.identificadores;
    f.destino = QDir::toNativeSeparators(destino);
    if (const TipoDeEntrada tipo = tipoDeEntrada(destino);
        tipo != TipoDeEntrada::NaoExiste && tipo != TipoDeEntrada::Ficheiro)
        f.destinoOcupado = descricaoDoTipo(tipo);
    if (f.identificadores.size() > 1)
        f.historiaDoCodigo = historiaDoCodigo(c, empresa);
    const PlanoDoEnvio plano = decidirEnvio(f);

    ResultadoDoFicheiro r;
    r.ficheiro = nome;
    r.empresa = empresa;
    r.texto = plano.razao;
    if (plano.accao == PlanoDoEnvio::Accao::Enviar) {
        r.estado = ResultadoDoFicheiro::Estado::Enviado;
        doc.IdSite = plano.identificador;
        if (servicos_.Simulacao())
            r.texto = QStringLiteral(
                          "Seria enviado o contacto %1 (%2) da empresa %3 no ficheiro "
                          "%4.")
                          .arg(numero, doc.Nome, empresa, destino);
        else
            // A failure here ends the company's export with its watermark unchanged: the files
            // already written are simply written again next time.
            doc.Create_XML(destino);
    }
    servicos_.Resultado(QStringLiteral("envio"), r);
    return plano.accao != PlanoDoEnvio::Accao::Reter;
}

QString EnvioDeContactosAlterados::historiaDoCodigo(const ContactoAlterado& c,
                                                    const QString& empresa) {
    clsBd& bd = bases_.BaseDaEmpresa(empresa);
    const QString codigo = QString::number(c.numero);
    QString texto;
    if (existeTabelaDeConversoes(bd))
        if (const auto conversao = ultimaConversaoDoContacto(bd, empresa, codigo))
            texto += QStringLiteral(" Um contacto com o código %1 foi feito cliente %2 em %3.")
                         .arg(codigo, conversao->CodigoCliente, conversao->Data);
    if (const auto antiga = conversaoAntigaDoContacto(bd, codigo))
        texto += QStringLiteral(
                     " Uma versão anterior do programa fez de um contacto com o "
                     "código %1 o cliente %2.")
                     .arg(codigo, antiga->CodigoCliente);
    return texto;
}
