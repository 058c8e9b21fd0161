#include <QFile>

#include "tests/apoio/ExecucaoComEmpresas.h"

// Hostile and broken input: each case gets a clear message, nothing is lost, nothing crashes.
using EntradaHostil = ExecucaoComEmpresas;

TEST_F(EntradaHostil, TextoSqlEAspasFicamGuardadosTalComoVieram) {
    const QByteArray sql = "x'); DELETE FROM vek_contactos; --";
    e.escrever(QStringLiteral("ce/PRP_1.xml"),
               "<CLIENTES><PRP><IDNET>900</IDNET><CODEMPRESA>QF</CODEMPRESA><NOME>" + sql +
                   "</NOME><EMAIL>" + sql + "</EMAIL><NIF>" + sql.left(20) + "</NIF><RESPONSAVEL>" +
                   sql + "</RESPONSAVEL><MORADA>O'Neil &amp; \"Filhos\"</MORADA><LOCALIDADE>" +
                   sql + "</LOCALIDADE><SITE>" + sql + "</SITE></PRP></CLIENTES>");
    encomenda(QStringLiteral("ENC_1.xml"), 1, "QF", "1' OR '1'='1", false,
              linha("VINHO75", "1", "1"));
    encomenda(QStringLiteral("ENC_2.xml"), 2, "QF", "1", false, linha("X'--", "1", "1"),
              "<OBS>" + sql + "</OBS>");

    EXPECT_FALSE(executar());
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("vek_contactos")), 5);
    EXPECT_EQ(valor(QStringLiteral("QF"),
                    QStringLiteral("SELECT Nome FROM vek_contactos WHERE Numero = 5"))
                  .toString(),
              QString::fromUtf8(sql));
    EXPECT_EQ(valor(QStringLiteral("QF"),
                    QStringLiteral("SELECT Morada FROM vek_contactos WHERE Numero = 5"))
                  .toString(),
              QStringLiteral("O'Neil & \"Filhos\""));
    // Neither order names a real customer or article: both are refused by the accounting and stay.
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("ct_Documentos")), 0);
    EXPECT_EQ(ficheiros("ee"), (QStringList{"ENC_1.xml", "ENC_2.xml"}));
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("CLIENTES")), 4);
}

TEST_F(EntradaHostil, LixoBinarioFicheiroVazioEFicheiroQueDesapareceFicamComMensagem) {
    QByteArray lixo;
    for (int i = 0; i < 4096; ++i)
        lixo.append(char((i * 7919) % 256));
    e.escrever(QStringLiteral("ce/PRP_lixo.xml"), lixo);
    e.escrever(QStringLiteral("ce/PRP_vazio.xml"), QByteArray());
    e.escrever(QStringLiteral("ee/ENC_lixo.xml"), lixo);
    e.escrever(QStringLiteral("ee/ENC_vazio.xml"), QByteArray());
    // Listed, then gone before it is read.
    QFile::link(e.caminho(QStringLiteral("nao-existe.xml")),
                e.caminho(QStringLiteral("ee/ENC_foi.xml")));
    encomenda(QStringLiteral("ENC_ok.xml"), 7, "SR", "2", false, linha("MEL250", "2", "4,5"));

    EXPECT_FALSE(executar());
    EXPECT_EQ(janela.mensagens.size(), 2);
    const QString tudo = janela.lista.join(QLatin1Char('\n'));
    for (const char* nome : {"ENC_lixo.xml", "ENC_vazio.xml", "ENC_foi.xml"})
        EXPECT_TRUE(tudo.contains(
            QStringLiteral("A encomenda %1 não foi lida: ").arg(QString::fromUtf8(nome))))
            << nome;
    EXPECT_EQ(ficheiros("ce"), (QStringList{"PRP_lixo.xml", "PRP_vazio.xml"}));
    EXPECT_EQ(ficheiros("es"), QStringList{QStringLiteral("ENC_ok.xml")});
}

TEST_F(EntradaHostil, FicheiroDemasiadoGrandeERecusadoSemSerLido) {
    QByteArray linhas;
    for (int i = 0; i < 100000; ++i)
        linhas += linha("VINHO75", "1", "9,75");
    encomenda(QStringLiteral("ENC_grande.xml"), 8, "QF", "1", false, linhas);
    EXPECT_FALSE(executar());
    EXPECT_TRUE(
        janela.lista.join(QString()).contains(QStringLiteral("O ficheiro ENC_grande.xml tem ")));
    EXPECT_EQ(ficheiros("ee"), QStringList{QStringLiteral("ENC_grande.xml")});
    EXPECT_TRUE(ficheiros("es").isEmpty());
}

