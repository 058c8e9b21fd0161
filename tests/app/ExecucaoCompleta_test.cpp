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

TEST_F(ExecucaoCompleta, ContactosRepetidosMalFormadosOuSemIdentificadorNaoSePerdem) {
    contacto(QStringLiteral("PRP_1.xml"), "700", "QF", "Primeiro");
    contacto(QStringLiteral("PRP_2.xml"), "700", "QF", "Repetido");
    e.escrever(QStringLiteral("ce/PRP_3.xml"), "<CLIENTES><PRP><IDNET>701</PRP>");
    contacto(QStringLiteral("PRP_4.xml"), "", "QF", "Sem identificador");
    contacto(QStringLiteral("PRP_5.xml"), "702", "XX", "Empresa que não existe");
    contacto(QStringLiteral("PRP_6.xml"), "703", "QF", "Depois dos erros");

    EXPECT_FALSE(executar());
    EXPECT_EQ(ficheiros("ce"), (QStringList{"PRP_1.xml.bak", "PRP_2.xml.bak", "PRP_3.xml",
                                            "PRP_4.xml", "PRP_5.xml", "PRP_6.xml.bak"}));
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("vek_contactos")), 6);
    ASSERT_EQ(janela.mensagens.size(), 1);
    EXPECT_TRUE(janela.mensagens[0].startsWith(QStringLiteral("Erro ao abrir o ficheiro.\r\n")));
    const QString tudo = janela.lista.join(QLatin1Char('\n'));
    EXPECT_TRUE(tudo.contains(QStringLiteral("PRP_4.xml não tem um IDNET numérico")));
    EXPECT_TRUE(tudo.contains(QStringLiteral("O contacto do ficheiro PRP_5.xml não foi gravado")));
    EXPECT_TRUE(tudo.contains(QStringLiteral("\tDepois dos erros")));
}

TEST_F(ExecucaoCompleta, MarcaDeContactosEnviados) {
    Parametros p;
    p.FicheiroIni = ini;
    p.Ler();
    p.Contactos_SaidaFicheiro = QStringLiteral("C*_*.xml");
    ASSERT_TRUE(p.Escrever());
    EXPECT_TRUE(executar());
    EXPECT_TRUE(ficheiros("cs").contains(QStringLiteral("C QF_4_ QF_4.xml")));
    EXPECT_EQ(marca(QStringLiteral("SR")),
              valor(QStringLiteral("SR"),
                    QStringLiteral("SELECT MAX(CAST(dbts AS int)) FROM vek_contactos"))
                  .toInt());

    clsBd bd;
    ASSERT_TRUE(
        bd.Ligar(stringLigacaoEmbutida(e.caminho(QStringLiteral("bd")), QStringLiteral("SR"))));
    for (const char* codigo : {"3", "1", "2"})
        bd.Executar(QStringLiteral("UPDATE vek_contactos SET Fax = 'novo' WHERE Codigo = ?"),
                    {QString::fromUtf8(codigo)});
    QDir(e.caminho(QStringLiteral("cs"))).removeRecursively();
    e.pasta(QStringLiteral("cs"));
    EXPECT_TRUE(executar());
    EXPECT_TRUE(
        janela.lista.contains(QStringLiteral("Existem 3 alterações a contactos para enviar.")));
    EXPECT_EQ(ficheiros("cs"),
              (QStringList{"C SR_1_ SR_1.xml", "C SR_2_ SR_2.xml", "C SR_3_ SR_3.xml"}));
    EXPECT_EQ(
        marca(QStringLiteral("SR")),
        valor(QStringLiteral("SR"),
              QStringLiteral("SELECT CAST(dbts AS int) FROM vek_contactos WHERE Codigo = '2'"))
            .toInt());
}
