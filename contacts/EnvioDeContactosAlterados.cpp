#include "contacts/EnvioDeContactosAlterados.h"

#include "contacts/vekContactos.h"
#include "contacts/xmlContacto.h"
#include "platform/Caminhos.h"
#include "platform/Falha.h"
#include "platform/GravacaoAtomica.h"
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
    sincronizarDisco(parametros_.Contactos_SaidaDirectoria);
    return parametros_.UltimoContacto_Put(Empresa, valor);
}

void EnvioDeContactosAlterados::exportarEmpresa(const QString& empresa) {
    const qint64 ultimo = LerUltimoContacto(empresa);
    Recordset linha;
    try {
        vekContactos loja(bases_.BaseDaEmpresa(empresa));
        loja.CodigoEmpresa = empresa;
        linha = loja.rsListaContactosAlteradosDesde(ultimo);
    } catch (const Falha& f) {
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("Não foi possível listar os contactos alterados: Erro %1 (%2)")
                        .arg(f.numero())
                        .arg(f.descricao()));
    }

    const bool simulacao = servicos_.Simulacao();
    ResumoDaExecucao& resumo = servicos_.Resumo();
    resumo.contactosEnviados.append({empresa, 0});
    int& enviados = resumo.contactosEnviados.last().second;
    qint64 marca = 0;
    if (linha.recordCount() == 0)
        servicos_.Mostrar(QStringLiteral("Não existem alterações a contactos para enviar."));
    else
        servicos_.Mostrar(QStringLiteral("Existem %1 alterações a contactos para enviar.")
                              .arg(linha.recordCount()));
    for (linha.moveFirst(); !linha.eof(); linha.moveNext()) {
        const auto campo = [&](const char* coluna) {
            return TextoDoCampo(linha.value(QString::fromUtf8(coluna)));
        };
        const QString numero = QString::number(linha.value(QStringLiteral("Numero")).toLongLong());
        QString nome = parametros_.Contactos_SaidaFicheiro;
        nome.replace(QLatin1Char('*'), QLatin1Char(' ') + empresa + QLatin1Char('_') + numero);

        xmlContacto doc;
        doc.CodigoEmpresa = empresa;
        doc.IdSite = campo("IDnet");
        doc.idContactos = numero;
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
        const QString destino = juntarCaminho(parametros_.Contactos_SaidaDirectoria, nome);
        if (simulacao)
            servicos_.Mostrar(QStringLiteral("Seria enviado o contacto %1 (%2) da empresa %3 no "
                                             "ficheiro %4.")
                                  .arg(numero, doc.Nome, empresa, destino));
        else
            // A failure here ends the company's export with its watermark unchanged: the files
            // already written are simply written again next time.
            doc.Create_XML(destino);
        ++enviados;

        bool ok = false;
        marca = linha.value(QStringLiteral("Alteração")).toLongLong(&ok);
        if (!ok)
            throw Falha(Falha::TipoIncompativel,
                        QStringLiteral("A versão do contacto %1 não é um número inteiro: %2")
                            .arg(numero, linha.value(QStringLiteral("Alteração")).toString()));
        servicos_.Pump();
    }

    if (marca > ultimo && !simulacao && !GravarUltimoContacto(empresa, marca))
        servicos_.AddErro(QStringLiteral("Não foi possível guardar a marca de contactos enviados "
                                         "(%1) da empresa %2 no ficheiro de parâmetros %3; os "
                                         "contactos serão enviados de novo na próxima "
                                         "sincronização.")
                              .arg(marca)
                              .arg(empresa, parametros_.FicheiroIni));
}
