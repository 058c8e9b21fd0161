#include <QFile>

#include "app/Sincronizacao.h"
#include "contacts/vekContactos.h"
#include "contacts/xmlContacto.h"
#include "platform/Caminhos.h"
#include "platform/Falha.h"

// Adds the contacts the web side left as files to the CRM, and keeps each file as a backup.
// A file whose contact was not written stays in the inbox for the next run.
void Sincronizacao::ImpContactos() {
    const int total = ListaDeFicheiros.ListCount();
    if (total == 0) {
        const QString texto = QStringLiteral("Não existem contactos para importar");
        oLog->Escrever(texto);
        AddLista(texto);
        return;
    }
    oNewContacto = std::make_unique<xmlContacto>();
    connect(oNewContacto.get(), &xmlContacto::Erro, this, &Sincronizacao::oNewContacto_Erro);
    const QString texto = QStringLiteral("Existem %1 contactos para importar").arg(total);
    oLog->Escrever(texto);
    AddLista(texto);

    QStringList importados;
    QStringList nomes;
    for (int i = 0; i < total; ++i)
        nomes << ListaDeFicheiros.List(i);
    const QString pasta = ListaDeFicheiros.Path();

    for (int i = 0; i < nomes.size(); ++i) {
        Pump();
        ListaDeFicheiros.ListIndex = i;
        const QString& nome = nomes[i];
        oNewContacto->Ficheiro = juntarCaminho(pasta, nome);
        if (!TamanhoAceitavel(oNewContacto->Ficheiro, nome) || !oNewContacto->Ler())
            continue;

        bool ok = false;
        const qint32 idNet = oNewContacto->id.trimmed().toInt(&ok);
        if (!ok) {
            AddErro(QStringLiteral("O ficheiro de contacto %1 não tem um IDNET numérico (\"%2\"); "
                                   "fica na pasta de entrada.")
                        .arg(nome, oNewContacto->id));
            continue;
        }

        vekContactos contacto;
        contacto.percursoIni = FicheiroIni;
        contacto.ProcessarEventos = [this] { Pump(); };
        contacto.Nome = oNewContacto->Nome;
        contacto.Contacto = oNewContacto->Responsavel;
        contacto.Morada = oNewContacto->Morada;
        contacto.Localidade = oNewContacto->Localidade;
        contacto.CodigoPostal = oNewContacto->CodPostal;
        contacto.Telefone = oNewContacto->Telefone;
        contacto.Fax = oNewContacto->Fax;
        contacto.Telemovel = oNewContacto->Telemovel;
        contacto.Contribuinte = oNewContacto->Nif;
        contacto.TelefoneComercial = oNewContacto->Comercial;
        contacto.TelefoneFinanceiro = oNewContacto->Financeiro;
        contacto.email = oNewContacto->email;
        contacto.Sitio = oNewContacto->SITE;
        contacto.IdNet = idNet;
        contacto.CodigoEmpresa = oNewContacto->CodigoEmpresa;

        try {
            if (contacto.Contacto_add())
                importados << contacto.Codigo + QLatin1Char('\t') + contacto.Nome;
        } catch (const Falha& f) {
            contacto.UltimoResultado = vekContactos::Resultado::Falhou;
            contacto.UltimoErro = f.descricao();
        }
        if (contacto.UltimoResultado == vekContactos::Resultado::Falhou) {
            AddErro(QStringLiteral("O contacto do ficheiro %1 não foi gravado (%2); fica na pasta "
                                   "de entrada.")
                        .arg(nome, contacto.UltimoErro));
            continue;
        }
        ArquivarFicheiro(pasta, nome);
        if (QFile::exists(oNewContacto->Ficheiro)) {
            const QString aviso = QStringLiteral(
                                      "O ficheiro %1 não pôde ser guardado como cópia "
                                      "(.bak); será lido de novo na próxima "
                                      "sincronização.")
                                      .arg(nome);
            oLog->Escrever(aviso);
            AddLista(aviso);
        }
    }

    if (!importados.isEmpty()) {
        const QString cabecalho = QStringLiteral("Foram importados os seguintes novos contactos: ");
        oLog->Escrever(cabecalho);
        AddLista(cabecalho);
        for (const QString& linha : importados) {
            oLog->Escrever(linha);
            AddLista(linha);
        }
    }
}
