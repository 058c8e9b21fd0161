// What a run killed at a bad moment leaves behind, and how the next run gets over it.
#include <QDateTime>
#include <QFile>
#include <QLockFile>

#include "platform/FicheiroXml.h"
#include "tests/apoio/ExecucaoComEmpresas.h"

namespace {

const QString kEmCurso = QStringLiteral("Já está em curso uma sincronização");

class Recuperacao : public ExecucaoComEmpresas {
  protected:
    QStringList ficheiros(const QString& pasta) const {
        return QDir(e.caminho(pasta)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void executarSql(const QString& sql) const {
        clsBd bd;
        ASSERT_TRUE(
            bd.Ligar(stringLigacaoEmbutida(e.caminho(QStringLiteral("bd")), QStringLiteral("QF"))));
        bd.Executar(sql);
    }
    QString lista() const { return janela.lista.join(QLatin1Char('\n')); }

    // A lock file as a run killed while taking it leaves it, made that many ms ago.
    void fechaduraDeixada(const QString& nome, const QByteArray& conteudo, qint64 idade) const {
        QFile f(e.escrever(nome, conteudo));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addMSecs(-idade),
                                  QFileDevice::FileModificationTime));
    }
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
