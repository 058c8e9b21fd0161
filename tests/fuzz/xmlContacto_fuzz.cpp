// Reads arbitrary bytes as a contact file. A file that reads must also survive being written
// and read again with every value it read.
#include <QLocale>
#include <array>

#include "contacts/xmlContacto.h"
#include "tests/fuzz/Comum.h"

namespace {

struct Campo {
    const char* nome;
    QString xmlContacto::*propriedade;
};

// What Ler fills and Create_XML writes (the identifier as IdSite); Telemovel is not written.
const std::array<Campo, 14> campos{{
    {"id", &xmlContacto::id},
    {"CodigoEmpresa", &xmlContacto::CodigoEmpresa},
    {"Nome", &xmlContacto::Nome},
    {"email", &xmlContacto::email},
    {"Nif", &xmlContacto::Nif},
    {"Responsavel", &xmlContacto::Responsavel},
    {"Morada", &xmlContacto::Morada},
    {"CodPostal", &xmlContacto::CodPostal},
    {"Localidade", &xmlContacto::Localidade},
    {"Telefone", &xmlContacto::Telefone},
    {"Fax", &xmlContacto::Fax},
    {"Comercial", &xmlContacto::Comercial},
    {"Financeiro", &xmlContacto::Financeiro},
    {"SITE", &xmlContacto::SITE},
}};

// The text as the writer can hold it: characters XML 1.0 does not allow are left out.
QString comoEscrito(const QString& texto) {
    QString r;
    for (const char32_t u : texto.toUcs4())
        if (u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) ||
            (u >= 0xE000 && u <= 0xFFFD) || (u >= 0x10000 && u <= 0x10FFFF))
            r += QString::fromUcs4(&u, 1);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(localPortugues());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const QString ficheiro = caminhoDeTrabalho(QStringLiteral("contacto.xml"));
    gravarEntrada(ficheiro, dados, tamanho);

    xmlContacto lido;
    lido.Ficheiro = ficheiro;
    QString erro;
    QObject::connect(&lido, &xmlContacto::Erro, &lido,
                     [&erro](const QString& descricao, const QString&) { erro = descricao; });
    if (!lido.Ler()) {
        if (erro.isEmpty())
            quebrou("Ler failed without reporting why");
        return 0;
    }

    const QString copia = caminhoDeTrabalho(QStringLiteral("copia.xml"));
    lido.IdSite = lido.id;
    lido.Create_XML(copia);
    xmlContacto relido;
    relido.Ficheiro = copia;
    if (!relido.Ler())
        quebrou("a contact file written from a read one does not read");
    for (const Campo& c : campos) {
        const QString esperado = comoEscrito(lido.*c.propriedade);
        if (relido.*c.propriedade != esperado)
            quebrou(c.nome, QStringLiteral("written \"%1\", read back \"%2\"")
                                .arg(esperado, relido.*c.propriedade));
    }
    return 0;
}
