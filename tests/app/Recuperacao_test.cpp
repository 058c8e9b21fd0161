// What a run killed at a bad moment leaves behind, and how the next run gets over it.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QLockFile>

#include "app/Sincronizacao.h"
#include "contacts/xmlContacto.h"
#include "platform/Recordset.h"
#include "platform/clsBd.h"
#include "tests/apoio/Apoio.h"
#include "tests/apoio/JanelaDeTeste.h"

namespace {

const QString kEmCurso = QStringLiteral("Já está em curso uma sincronização");

// The two demonstration companies, with the embedded accounting system.
class Recuperacao : public ::testing::Test {
  protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal));
        for (const char* p : {"ce", "cs", "ee", "es", "log", "bd", "nlog"})
            e.pasta(QString::fromUtf8(p));
        QByteArray texto =
            "[Contactos]\nDirectoria Entrada=" + c("ce") +
            "\nFicheiro Entrada=PRP*.xml\nDirectoria Saida=" + c("cs") +
            "\nFicheiro Saida=Contactos*.xml\n[Encomenda]\nDirectoria Entrada=" + c("ee") +
            "\nFicheiro Entrada=ENC*.xml\nDirectoria Saida=" + c("es") +
            "\n[Log]\nDirectoria=" + c("log") + "\n[SQL]\nServidor=" + c("bd") +
            "\n[Next]\nPercursoNext=" + c("bd") + "\nPercursoLog=" + c("nlog") +
            "\nUsername=demo\nPassword=demo\n";
        for (const char* emp : {"QF", "SR"})
            texto += QByteArray("[") + emp + "]\nCodigoNext=" + emp + "\nNomeSQL=" + emp +
                     "\nTipo Doc=ENCW\nSector=WEB\nSerie=1\nARTPORTES=PORTES\nArmazem=A1\n";
        ini = e.escrever(QStringLiteral("Quintaflor.vek"), texto);
        for (const QString& emp : {QStringLiteral("QF"), QStringLiteral("SR")})
            criarBaseDeDados(
                e.caminho(QStringLiteral("bd")), emp,
                {QStringLiteral("db/company-sqlite.sql"), QStringLiteral("db/demo-data.sql"),
                 QStringLiteral("db/accounting-demo.sql")});
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QByteArray c(const char* relativo) const {
        return e.caminho(QString::fromUtf8(relativo)).toUtf8();
    }
    QStringList ficheiros(const QString& pasta) const {
        return QDir(e.caminho(pasta)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QVariant valor(const QString& sql) const {
        clsBd bd;
        EXPECT_TRUE(
            bd.Ligar(stringLigacaoEmbutida(e.caminho(QStringLiteral("bd")), QStringLiteral("QF"))));
        Recordset rs;
        bd.AbrirConsulta(sql, rs);
        return rs.eof() ? QVariant() : rs.value(0);
    }
    void executarSql(const QString& sql) const {
        clsBd bd;
        ASSERT_TRUE(
            bd.Ligar(stringLigacaoEmbutida(e.caminho(QStringLiteral("bd")), QStringLiteral("QF"))));
        bd.Executar(sql);
    }
    bool executar() {
        janela.lista.clear();
        Sincronizacao s(janela, ini);
        s.sincronizar();
        return !s.houveErros();
    }
    QString lista() const { return janela.lista.join(QLatin1Char('\n')); }

    // A lock file as a run killed while taking it leaves it, made that many ms ago.
    void fechaduraDeixada(const QString& nome, const QByteArray& conteudo, qint64 idade) const {
        QFile f(e.escrever(nome, conteudo));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addMSecs(-idade),
                                  QFileDevice::FileModificationTime));
    }

    Espaco e;
    QString ini;
    JanelaDeTeste janela;
};

// A process id that no process has.
const QByteArray kProcessoMorto = "2147483000\nmarelo-sync\n\n\n\n";

}  // namespace

TEST_F(Recuperacao, FechaduraDeixadaPorUmaExecucaoMortaNaoImpedeAsSeguintes) {
    const struct {
        const char* caso;
        QByteArray fechadura;
        qint64 idade;
        bool rmlock;
    } casos[] = {
        {"empty lock file", "", 60000, false},
        {"empty lock file made just now", "", 0, false},
        {"lock of a dead process, with the .rmlock of its clearing", kProcessoMorto, 0, true},
        {"empty lock file and an empty .rmlock", "", 5000, true},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.caso);
        QFile::remove(ini + QStringLiteral(".lock"));
        QFile::remove(ini + QStringLiteral(".lock.rmlock"));
        fechaduraDeixada(QStringLiteral("Quintaflor.vek.lock"), caso.fechadura, caso.idade);
        if (caso.rmlock)
            fechaduraDeixada(QStringLiteral("Quintaflor.vek.lock.rmlock"), "", 0);
        EXPECT_TRUE(executar()) << lista().toStdString();
        EXPECT_FALSE(lista().contains(kEmCurso));
        EXPECT_TRUE(janela.lista.contains(QStringLiteral("Sincronização terminada")));
        EXPECT_EQ(ficheiros(QString()), QStringList{QStringLiteral("Quintaflor.vek")});
    }
}

