#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>

#include "orders/xmlEncomenda.h"
#include "tests/apoio/Apoio.h"

// Writing the document back reuses the reading of the order only while the file is as it was.

namespace {

QByteArray encomenda(const QByteArray& obs) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ENCOMENDAS><ENC><IDENCOMENDA>7"
           "</IDENCOMENDA><CODEMPRESA>QF</CODEMPRESA><IDCLIENTE>1</IDCLIENTE><OBS>" +
           obs + "</OBS></ENC></ENCOMENDAS>\n";
}

const QByteArray kBloco =
    "<IDENCSAGE><TPDOC>FT</TPDOC><NNUMDOC>3</NNUMDOC><SERIE>1</SERIE><ANO>2026</ANO>"
    "</IDENCSAGE></ENC>";

class EncomendaLidaUmaVez : public ::testing::Test {
  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal)); }
    void TearDown() override { QLocale::setDefault(anterior_); }
    Espaco espaco;

  private:
    QLocale anterior_;
};

}  // namespace

TEST_F(EncomendaLidaUmaVez, FicheiroIgualEscritoComoFoiLido) {
    xmlEncomenda e;
    e.FicheiroXML = espaco.escrever(QStringLiteral("ENC_7.xml"), encomenda("primeira"));
    ASSERT_TRUE(e.GetEncomenda());
    ASSERT_TRUE(e.ActualizarXML(QStringLiteral("FT"), 3, 1, 2026, QString(), QString()));
    QByteArray esperado = encomenda("primeira");
    esperado.replace("</ENC>", kBloco);
    EXPECT_EQ(lerFicheiro(e.FicheiroXML), esperado);
}

TEST_F(EncomendaLidaUmaVez, FicheiroMudadoDepoisDeLidoELidoDeNovo) {
    struct Caso {
        const char* nome;
        QByteArray depois;  // empty: the file is removed
    };
    const Caso casos[] = {
        {"outro conteudo do mesmo tamanho", encomenda("segunda!")},
        {"outro tamanho", encomenda("uma observacao mais longa")},
        {"ja nao e uma encomenda", "<R><X/></R>"},
        {"desapareceu", QByteArray()},
    };
    for (const Caso& c : casos) {
        xmlEncomenda e;
        e.FicheiroXML = espaco.escrever(QStringLiteral("ENC_7.xml"), encomenda("primeira"));
        ASSERT_TRUE(e.GetEncomenda()) << c.nome;
        if (c.depois.isEmpty()) {
            QFile::remove(e.FicheiroXML);
            EXPECT_FALSE(e.ActualizarXML(QStringLiteral("FT"), 3, 1, 2026, QString(), QString()))
                << c.nome;
            EXPECT_FALSE(QFile::exists(e.FicheiroXML)) << c.nome;
            continue;
        }
        // Written through another file, as the web side would, so the change is never missed.
        espaco.escrever(QStringLiteral("novo.xml"), c.depois);
        QFile::remove(e.FicheiroXML);
        QFile::rename(espaco.caminho(QStringLiteral("novo.xml")), e.FicheiroXML);
        const bool escrito =
            e.ActualizarXML(QStringLiteral("FT"), 3, 1, 2026, QString(), QString());
        if (!c.depois.contains("<ENC>")) {
            EXPECT_FALSE(escrito) << c.nome;
            EXPECT_EQ(lerFicheiro(e.FicheiroXML), c.depois) << c.nome;
            continue;
        }
        ASSERT_TRUE(escrito) << c.nome;
        QByteArray esperado = c.depois;
        esperado.replace("</ENC>", kBloco);
        EXPECT_EQ(lerFicheiro(e.FicheiroXML), esperado) << c.nome;
    }
}
