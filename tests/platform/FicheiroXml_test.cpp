#include "platform/FicheiroXml.h"
#include "tests/apoio/Apoio.h"

namespace {

QByteArray utf16(const QString& texto, bool be) {
    QByteArray b = be ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (const QChar ch : texto) {
        const char alto = char(ch.unicode() >> 8), baixo = char(ch.unicode() & 0xFF);
        b.append(be ? alto : baixo).append(be ? baixo : alto);
    }
    return b;
}

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
        {"utf8", nome.toUtf8(), "João Conceição"},
        {"utf8 bom", "\xEF\xBB\xBF" + nome.toUtf8(), "João Conceição"},
        {"utf16le", utf16(nome, false), "João Conceição"},
        {"utf16be", utf16(nome, true), "João Conceição"},
        {"latin1", declarado("ISO-8859-1", "Jo\xE3o \xA4"), "João ¤"},
        {"windows-1252",
         declarado("Windows-1252",
                   "\x93"
                   "Caf\xE9\x94 \x80"),
         "“Café” €"},
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
    const std::pair<QByteArray, const char*> outros[] = {
        {QByteArray(), "1001: Não foi possível abrir o ficheiro"},
        {"<PRP>\n<NOME>Jo\xE3o</NOME></PRP>", "1003: Conteúdo que não é UTF-8 válido"},
        {declarado("EBCDIC-PT", ""), "1004: Codificação não suportada: EBCDIC-PT"},
        {QByteArray("<X>").repeated(65) + QByteArray("</X>").repeated(65),
         "1005: Elementos encaixados a mais de 64 níveis"},
    };
    for (const auto& [bytes, razao] : outros) {
        const QString c =
            bytes.isNull() ? e.caminho(u"nao-existe.xml"_s) : e.escrever(u"c.xml"_s, bytes);
        EXPECT_FALSE(f.carregar(c));
        EXPECT_TRUE(f.erro().relatorio().contains(QString::fromUtf8(razao)))
            << f.erro().relatorio().toStdString();
    }
}
