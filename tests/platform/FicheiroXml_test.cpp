#include <QStringEncoder>

#include "platform/xml/FicheiroXml.h"
#include "tests/apoio/Apoio.h"

namespace {

QByteArray declarado(const char* codificacao, const QByteArray& nome) {
    return QByteArray("<?xml version='1.0' encoding='") + codificacao + "'?>\n<PRP><NOME>" + nome +
           "</NOME></PRP>";
}

}  // namespace

TEST(FicheiroXml, LeAsCodificacoesDaLoja) {
    const QString nome = u"<PRP><NOME>João Conceição</NOME></PRP>"_s;
    const struct {
        const char* caso;
        QByteArray bytes;
        const char* texto;
    } casos[] = {
        // latin1, windows-1252 and UTF-16 LE: the order files' tests
        {"utf8 bom", "\xEF\xBB\xBF" + nome.toUtf8(), "João Conceição"},
        {"utf16be", "\xFE\xFF" + QByteArray(QStringEncoder(QStringEncoder::Utf16BE).encode(nome)),
         "João Conceição"},
        {"latin9", declarado("iso-8859-15", "Jo\xE3o \xA4"), "João €"},
    };
    Espaco e;
    for (const auto& c : casos) {
        FicheiroXml f;
        ASSERT_TRUE(f.carregar(e.escrever(u"c.xml"_s, c.bytes))) << c.caso;
        EXPECT_EQ(f.primeiroElemento(u"NOME"_s)->texto, QString::fromUtf8(c.texto));
    }
}

TEST(FicheiroXml, RelatorioDoFicheiroQueNaoCarrega) {
    Espaco e;
    const QString mau = e.escrever(u"mau.xml"_s, "<CLIENTES>\n<PRP><NOME>Zé</PRP>\n</CLIENTES>\n");
    FicheiroXml f;
    ASSERT_FALSE(f.carregar(mau));
    EXPECT_EQ(f.erro().relatorio(),
              u"Erro ao abrir o ficheiro.\r\n"
              "Erro           #: 1002: Opening and ending tag mismatch.\r\n"
              "Linha          #: 2\r\n"
              "Posição na linha: 19\r\n"
              "Posição ficheiro: 30\r\n"
              "Origem          : <PRP><NOME>Zé</PRP>\r\n"
              "Ficheiro        : "_s +
                  mau + u"\r\n"_s);
    // The other reports, file by file in a run, are the hostile-input tests'; here the depth
    // limit itself: 64 levels load, 65 do not.
    for (const int n : {64, 65})
        EXPECT_EQ(f.carregar(e.escrever(u"fundo.xml"_s, QByteArray("<X>").repeated(n) +
                                                            QByteArray("</X>").repeated(n))),
                  n == 64);
    EXPECT_TRUE(f.erro().relatorio().contains(u"1005: Elementos encaixados a mais de 64 níveis"_s));
}
