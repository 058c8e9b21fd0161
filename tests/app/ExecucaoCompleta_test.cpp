#include "tests/apoio/ExecucaoComEmpresas.h"

using ExecucaoCompleta = ExecucaoComEmpresas;

TEST_F(ExecucaoCompleta, UmaExecucaoFazOsTresPassosEASeguinteNaoRepeteNada) {
    contacto(QStringLiteral("PRP_601.xml"), "601", "QF", "Quinta d'Ouro");
    contacto(QStringLiteral("PRP_602.xml"), "602", "SR", "Serralharia");
    encomenda(QStringLiteral("ENC_1.xml"), 1, "QF", "1", false,
              linha("AZEITE05", "2", "7,95") + linha("CABAZ01", "3", "18,9"),
              "<PORTES>4,5</PORTES><VOUCHER>-5</VOUCHER>");
    encomenda(QStringLiteral("ENC_2.xml"), 2, "SR", "2", false, linha("MEL250", "1", "4,5"));

    EXPECT_TRUE(executar()) << janela.lista.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ficheiros("cs").size(), 8);  // four demonstration contacts per company
    EXPECT_EQ(ficheiros("ce"), (QStringList{"PRP_601.xml.bak", "PRP_602.xml.bak"}));
    EXPECT_EQ(ficheiros("es"), (QStringList{"ENC_1.xml", "ENC_2.xml"}));
    EXPECT_TRUE(ficheiros("ee").isEmpty());
    EXPECT_EQ(valor(QStringLiteral("QF"),
                    QStringLiteral("SELECT c.Nome FROM vek_contactos c JOIN "
                                   "vek_BDC_EquivalenciaOnlineDesktop q ON q.numero = c.Numero "
                                   "WHERE q.IDnet = 601"))
                  .toString(),
              QStringLiteral("Quinta d'Ouro"));
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("ct_LinhasDocumento")), 6);
    const QString escrito = QString::fromUtf8(e.ler(QStringLiteral("es/ENC_1.xml")));
    EXPECT_TRUE(
        escrito.contains(QStringLiteral("<IDENCSAGE><TPDOC>ENCW</TPDOC><NNUMDOC>1</NNUMDOC>"
                                        "<SERIE>1</SERIE><ANO>")));
    EXPECT_TRUE(
        janela.lista.contains(QStringLiteral(" Empresa: SR documento ENCW/1/1/2026")) ||
        janela.lista.join(QString()).contains(QStringLiteral(" Empresa: SR documento ENCW/1/1/")));
    const qint32 marcaQF = marca(QStringLiteral("QF"));
    EXPECT_GT(marcaQF, 0);

    // The second run sends only the two contacts the first one added, and writes nothing twice.
    EXPECT_TRUE(executar());
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("ct_Documentos")), 1);
    EXPECT_EQ(contar(QStringLiteral("SR"), QStringLiteral("ct_Documentos")), 1);
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("vek_contactos")), 5);
    EXPECT_TRUE(
        janela.lista.contains(QStringLiteral("Existem 1 alterações a contactos para enviar.")));
    EXPECT_TRUE(janela.lista.contains(QStringLiteral("Não existem contactos para importar")));
    EXPECT_GT(marca(QStringLiteral("QF")), marcaQF);

    // The third has nothing at all to do.
    EXPECT_TRUE(executar());
    EXPECT_EQ(janela.lista.count(QStringLiteral("Não existem alterações a contactos para enviar.")),
              2);
}
