#include <sys/stat.h>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/ini/clsIni.h"
#include "platform/xml/FicheiroXml.h"
#include "support/cl_log.h"
#include "tests/apoio/ExecucaoComEmpresas.h"

// Hostile, broken and legacy input, one run per case. Whatever the case, the run goes to its end,
// says what went wrong naming the file (where the user sees it and in the run log), loses
// nothing, and changes no byte of the settings file but the watermarks.
namespace {

using Ficheiros = QList<std::pair<const char*, QByteArray>>;

struct Caso {
    const char* nome;
    // Written before the run, under the workspace.
    Ficheiros ficheiros = {};
    // Made before the run, under the workspace: "fifo" a named pipe, "pasta" a folder, any
    // other text a link to it ("{fora}" a folder outside the workspace, which must not change).
    QList<std::pair<const char*, const char*>> especiais = {};
    QByteArray ini = {};                   // replaces the settings file; "{e}" is the workspace
    QList<clsIni::Valor> parametros = {};  // then set in the settings file
    QStringList sql = {};                  // run on QF's database before the run
    bool semErros = false;
    QStringList dizem = {};  // each said to the user and written to the run log
    QStringList ficam = {};  // files that are there after the run
    QList<std::pair<const char*, QByteArray>> consultas = {};  // on QF's database: value
    QStringList marcas = {};  // "QF=123": the watermarks after the run
};

// Names of 250 and 255 bytes.
const QByteArray kEncomendaLonga = "ee/ENC_" + QByteArray(242, 'x') + ".xml";
const QByteArray kContactoLongo = "ce/PRP_" + QByteArray(247, 'x') + ".xml";

// Outside the workspace: what a link in a web folder may point at.
const QByteArray kAlvo =
    "<CLIENTES><PRP><IDNET>990</IDNET><CODEMPRESA>QF</CODEMPRESA></PRP></CLIENTES>";

void PrintTo(const Caso& c, std::ostream* os) {
    *os << c.nome;
}

QByteArray encomenda(const QByteArray& id, const QByteArray& data, const QByteArray& cliente = "1",
                     const QByteArray& artigo = "VINHO75", const QByteArray& resto = {}) {
    return encomendaWeb(id, cliente, linhaWeb(artigo, "1", "9,75"), resto, data);
}

// The file padded with blanks to `mais` bytes over the size a web file may have.
QByteArray comTamanho(const QByteArray& conteudo, int mais) {
    return conteudo + QByteArray(FicheiroXml::TamanhoMaximo + mais - conteudo.size(), ' ');
}

const QByteArray kLixo = QByteArray("\x00\xFF<\x80\xC3(&\x1B", 8).repeated(512);
const QByteArray kFundo = QByteArray("<X>").repeated(200000) + QByteArray("</X>").repeated(200000);
const QByteArray kSql = "x'); DELETE FROM vek_contactos; --";

// clang-format off
const Caso kCasos[] = {
    {.nome = "TextoSqlEAspasGuardadosTalComoVieram",
     .ficheiros = {{"ce/PRP_1.xml", contactoWeb("900", kSql + "</NOME><EMAIL>" + kSql + "</EMAIL>"
                                             "<MORADA>O'Neil &amp; \"F\"</MORADA><NOME>" + kSql)},
                   {"ee/ENC_1.xml", encomenda("1", "5/12/26", "1' OR '1'='1")},
                   {"ee/ENC_2.xml", encomenda("2", "5/12/26", "1",
                                              "X'--", "<OBS>" + kSql + "</OBS>")}},
     .ficam = {"ce/PRP_1.xml.bak", "ee/ENC_1.xml", "ee/ENC_2.xml"},
     .consultas = {{"SELECT Nome || Email FROM vek_contactos WHERE Numero = 5", kSql + kSql},
                   {"SELECT Morada FROM vek_contactos WHERE Numero = 5", "O'Neil & \"F\""},
                   {"SELECT COUNT(*) FROM ct_Documentos", "0"},
                   {"SELECT COUNT(*) FROM CLIENTES", "4"}}},
    {.nome = "IlegiveisVaziosEDemasiadoFundos",
     .ficheiros = {{"ce/PRP_lixo.xml", kLixo}, {"ce/PRP_vazio.xml", ""},
                   {"ce/PRP_latin1.xml", "<PRP>\n<NOME>Jo\xe3o</NOME></PRP>"},
                   {"ce/PRP_ebcdic.xml", "<?xml version='1.0' encoding='EBCDIC-PT'?><PRP/>"},
                   {"ee/ENC_lixo.xml", kLixo}, {"ee/ENC_vazio.xml", ""},
                   {"ee/ENC_x.xml", "<ENC><IDENCOMENDA>x</IDENCOMENDA></ENC>"},
                   {"ee/ENC_zz.xml", encomenda("2", "5/12/26", "1", "VINHO75", "<CODEMPRESA>ZZ"
                                                                              "</CODEMPRESA>")},
                   {"ee/ENC_ok.xml", encomenda("7", "5/12/26")},
                   {"ce/PRP_fundo.xml", "<CLIENTES>" + kFundo + "</CLIENTES>"},
                   {"ee/ENC_fundo.xml", "<ENCOMENDAS><ENC>" + kFundo + "</ENC></ENCOMENDAS>"}},
     .dizem = {"#: 1002: ",
               "#: 1003: Conteúdo que não é UTF-8 válido\r\nLinha          #: 2\r\n",
               "#: 1004: Codificação não suportada: EBCDIC-PT", "PRP_lixo.xml\r\n",
               "PRP_vazio.xml\r\n", "A encomenda ENC_lixo.xml não foi lida: ",
               "A encomenda ENC_vazio.xml não foi lida: ",
               "A encomenda ENC_x.xml não foi lida: O elemento IDENCOMENDA", "#: 1005: ",
               "PRP_fundo.xml\r\n", "A encomenda ENC_fundo.xml não foi lida: "},
     .ficam = {"ce/PRP_lixo.xml", "ce/PRP_vazio.xml", "ce/PRP_latin1.xml", "ce/PRP_ebcdic.xml",
               "ee/ENC_lixo.xml", "ee/ENC_x.xml", "ee/ENC_zz.xml", "es/ENC_ok.xml",
               "ce/PRP_fundo.xml", "ee/ENC_fundo.xml"}},
    {.nome = "ContactosRepetidosSemIdentificadorOuDeEmpresaDesconhecida",
     .ficheiros = {{"ce/PRP_1.xml", contactoWeb("700", "Primeiro")},
                   {"ce/PRP_2.xml", contactoWeb("700", "Repetido")},
                   {"ce/PRP_3.xml", "<CLIENTES><PRP><IDNET>701</PRP>"},
                   {"ce/PRP_4.xml", contactoWeb("", "Sem id")},
                   {"ce/PRP_5.xml", contactoWeb("702", "Empresa que não existe", "XX")},
                   {"ce/PRP_6.xml", contactoWeb("703", "Depois dos erros")}},
     .dizem = {"PRP_3.xml\r\n", "PRP_4.xml não tem um IDNET numérico",
               "O contacto do ficheiro PRP_5.xml não foi gravado", "\tDepois dos erros"},
     .ficam = {"ce/PRP_1.xml.bak", "ce/PRP_2.xml.bak", "ce/PRP_3.xml", "ce/PRP_4.xml",
               "ce/PRP_5.xml", "ce/PRP_6.xml.bak"},
     .consultas = {{"SELECT COUNT(*) FROM vek_contactos", "6"}}},
    // Up to the limit a file is read; above it, refused unread.
    {.nome = "FicheirosDemasiadoGrandesRecusadosSemSeremLidos",
     .ficheiros = {{"ce/PRP_limite.xml", comTamanho(contactoWeb("921", "No limite"), 0)},
                   {"ce/PRP_grande.xml", comTamanho(contactoWeb("920", "Grande"), 1)},
                   {"ee/ENC_grande.xml", comTamanho(encomenda("8", "5/12/26"), 1)}},
     .dizem = {"O ficheiro PRP_grande.xml tem 4194305 bytes", "O ficheiro ENC_grande.xml tem "},
     .ficam = {"ce/PRP_limite.xml.bak", "ce/PRP_grande.xml", "ee/ENC_grande.xml"},
     .consultas = {{"SELECT COUNT(*) FROM vek_contactos", "5"}}},
    // A step whose folder or pattern is not set, does not exist or would put every contact in
    // one file reads, writes and moves nothing; a relative folder lies beside the settings file.
    {.nome = "PastasEPadroesQueNaoServem",
     .ficheiros = {{"ee/ENC_1.xml", encomenda("1", "5/12/26")},
                   {"ce/PRP_1.xml", contactoWeb("801", "Relativa")}},
     .parametros = {{"Contactos", "Ficheiro Saida", "Contactos.xml"},
                    {"Contactos", "Directoria Entrada", "ce"},
                    {"Encomenda", "Directoria Saida", ""}},
     .dizem = {"(O padrão dos ficheiros de contactos enviados (\"Contactos.xml\") não tem \"*\"",
               "(A pasta [Encomenda] Directoria Saida não está definida no ficheiro de parâmetros ",
               "\tRelativa"},
     .ficam = {"ee/ENC_1.xml", "ce/PRP_1.xml.bak"},
     .consultas = {{"SELECT COUNT(*) FROM ct_Documentos", "0"}},
     .marcas = {"QF=0", "SR=0"}},
    // Only regular files are read, never through a link, and nothing outside is written.
    {.nome = "LigacoesPipesEPastasComONomeDoPadrao",
     .ficheiros = {{"ee/ENC_2.xml", encomenda("2", "5/12/26")},
                   {"ee/ENC_6\n[05-12-2026][10:00:00] linha falsa.xml", encomenda("6", "5/12/26")},
                   {"ee/ENC_7\xff.xml", encomenda("7", "5/12/26")}},
     .especiais = {{"ee/ENC_1_pipe.xml", "fifo"}, {"ee/ENC_3_fora.xml", "{fora}/alvo.xml"},
                   {"ee/ENC_4_zero.xml", "/dev/zero"}, {"ce/PRP_pasta.xml", "pasta"},
                   {"ce/PRP_fora.xml", "{fora}/alvo.xml"}, {"ce/PRP_nada.xml", "{e}/nada"}},
     .dizem = {"O ficheiro ENC_1_pipe.xml da pasta de entrada ", "não é um ficheiro normal (é um "
               "pipe); não foi lido", "ENC_3_fora.xml da pasta de entrada ",
               "ENC_4_zero.xml da pasta de entrada ", "(é uma ligação simbólica)",
               "O ficheiro PRP_pasta.xml da pasta de entrada ", "(é uma pasta)", "PRP_fora.xml",
               "PRP_nada.xml", "ENC_6 [05-12-2026][10:00:00] linha falsa.xml da pasta de entrada ",
               "tem no nome caracteres que não se podem mostrar"},
     .ficam = {"es/ENC_2.xml", "ee/ENC_1_pipe.xml", "ee/ENC_3_fora.xml", "ce/PRP_pasta.xml",
               "ee/ENC_7\uFFFD.xml"},
     .consultas = {{"SELECT COUNT(*) FROM ct_Documentos", "1"}}},
    // A link planted where a file would be written or moved is left as it is, and so is the
    // file it points at; the contact or order whose file it is waits in the inbox.
    {.nome = "LigacoesPlantadasNosDestinos",
     .ficheiros = {{"ee/ENC_1.xml", encomenda("1", "5/12/26")},
                   {"ce/PRP_1.xml", contactoWeb("801", "Com cópia plantada")}},
     .especiais = {{"cs/Contactos QF_2.xml", "{fora}/alvo.xml"}, {"es/ENC_1.xml", "{fora}/alvo.xml"},
                   {"ce/PRP_1.xml.bak", "{fora}/alvo.xml"}},
     .dizem = {"O contacto 2 (", "não foi enviado: o ficheiro ",
               "Contactos QF_2.xml é uma ligação simbólica, que fica como está.",
               "A encomenda ENC_1.xml não foi lida: na pasta de saída, o seu nome é uma ligação "
               "simbólica", "O ficheiro de contacto PRP_1.xml não foi lido: o nome da sua cópia"},
     .ficam = {"ee/ENC_1.xml", "ce/PRP_1.xml", "cs/Contactos QF_1.xml", "cs/Contactos QF_3.xml"},
     .consultas = {{"SELECT COUNT(*) FROM ct_Documentos", "0"},
                   {"SELECT COUNT(*) FROM vek_contactos", "4"}},
     .marcas = {"QF=5"}},  // the version of contact 1, sent before the one refused
    // Names at the file system's limit: an order's goes through; a contact's leaves no room for
    // its backup, and is refused before anything is written.
    {.nome = "NomesLongos",
     .ficheiros = {{kEncomendaLonga.constData(), encomenda("5", "5/12/26")},
                   {kContactoLongo.constData(), contactoWeb("802", "Longo")}},
     .dizem = {"tem um nome de 255 bytes, longo demais"},
     .ficam = {QString::fromLatin1(kEncomendaLonga).replace(u"ee/"_s, u"es/"_s),
               QString::fromLatin1(kContactoLongo)},
     .consultas = {{"SELECT COUNT(*) FROM ct_Documentos", "1"},
                   {"SELECT COUNT(*) FROM vek_contactos", "4"}}},
    // A file of a few megabytes on one line is quoted short: the list and the log stay small.
    {.nome = "FicheiroMalFormadoDeTresMegabytesNumaLinha",
     .ficheiros = {{"ce/PRP_linha.xml", "<CLIENTES><PRP><NOME>" + QByteArray(3 << 20, 'x')},
                   {"ee/ENC_linha.xml", "<ENC><OBS>" + QByteArray(3 << 20, 'y')}},
     .dizem = {"xxxxxxxxxx… (cortado: ", "PRP_linha.xml\r\n", "A encomenda ENC_linha.xml não foi lida"},
     .ficam = {"ce/PRP_linha.xml", "ee/ENC_linha.xml"}},
    // Sent in row-version order: the watermark is the version of the last one changed.
    {.nome = "VersaoDeLinhaAcimaDe32Bits",
     .parametros = {{"Contactos", "Ficheiro Saida", "C*_*.xml"}},
     .sql = {"UPDATE vek_RowVersion SET Valor = 4294967396",
             "UPDATE vek_contactos SET Fax = 'novo' WHERE Numero = 3",
             "UPDATE vek_contactos SET Fax = 'novo' WHERE Numero = 1",
             "UPDATE vek_contactos SET Fax = 'novo' WHERE Numero = 2"},
     .semErros = true,
     .ficam = {"cs/C QF_2_ QF_2.xml", "cs/C SR_4_ SR_4.xml"},
     .marcas = {"QF=4294967399"}},
    // The lookup of the web identifier fails while the fault is on; adding a contact turns it
    // off, so whatever comes after the lookup works.
    {.nome = "FalhaAoProcurarOIdentificadorWebNaoDuplicaOContacto",
     .ficheiros = {{"ce/PRP_501.xml", contactoWeb("501", "Padaria Flor de Sal")}},
     .sql = {"CREATE TABLE Avaria (Ligada int)", "INSERT INTO Avaria VALUES (1)",
             "ALTER TABLE vek_BDC_EquivalenciaOnlineDesktop RENAME TO Equivalencias",
             "CREATE VIEW vek_BDC_EquivalenciaOnlineDesktop AS SELECT IDnet, CASE WHEN (SELECT "
             "Ligada FROM Avaria) = 1 THEN abs(-9223372036854775807 - 1) ELSE numero END AS "
             "numero FROM Equivalencias",
             "CREATE TRIGGER Nova INSTEAD OF INSERT ON vek_BDC_EquivalenciaOnlineDesktop BEGIN "
             "INSERT INTO Equivalencias VALUES (NEW.IDnet, NEW.numero); END",
             "CREATE TRIGGER Desligar AFTER INSERT ON vek_contactos BEGIN UPDATE Avaria SET "
             "Ligada = 0; END"},
     .dizem = {"O contacto do ficheiro PRP_501.xml não foi gravado"},
     .ficam = {"ce/PRP_501.xml"},
     .consultas = {{"SELECT COUNT(*) FROM vek_contactos", "4"}}},
    // As the old Windows program kept it: windows-1252, CR LF, a section of its own, folders
    // with accents, no line end at the end.
    {.nome = "FicheiroDeParametrosDoWindows",
     .ficheiros = {{"log/Relatórios/.guardar", ""}, {"cs/Saída/.guardar", ""}},
     .ini = "; Par\xE2metros da sincroniza\xE7\xE3o\r\n[Contactos]\r\nDirectoria Entrada={e}/ce\r\n"
            "Ficheiro Entrada=PRP*.xml\r\nDirectoria Saida={e}/cs/Sa\xED" "da\r\n"
            "Ficheiro Saida=Contactos*.xml\r\n[Encomenda]\r\nDirectoria Entrada={e}/ee\r\n"
            "Ficheiro Entrada=ENC*.xml\r\nDirectoria Saida={e}/es\r\n"
            "[email]\r\nAssunto=Sincroniza\xE7\xE3o \x96 \x80\r\n[Log]\r\n"
            "Directoria={e}/log/Relat\xF3rios\r\n[SQL]\r\nServidor={e}/bd\r\n[Op\xE7\xF5" "es]\r\n"
            "Vers\xE3o=2016\r\n[QF]\r\nNomeSQL=QF\r\nUltimoEnviado=3\r\n[SR]\r\nNomeSQL=SR",
     .semErros = true,
     .ficam = {"cs/Saída/Contactos QF_4.xml", "cs/Saída/Contactos SR_4.xml"}},
    {.nome = "FicheiroDeParametrosSemSeccoes",
     .ini = "[Log]\nDirectoria={e}/log\n",
     .dizem = {"Na função EnviarAltareados do frmMarelo", "Na função ImpContactos do frmMarelo",
               "Na função ImportarEncomendas do frmMarelo"}},
    {.nome = "PastaDoLogQueNaoSePodeEscrever",
     .ficheiros = {{"um-ficheiro", "não é uma pasta"}, {"ee/ENC_1.xml", encomenda("1", "5/12/26")}},
     .parametros = {{"Log", "Directoria", "{e}/um-ficheiro"}},
     .dizem = {"Esta sincronização não fica registada: Não foi possível abrir o registo "},
     .ficam = {"es/ENC_1.xml"}},
};
// clang-format on

}  // namespace

