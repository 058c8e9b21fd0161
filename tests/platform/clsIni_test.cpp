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

TEST(Parametros, EscreverGuardaMarcasComentariosEOutrasSeccoes) {
    Espaco e;
    const QString ficheiro =
        e.escrever(QStringLiteral("q.vek"),
                   "; feito a mao\n[Outra]\nChave Livre=1\n[QF]\nUltimoEnviado=77\n"
                   "[SR]\nUltimoEnviado=-5\n");
    Parametros p = todosPreenchidos(ficheiro);
    ASSERT_TRUE(p.Escrever());
    ASSERT_TRUE(p.UltimoContacto_Put(QStringLiteral("SR"), 1234));
    EXPECT_EQ(p.UltimoContacto_Get(QStringLiteral("SR")), 1234);
    EXPECT_EQ(p.UltimoContacto_Get(QStringLiteral("QF")), 77);

    const QString texto = QString::fromUtf8(lerFicheiro(ficheiro));
    EXPECT_TRUE(texto.startsWith(QStringLiteral("; feito a mao\n[Outra]\nChave Livre=1\n[QF]\n")));
    clsIni ini;
    ini.Ficheiro(ficheiro);
    EXPECT_EQ(ini.LerValor(QStringLiteral("outra"), QStringLiteral("chave livre")),
              QStringLiteral("1"));
    EXPECT_EQ(texto.count(QStringLiteral("[QF]")), 1);
}

TEST(Parametros, MarcaQueNaoEInteiroEUmaFalhaNaoUmZero) {
    Espaco e;
    Parametros p;
    p.FicheiroIni = e.escrever(QStringLiteral("q.vek"), "[QF]\nUltimoEnviado=12x\n");
    EXPECT_ANY_THROW(p.UltimoContacto_Get(QStringLiteral("QF")));
}

TEST(clsIni, AceitaBomCrlfEBrancosEMantemOFormatoAoEscrever) {
    Espaco e;
    const QString ficheiro =
        e.escrever(QStringLiteral("q.vek"),
                   "\xEF\xBB\xBF[Contactos]\r\n  Directoria Entrada =  C:\\Dados\\Web \r\n"
                   "[Log]\r\nDirectoria=x\r\n");
    clsIni ini;
    ini.Ficheiro(ficheiro);
    EXPECT_EQ(ini.LerValor(QStringLiteral("Contactos"), QStringLiteral("Directoria Entrada")),
              QStringLiteral("C:\\Dados\\Web"));
    ASSERT_TRUE(
        ini.GravarValor(QStringLiteral("Log"), QStringLiteral("Directoria"), QStringLiteral("y")));
    ASSERT_TRUE(ini.GravarValor(QStringLiteral("Nova"), QStringLiteral("K"), QStringLiteral("v")));
    EXPECT_EQ(lerFicheiro(ficheiro),
              QByteArray("\xEF\xBB\xBF[Contactos]\r\n  Directoria Entrada =  C:\\Dados\\Web \r\n"
                         "[Log]\r\nDirectoria=y\r\n\r\n[Nova]\r\nK=v\r\n"));
}

TEST(clsIni, RecusaValoresComMudancaDeLinhaSemTocarNoFicheiro) {
    Espaco e;
    const QString ficheiro = e.escrever(QStringLiteral("q.vek"), "[A]\nB=1\n");
    clsIni ini;
    ini.Ficheiro(ficheiro);
    EXPECT_FALSE(
        ini.GravarValor(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("1\n[X]")));
    EXPECT_EQ(lerFicheiro(ficheiro), QByteArray("[A]\nB=1\n"));
}

TEST(clsIni, GravarNumaPastaQueNaoExisteDaFalse) {
    Espaco e;
    clsIni ini;
    ini.Ficheiro(e.caminho(QStringLiteral("nao/existe/q.vek")));
    EXPECT_FALSE(ini.GravarValor(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("1")));
    Parametros p;
    p.FicheiroIni = ini.Ficheiro();
    EXPECT_FALSE(p.Escrever());
}
