#include "app/Sincronizacao.h"
#include "contacts/vekContactos.h"
#include "contacts/xmlContacto.h"
#include "platform/Caminhos.h"
#include "platform/Falha.h"
#include "settings/Parametros.h"

// Sends every CRM contact changed since the last run, one contact file each, company by company.
void Sincronizacao::EnviarAltareados() {
    Parametros parametros;
    parametros.FicheiroIni = FicheiroIni;
    if (!parametros.Ler())
        throw Falha(Falha::PermissaoNegada, parametros.UltimoErro);
    const QString pasta = parametros.Contactos_SaidaDirectoria;
    const QString padrao = parametros.Contactos_SaidaFicheiro;

    // One company's failure is reported and leaves its watermark alone; the other company is
    // still exported.
    for (const QString& empresa : {QStringLiteral("SR"), QStringLiteral("QF")}) {
        try {
            exportarEmpresa(empresa, pasta, padrao);
        } catch (const Falha& f) {
            AddErro(TextoDoErro(f.numero(),
                                QStringLiteral("Empresa %1: %2").arg(empresa, f.descricao()),
                                QStringLiteral("EnviarAltareados")));
        }
    }
}

void Sincronizacao::exportarEmpresa(const QString& empresa, const QString& pasta,
                                    const QString& padrao) {
    vekContactos loja;
    loja.percursoIni = FicheiroIni;
    loja.CodigoEmpresa = empresa;
    loja.ProcessarEventos = [this] { Pump(); };
    qint64 marca = 0;
    const qint64 ultimo = LerUltimoContacto(empresa);

    const std::unique_ptr<Recordset> rs = loja.rsListaContactosAlteradosDesde(ultimo);
    if (!rs)
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("Não foi possível listar os contactos alterados: %1")
                        .arg(loja.UltimoErro));

    if (rs->recordCount() != 0) {
        const QString texto =
            QStringLiteral("Existem %1 alterações a contactos para enviar.").arg(rs->recordCount());
        oLog->Escrever(texto);
        AddLista(texto);
        for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
            xmlContacto doc;
            const QString numero =
                QString::number(rs->value(QStringLiteral("Numero")).toLongLong());
            QString nome = padrao;
            nome.replace(QLatin1Char('*'), QLatin1Char(' ') + empresa + QLatin1Char('_') + numero);
            const QString caminho = juntarCaminho(pasta, nome);

            auto campo = [&](const char* coluna) {
                return TextoDoCampo(rs->value(QString::fromUtf8(coluna)));
            };
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

            // A failure here ends the company's export with its watermark unchanged: the files
            // already written are simply written again next time.
            doc.Create_XML(caminho);
            bool ok = false;
            marca = rs->value(QStringLiteral("Alteração")).toLongLong(&ok);
            if (!ok)
                throw Falha(Falha::TipoIncompativel,
                            QStringLiteral("A versão do contacto %1 não é um número inteiro: %2")
                                .arg(numero, rs->value(QStringLiteral("Alteração")).toString()));
            Pump();
        }
    } else {
        const QString texto = QStringLiteral("Não existem alterações a contactos para enviar.");
        oLog->Escrever(texto);
        AddLista(texto);
    }

    if (marca > ultimo && !GravarUltimoContacto(empresa, marca))
        AddErro(QStringLiteral("Não foi possível guardar a marca de contactos enviados (%1) da "
                               "empresa %2 no ficheiro de parâmetros %3; os contactos serão "
                               "enviados de novo na próxima sincronização.")
                    .arg(marca)
                    .arg(empresa, FicheiroIni));
}
