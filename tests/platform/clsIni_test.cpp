#include <gtest/gtest.h>

#include "platform/clsIni.h"
#include "settings/Parametros.h"
#include "tests/apoio/Apoio.h"

namespace {

Parametros todosPreenchidos(const QString& ficheiro) {
    Parametros p;
    p.FicheiroIni = ficheiro;
    int i = 0;
    for (const Parametros::Chave& c : Parametros::Chaves())
        p.*c.propriedade = QStringLiteral("valor %1 = x; ção \"a\" ").arg(++i);
    p.Sql_Password = QStringLiteral(" começa com espaço");
    p.Next_Password = QStringLiteral("\"entre aspas\"");
    p.Empresa0_Serie = QString();
    return p;
}

}  // namespace

TEST(Parametros, EscreverELerDevolvemOs34ValoresSemAlteracao) {
    Espaco e;
    Parametros escrito = todosPreenchidos(e.caminho(QStringLiteral("Quintaflor.vek")));
    ASSERT_TRUE(escrito.Escrever());

    Parametros lido;
    lido.FicheiroIni = escrito.FicheiroIni;
    ASSERT_TRUE(lido.Ler());
    for (const Parametros::Chave& c : Parametros::Chaves())
        EXPECT_EQ(lido.*c.propriedade, escrito.*c.propriedade) << c.seccao << "/" << c.chave;
}

TEST(Parametros, FicheiroInexistenteDaValoresVazios) {
    Espaco e;
    Parametros p = todosPreenchidos(e.caminho(QStringLiteral("nao-existe.vek")));
    EXPECT_TRUE(p.Ler());
    for (const Parametros::Chave& c : Parametros::Chaves())
        EXPECT_TRUE((p.*c.propriedade).isEmpty());
    EXPECT_EQ(p.UltimoContacto_Get(QStringLiteral("QF")), 0);
}

TEST(Parametros, MarcaQueNaoEInteiroEUmaFalhaNaoUmZero) {
    Espaco e;
    Parametros p;
    p.FicheiroIni = e.escrever(QStringLiteral("q.vek"), "[QF]\nUltimoEnviado=12x\n");
    EXPECT_ANY_THROW(p.UltimoContacto_Get(QStringLiteral("QF")));
}

// Writing changes only the bytes of the values written, in the file's own encoding and line
// ends; a value the file cannot hold leaves it as it was.
TEST(clsIni, GravarMudaSoOsValoresNaCodificacaoENosFinsDeLinhaDoFicheiro) {
    struct Caso {
        const char* nome;
        QByteArray antes;
        QList<clsIni::Valor> valores;
        QByteArray depois;  // null: refused, the file unchanged
    };
    const auto u = [](const char* t) { return QString::fromUtf8(t); };
    const Caso casos[] = {
        {"utf8ComBomECrLf",
         "\xEF\xBB\xBF[Contactos]\r\n  Directoria Entrada =  C:\\Dados\\Web "
         "\r\n[Log]\r\nX=\"a\"\r\n",
         {{u("contactos"), u("directoria entrada"), u("D:\\Ação")},
          {u("Log"), u("X"), u("a")},
          {u("Nova"), u("K"), u("v")}},
         "\xEF\xBB\xBF[Contactos]\r\n  Directoria Entrada =  D:\\A\xC3\xA7\xC3\xA3o "
         "\r\n[Log]\r\nX=\"a\"\r\n"
         "\r\n[Nova]\r\nK=v\r\n"},
        {"windows1252SemFimNaUltimaLinha",
         "; Par\xE2metros\r\n[QF]\nNomeSQL=Concei\xE7\xE3o\r\n[SR]\r\nNomeSQL=SR",
         {{u("QF"), u("NomeSQL"), u("São € “x”")}, {u("SR"), u("UltimoEnviado"), u("4294967397")}},
         "; Par\xE2metros\r\n[QF]\nNomeSQL=S\xE3o \x80 \x93x\x94\r\n[SR]\r\nNomeSQL=SR\r\n"
         "UltimoEnviado=4294967397"},
        {"soCr", "[A]\rB=1\r", {{u("A"), u("C"), u("2")}}, "[A]\rB=1\rC=2\r"},
        {"caracterQueOWindows1252NaoTem", "[A]\r\nB=\xE7\r\n", {{u("A"), u("B"), u("→")}}, {}},
        {"valorDeVariasLinhas", "[A]\nB=1\n", {{u("A"), u("B"), u("1\n[X]")}}, {}},
        {"utf8FicaUtf8", "[A]\nB=\xC3\xA7\n", {{u("A"), u("B"), u("→")}}, "[A]\nB=\xE2\x86\x92\n"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        Espaco e;
        const QString ficheiro = e.escrever(QStringLiteral("q.vek"), c.antes);
        clsIni ini;
        ini.Ficheiro(ficheiro);
        EXPECT_EQ(ini.GravarValores(c.valores), !c.depois.isNull());
        EXPECT_EQ(lerFicheiro(ficheiro), c.depois.isNull() ? c.antes : c.depois);
        for (const clsIni::Valor& v : c.depois.isNull() ? QList<clsIni::Valor>{} : c.valores) {
            clsIni lido;
            lido.Ficheiro(ficheiro);
            EXPECT_EQ(lido.LerValor(v.seccao, v.chave), v.texto);
        }
    }
}
