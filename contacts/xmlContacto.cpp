#include "contacts/xmlContacto.h"

#include <array>

#include "platform/xml/EscritaXml.h"
#include "platform/xml/FicheiroXml.h"

namespace {

struct ElementoEscrito {
    const char* elemento;
    const char* descr;
    const char* tipo;
    QString xmlContacto::*propriedade;
};

// The contact file's PRP, in file order; the web side reads the descriptions.
const std::array<ElementoEscrito, 19> elementosEscritos{{
    {"IDNET", "Id do Cliente Online", "int", &xmlContacto::IdSite},
    {"CODEMPRESA", "Coigo de Empresa", "String", &xmlContacto::CodigoEmpresa},
    {"IDCONTACTO", "Id do Cliente na Tabela de Contactos VEK", "int", &xmlContacto::idContactos},
    {"TIPO", "Tipo de Cliente", "int", &xmlContacto::Tipo},
    {"DESC", "Desconto Geral deste Tipo de Cliente - Percentagem 0 a 100", "float",
     &xmlContacto::Desconto},
    {"VENDEDOR", "Id do Vendedor na Tabela de Vendedores", "string", &xmlContacto::Vendedor},
    {"NOME", "Nome do CLiente", "String", &xmlContacto::Nome},
    {"EMAIL", "E-mail do Cliente", "String", &xmlContacto::email},
    {"NIF", "Nif do Cliente", "String", &xmlContacto::Nif},
    {"RESPONSAVEL", "Responsável no Cliente", "String", &xmlContacto::Responsavel},
    {"MORADA", "Morada do Cliente", "String", &xmlContacto::Morada},
    {"CODPOSTAL", "Cod Postal", "String", &xmlContacto::CodPostal},
    {"LOCALIDADE", "Localidade", "String", &xmlContacto::Localidade},
    {"TELEFONE", "Telefone Geral", "String", &xmlContacto::Telefone},
    {"FAX", "Fax Geral", "String", &xmlContacto::Fax},
    {"COMERCIAL", "Telefone do Comercial", "String", &xmlContacto::Comercial},
    {"FINANCEIRO", "Telefone do Financeiro", "String", &xmlContacto::Financeiro},
    {"SITE", "Url do Website do Cliente", "String", &xmlContacto::SITE},
    {"Id_Unico", "Id_Unico", "String", &xmlContacto::Id_Unico},
}};

struct ElementoLido {
    const char* elemento;  // upper case
    QString xmlContacto::*propriedade;
};

const std::array<ElementoLido, 15> elementosLidos{{
    {"IDNET", &xmlContacto::id},
    {"CODEMPRESA", &xmlContacto::CodigoEmpresa},
    {"NOME", &xmlContacto::Nome},
    {"EMAIL", &xmlContacto::email},
    {"NIF", &xmlContacto::Nif},
    {"RESPONSAVEL", &xmlContacto::Responsavel},
    {"MORADA", &xmlContacto::Morada},
    {"CODPOSTAL", &xmlContacto::CodPostal},
    {"LOCALIDADE", &xmlContacto::Localidade},
    {"TELEFONE", &xmlContacto::Telefone},
    {"TELEMOVEL", &xmlContacto::Telemovel},
    {"FAX", &xmlContacto::Fax},
    {"COMERCIAL", &xmlContacto::Comercial},
    {"FINANCEIRO", &xmlContacto::Financeiro},
    {"SITE", &xmlContacto::SITE},
}};

}  // namespace

void xmlContacto::Create_XML(const QString& Ficheiro) {
    static const std::array<QString, elementosEscritos.size()> atributos = [] {
        std::array<QString, elementosEscritos.size()> r;
        for (std::size_t i = 0; i < r.size(); ++i)
            r[i] = QStringLiteral(" Descr=\"%1\" tipo=\"%2\"")
                       .arg(QString::fromUtf8(elementosEscritos[i].descr),
                            QLatin1String(elementosEscritos[i].tipo));
        return r;
    }();
    QString texto;
    texto.reserve(2048);
    texto += QLatin1String("<?xml version='1.0' encoding='UTF-8'?><CLIENTES><PRP>");
    for (std::size_t i = 0; i < elementosEscritos.size(); ++i) {
        const ElementoEscrito& e = elementosEscritos[i];
        juntarElementoXml(texto, QLatin1String(e.elemento), this->*e.propriedade, atributos[i]);
    }
    texto += QLatin1String("</PRP></CLIENTES>");
    gravarFicheiroAtomicamente(Ficheiro, texto.toUtf8());
}

bool xmlContacto::Ler() {
    FicheiroXml ficheiro;
    if (!ficheiro.carregar(Ficheiro)) {
        emit Erro(ficheiro.erro().relatorio(), QStringLiteral("Ler XML de Contacto ") + Ficheiro);
        return false;
    }
    for (const ElementoLido& e : elementosLidos)
        (this->*e.propriedade).clear();

    const ElementoXml* prp = ficheiro.primeiroElemento(QStringLiteral("PRP"));
    if (!prp)
        return true;
    for (const ElementoXml& filho : prp->filhos) {
        const QString nome = filho.nome.toUpper();
        for (const ElementoLido& e : elementosLidos) {
            if (nome == QLatin1String(e.elemento)) {
                this->*e.propriedade = filho.texto;
                break;
            }
        }
    }
    return true;
}