TEST_F(EntradaHostil, PastaDeSaidaQueFaltaNaoPerdeNemDuplicaAEncomenda) {
    encomenda(QStringLiteral("ENC_1.xml"), 1, "QF", "1", false, linha("VINHO75", "1", "9,75"));
    QDir(e.caminho(QStringLiteral("es"))).removeRecursively();
    QDir(e.caminho(QStringLiteral("cs"))).removeRecursively();
    EXPECT_FALSE(executar());
    EXPECT_EQ(ficheiros("ee"), QStringList{QStringLiteral("ENC_1.xml")});
    EXPECT_EQ(marca(QStringLiteral("QF")), 0);  // no contact file could be written
    const QString tudo = janela.lista.join(QLatin1Char('\n'));
    EXPECT_TRUE(tudo.contains(QStringLiteral("Na função EnviarAltareados do frmMarelo")));
    EXPECT_TRUE(tudo.contains(QStringLiteral("não pôde ser movido")));

    e.pasta(QStringLiteral("es"));
    e.pasta(QStringLiteral("cs"));
    EXPECT_TRUE(executar()) << janela.lista.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(contar(QStringLiteral("QF"), QStringLiteral("ct_Documentos")), 1);
    EXPECT_EQ(ficheiros("es"), QStringList{QStringLiteral("ENC_1.xml")});
    EXPECT_EQ(QString::fromUtf8(e.ler(QStringLiteral("es/ENC_1.xml")))
                  .count(QStringLiteral("<IDENCSAGE>")),
              1);
}

TEST_F(EntradaHostil, PastaDoLogQueNaoSePodeEscreverNaoParaAExecucao) {
    Parametros p;
    p.FicheiroIni = ini;
    p.Ler();
    p.Log_Directoria = e.escrever(QStringLiteral("um-ficheiro"), "não é uma pasta");
    ASSERT_TRUE(p.Escrever());
    encomenda(QStringLiteral("ENC_1.xml"), 1, "QF", "1", false, linha("VINHO75", "1", "9,75"));
    EXPECT_TRUE(executar());
    EXPECT_EQ(janela.lista.last(), QStringLiteral("Sincronização terminada"));
    EXPECT_EQ(ficheiros("es"), QStringList{QStringLiteral("ENC_1.xml")});
}

TEST_F(EntradaHostil, FicheiroDeParametrosComBomCrlfESeccoesDesconhecidas) {
    QByteArray texto = e.ler(QStringLiteral("Quintaflor.vek"));
    texto.replace("\n", "\r\n");
    e.escrever(QStringLiteral("Quintaflor.vek"),
               "\xEF\xBB\xBF; escrito noutro sistema\r\n[Desconhecida]\r\nChave=1\r\n" + texto);
    contacto(QStringLiteral("PRP_1.xml"), "901", "SR", "Com BOM");
    EXPECT_TRUE(executar()) << janela.lista.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ficheiros("ce"), QStringList{QStringLiteral("PRP_1.xml.bak")});
    const QByteArray depois = e.ler(QStringLiteral("Quintaflor.vek"));
    EXPECT_TRUE(depois.startsWith("\xEF\xBB\xBF; escrito noutro sistema\r\n[Desconhecida]\r\n"));
    EXPECT_FALSE(depois.contains("\r\r"));
    EXPECT_GT(marca(QStringLiteral("SR")), 0);
}

TEST_F(EntradaHostil, FicheiroDeParametrosSemSeccoesDizOQueFalhou) {
    e.escrever(QStringLiteral("Quintaflor.vek"), "[Log]\nDirectoria=" + c("log") + "\n");
    EXPECT_FALSE(executar());
    const QString tudo = janela.lista.join(QLatin1Char('\n'));
    EXPECT_TRUE(tudo.contains(QStringLiteral("Na função EnviarAltareados do frmMarelo")));
    EXPECT_TRUE(tudo.contains(QStringLiteral("Na função ImpContactos do frmMarelo")));
    EXPECT_TRUE(tudo.contains(QStringLiteral("Na função ImportarEncomendas do frmMarelo")));
    EXPECT_EQ(janela.lista.last(), QStringLiteral("Sincronização terminada"));
}