TEST_F(Recuperacao, FechaduraDeUmaExecucaoVivaContinuaAImpedirOutra) {
    // Held open and locked, as by a live run, even when its content is not yet written.
    QLockFile viva(ini + QStringLiteral(".lock"));
    ASSERT_TRUE(viva.tryLock(0));
    QFile::resize(ini + QStringLiteral(".lock"), 0);
    QFile f(ini + QStringLiteral(".lock"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                              QFileDevice::FileModificationTime));
    EXPECT_FALSE(executar());
    ASSERT_EQ(janela.lista.size(), 1);
    EXPECT_TRUE(janela.lista[0].startsWith(kEmCurso));
    EXPECT_TRUE(QFile::exists(ini + QStringLiteral(".lock")));
}

TEST_F(Recuperacao, DocumentoGravadoAntesDeDesligarOAutEcoDeixaOTipoComoEstava) {
    e.escrever(QStringLiteral("ee/ENC_7.xml"),
               "<?xml version='1.0' encoding='UTF-8'?><ENCOMENDAS><ENC><IDENCOMENDA>7"
               "</IDENCOMENDA><CODEMPRESA>QF</CODEMPRESA><IDCLIENTE>1</IDCLIENTE><FLAGPROSPECT>0"
               "</FLAGPROSPECT><DATA>2026-12-05</DATA><LINHAS><LINHA><CODIGO>MEL250</CODIGO>"
               "<QUANTIDADE>2</QUANTIDADE><PRECO>4,5</PRECO></LINHA></LINHAS></ENC></ENCOMENDAS>");
    const QByteArray original = e.ler(QStringLiteral("ee/ENC_7.xml"));
    ASSERT_TRUE(executar()) << lista().toStdString();

    // The run was killed after inserting the document, before switching the flag off and before
    // writing the document back into the file.
    e.escrever(QStringLiteral("ee/ENC_7.xml"), original);
    QFile::remove(e.caminho(QStringLiteral("es/ENC_7.xml")));
    executarSql(QStringLiteral("UPDATE TpDoc SET AutEco = -1 WHERE Codigo = 'ENCW'"));

    EXPECT_TRUE(executar()) << lista().toStdString();
    EXPECT_TRUE(lista().contains(QStringLiteral("A encomenda ENC_7.xml já tem o documento")));
    EXPECT_EQ(valor(QStringLiteral("SELECT AutEco FROM TpDoc WHERE Codigo = 'ENCW'")).toInt(), 0);
    EXPECT_EQ(valor(QStringLiteral("SELECT COUNT(*) FROM ct_Documentos")).toInt(), 1);
    EXPECT_TRUE(ficheiros(QStringLiteral("ee")).isEmpty());
    EXPECT_EQ(QString::fromUtf8(e.ler(QStringLiteral("es/ENC_7.xml")))
                  .count(QStringLiteral("<IDENCSAGE>")),
              1);
}

TEST_F(Recuperacao, GravacaoInterrompidaNaoDeixaFicheirosParaTras) {
    // A save killed half-way left its temporary file; the next save of that file takes it over.
    e.escrever(QStringLiteral("cs/.Contactos QF_1.xml.tmp"), "<CLIENTES><PRP><NO");
    e.escrever(QStringLiteral("cs/Contactos QF_1.xml"), "antigo");
    gravarFicheiroAtomicamente(e.caminho(QStringLiteral("cs/Contactos QF_1.xml")), "novo");
    EXPECT_EQ(ficheiros(QStringLiteral("cs")), QStringList{QStringLiteral("Contactos QF_1.xml")});
    EXPECT_EQ(e.ler(QStringLiteral("cs/Contactos QF_1.xml")), QByteArray("novo"));

    // A run killed while sending the contacts of QF left temporary files; the next run sends
    // those contacts again.
    ASSERT_TRUE(executar()) << lista().toStdString();
    const QStringList enviados = ficheiros(QStringLiteral("cs"));
    for (const QString& nome : enviados.filter(QStringLiteral("Contactos QF_")))
        e.escrever(QStringLiteral("cs/.") + nome + QStringLiteral(".tmp"), "<CLIENTES><P");
    executarSql(QStringLiteral("UPDATE vek_contactos SET Fax = 'outro'"));
    ASSERT_TRUE(executar()) << lista().toStdString();
    EXPECT_EQ(ficheiros(QStringLiteral("cs")), enviados);
}
