#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "platform/GravacaoAtomica.h"
#include "platform/clsIni.h"
#include "tests/apoio/Apoio.h"

TEST(GravacaoAtomica, SubstituiOFicheiroGuardaAsPermissoesENaoDeixaTemporarios) {
    Espaco e;
    const QString caminho = e.escrever(QStringLiteral("a.xml"), "antigo");
    QFile::setPermissions(caminho, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QFileDevice::Permissions antes = QFile::permissions(caminho);
    QString erro;
    ASSERT_TRUE(gravarAtomicamente(caminho, "novo", &erro)) << erro.toStdString();
    EXPECT_EQ(e.ler(QStringLiteral("a.xml")), QByteArray("novo"));
    EXPECT_EQ(QFile::permissions(caminho), antes);
    ASSERT_TRUE(gravarAtomicamente(e.caminho(QStringLiteral("b.xml")), "", &erro));
    EXPECT_TRUE(e.existe(QStringLiteral("b.xml")));
    EXPECT_EQ(QDir(e.caminho()).entryList(QDir::Files), (QStringList{"a.xml", "b.xml"}));
}

TEST(GravacaoAtomica, PastaQueNaoExisteDaFalseSemCriarNada) {
    Espaco e;
    QString erro;
    QFileDevice::FileError tipo = QFileDevice::NoError;
    EXPECT_FALSE(
        gravarAtomicamente(e.caminho(QStringLiteral("nao/existe.xml")), "x", &erro, &tipo));
    EXPECT_FALSE(erro.isEmpty());
    EXPECT_NE(tipo, QFileDevice::NoError);
    EXPECT_FALSE(e.existe(QStringLiteral("nao")));
    sincronizarDisco(e.caminho(QStringLiteral("nao")));  // harmless where there is nothing
}

// A run keeps the settings it read; a change on disk is still seen, however it is made.
TEST(clsIniMemoria, ValoresMudadosNoDiscoSaoLidosDeNovo) {
    Espaco e;
    const QString ini = e.escrever(QStringLiteral("s.vek"), "[QF]\nUltimoEnviado=5\n");
    const clsIni::Memoria memoria;
    const auto ler = [&] {
        clsIni i;
        i.Ficheiro(ini);
        return i.LerValor(QStringLiteral("qf"), QStringLiteral("ULTIMOENVIADO"));
    };
    EXPECT_EQ(ler(), QStringLiteral("5"));
    clsIni escritor;
    escritor.Ficheiro(ini);
    ASSERT_TRUE(escritor.GravarValor(QStringLiteral("QF"), QStringLiteral("UltimoEnviado"),
                                     QStringLiteral("7")));
    EXPECT_EQ(ler(), QStringLiteral("7"));
    {
        QSaveFile f(ini);  // another program replaces the file by one of the same size
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[QF]\nUltimoEnviado=9\n");
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(ler(), QStringLiteral("9"));
    e.escrever(QStringLiteral("s.vek"), "[QF]\nUltimoEnviado=123\n");
    EXPECT_EQ(ler(), QStringLiteral("123"));
    QFile::remove(ini);
    EXPECT_EQ(ler(), QString());
}

TEST(clsIniMemoria, ProcuraComoSemMemoria) {
    Espaco e;
    const QString ini = e.escrever(QStringLiteral("s.vek"),
                                   "orfa=0\n[A]\nx=1\nX=2\n[b]\n y = 3 \n[a]\nx=4\nz=5\n[]\nw=6\n");
    struct Caso {
        const char *seccao, *chave;
    };
    const Caso casos[] = {{"A", "x"}, {"a", "X"}, {"B", "y"},  {"A", "z"},  {"", "orfa"},
                          {"", "w"},  {"C", "x"}, {"b", " y"}, {"A ", "x"}, {"Ä", "x"}};
    for (const Caso& c : casos) {
        clsIni sem;
        sem.Ficheiro(ini);
        const QString esperado =
            sem.LerValor(QString::fromUtf8(c.seccao), QString::fromUtf8(c.chave));
        const clsIni::Memoria memoria;
        for (int vez = 0; vez < 2; ++vez) {
            clsIni com;
            com.Ficheiro(ini);
            EXPECT_EQ(com.LerValor(QString::fromUtf8(c.seccao), QString::fromUtf8(c.chave)),
                      esperado)
                << c.seccao << "/" << c.chave;
        }
    }
}
