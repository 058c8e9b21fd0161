#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/ficheiros/GravacaoAtomica.h"
#include "platform/xml/FicheiroXml.h"
#include "tests/apoio/Apoio.h"

TEST(GravacaoAtomica, SubstituiOFicheiroGuardaAsPermissoesENaoDeixaTemporarios) {
    Espaco e;
    const QString caminho = e.escrever(u"a.xml"_s, "antigo");
    QFile::setPermissions(caminho, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QFileDevice::Permissions antes = QFile::permissions(caminho);
    QString erro;
    ASSERT_TRUE(gravarAtomicamente(caminho, "novo", &erro)) << erro.toStdString();
    EXPECT_EQ(e.ler(u"a.xml"_s), QByteArray("novo"));
    EXPECT_EQ(QFile::permissions(caminho), antes);
    // A save killed half-way left its temporary file; the next save of that file takes it over.
    e.escrever(u".b.xml.tmp"_s, "<CLIENTES><PRP><NO");
    gravarFicheiroAtomicamente(e.caminho(u"b.xml"_s), "");
    EXPECT_EQ(QDir(e.caminho()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.xml", "b.xml"}));
    QFileDevice::FileError tipo = QFileDevice::NoError;
    EXPECT_FALSE(gravarAtomicamente(e.caminho(u"nao/existe.xml"_s), "x", &erro, &tipo));
    EXPECT_NE(tipo, QFileDevice::NoError);
    EXPECT_FALSE(e.existe(u"nao"_s));
    // A link planted where a web file is written, after the run looked: left as it is, and the
    // file it points at too.
    QFile::link(caminho, e.caminho(u"ligacao.xml"_s));
    EXPECT_FALSE(gravarAtomicamente(e.caminho(u"ligacao.xml"_s), "outro", &erro));
    EXPECT_EQ(QFileInfo(e.caminho(u"ligacao.xml"_s)).symLinkTarget(), caminho);
    EXPECT_EQ(e.ler(u"a.xml"_s), QByteArray("novo"));
}