class EntradaHostil : public ExecucaoComEmpresas, public testing::WithParamInterface<Caso> {
  protected:
    // The settings file without its watermarks, which a run may add or change.
    QByteArray semMarcas() const {
        static const QRegularExpression marca(u"(\r\n|\n|\r)?UltimoEnviado=[^\r\n]*"_s);
        return QString::fromLatin1(e.ler(u"Quintaflor.vek"_s)).remove(marca).toLatin1();
    }
};

TEST_P(EntradaHostil, NadaSePerdeEOFicheiroEDito) {
    const Caso& caso = GetParam();
    if (!caso.ini.isEmpty())
        e.escrever(u"Quintaflor.vek"_s, QByteArray(caso.ini).replace("{e}", e.caminho().toUtf8()));
    for (clsIni::Valor v : caso.parametros) {
        clsIni definicoes;
        definicoes.Ficheiro(e.ini);
        ASSERT_TRUE(definicoes.GravarValor(v.seccao, v.chave, v.texto.replace("{e}", e.caminho())));
    }
    for (const QString& sql : caso.sql)
        e.sql(u"QF"_s, sql);
    const QByteArray iniAntes = semMarcas();

    for (auto [nome, conteudo] : caso.ficheiros)
        e.escrever(QString::fromUtf8(nome), conteudo);
    Espaco fora;
    fora.escrever(u"alvo.xml"_s, kAlvo);
    for (const auto& [nome, o] : caso.especiais) {
        const QString caminho = e.caminho(QString::fromUtf8(nome));
        QDir().mkpath(QFileInfo(caminho).absolutePath());
        const QString oQue = QString::fromUtf8(o);
        if (oQue == u"fifo"_s)
            ASSERT_EQ(::mkfifo(QFile::encodeName(caminho).constData(), 0600), 0);
        else if (oQue == u"pasta"_s)
            ASSERT_TRUE(QDir().mkpath(caminho));
        else
            ASSERT_TRUE(QFile::link(
                QString(oQue).replace(u"{fora}"_s, fora.caminho()).replace(u"{e}"_s, e.caminho()),
                caminho));
    }
    EXPECT_EQ(e.executar(), caso.semErros) << e.lista().toStdString();
    EXPECT_EQ(fora.ler(u"alvo.xml"_s), kAlvo);
    EXPECT_EQ(
        QDir(fora.caminho()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{u"alvo.xml"_s});
    EXPECT_EQ(e.janela.lista.last(), u"Sincronização terminada"_s);
    EXPECT_EQ(semMarcas(), iniAntes);
    Parametros p;
    p.FicheiroIni = e.ini;
    ASSERT_TRUE(p.Ler());
    const QString log = QString::fromUtf8(
        lerFicheiro(cl_log::CaminhoDoDia(p.Log_Directoria, e.relogio.agora().date())));
    const QString visto = (e.janela.lista + e.janela.mensagens).join(QLatin1Char('\n'));
    // No message grows with a file: each quotes a short piece of it.
    for (const QString& linha : e.janela.lista + e.janela.mensagens + log.split(u"\r\n"_s))
        EXPECT_LT(linha.size(), 2000) << linha.left(300).toStdString();
    for (const QString& texto : caso.dizem) {
        EXPECT_TRUE(visto.contains(texto)) << texto.toStdString() << "\n" << visto.toStdString();
        if (QFileInfo(p.Log_Directoria).isDir()) {
            EXPECT_TRUE(log.contains(texto)) << texto.toStdString() << "\n" << log.toStdString();
        }
    }
    for (const QString& f : caso.ficam)
        EXPECT_TRUE(e.existe(f)) << f.toStdString();
    for (const auto& [sql, esperado] : caso.consultas)
        EXPECT_EQ(e.valor(u"QF"_s, QString::fromUtf8(sql)), QString::fromUtf8(esperado)) << sql;
    for (const QString& m : caso.marcas)
        EXPECT_EQ(QString::number(e.marca(m.left(2))), m.mid(3));
}

INSTANTIATE_TEST_SUITE_P(, EntradaHostil, testing::ValuesIn(kCasos),
                         [](const testing::TestParamInfo<Caso>& i) { return i.param.nome; });
