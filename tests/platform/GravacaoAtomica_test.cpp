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
