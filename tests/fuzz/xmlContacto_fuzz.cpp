// Reads arbitrary bytes as a contact file. A file that reads must also survive being written
// and read again with every value it read.
#include "contacts/xmlContacto.h"
#include "tests/fuzz/Comum.h"

namespace {

// What Ler fills and Create_XML writes (the identifier as IdSite; Telemovel is not written), as
// the writer can hold it: characters XML 1.0 does not allow are left out.
QStringList valores(const xmlContacto& c) {
    QStringList r;
    for (const QString& v :
         {c.id, c.CodigoEmpresa, c.Nome, c.email, c.Nif, c.Responsavel, c.Morada, c.CodPostal,
          c.Localidade, c.Telefone, c.Fax, c.Comercial, c.Financeiro, c.SITE}) {
        QString t;
        for (const char32_t u : v.toUcs4())
            if (u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) ||
                (u >= 0xE000 && u <= 0xFFFD) || u >= 0x10000)
                t += QString::fromUcs4(&u, 1);
        r << t;
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(localPortugues());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    xmlContacto lido;
    lido.Ficheiro = gravarEntrada("contacto.xml", dados, tamanho);
    QString erro;
    QObject::connect(&lido, &xmlContacto::Erro, &lido,
                     [&erro](const QString& descricao, const QString&) { erro = descricao; });
    if (!lido.Ler()) {
        if (erro.isEmpty())
            quebrou("Ler failed without reporting why");
        return 0;
    }
    xmlContacto relido;
    relido.Ficheiro = lido.Ficheiro + QStringLiteral(".copia");
    lido.IdSite = lido.id;
    lido.Create_XML(relido.Ficheiro);
    if (!relido.Ler())
        quebrou("a contact file written from a read one does not read");
    if (valores(relido) != valores(lido))
        quebrou("a value read back differs from the one written",
                valores(lido).join(QChar(0x1F)) + QStringLiteral("\n") +
                    valores(relido).join(QChar(0x1F)));
    return 0;
}
