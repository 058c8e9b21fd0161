#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>

#include "platform/Ficheiros.h"
#include "run/Sincronizacao.h"
#include "tests/apoio/Apoio.h"
#include "tests/apoio/JanelaDeTeste.h"

namespace {

// A workspace whose settings name existing, empty folders.
struct EspacoDeExecucao {
    Espaco e;
    QString ini;
    EspacoDeExecucao() {
        const QByteArray texto =
            "[Contactos]\nDirectoria Entrada=" + e.pasta(QStringLiteral("contactos")).toUtf8() +
            "\nFicheiro Entrada=*.xml\n[Encomenda]\nDirectoria Entrada=" +
            e.pasta(QStringLiteral("encomendas")).toUtf8() +
            "\nFicheiro Entrada=*.xml\nDirectoria Saida=" +
            e.pasta(QStringLiteral("saida")).toUtf8() +
            "\n[Log]\nDirectoria= " + e.pasta(QStringLiteral("log")).toUtf8() + "/ \n" +
            "[SQL]\nServidor=" + e.pasta(QStringLiteral("bd")).toUtf8() +
            "\n[QF]\nNomeSQL=QF\n[SR]\nNomeSQL=SR\n";
        ini = e.escrever(QStringLiteral("Quintaflor.vek"), texto);
        for (const QString& empresa : {QStringLiteral("QF"), QStringLiteral("SR")})
            criarBaseDeDados(e.caminho(QStringLiteral("bd")), empresa,
                             {QStringLiteral("db/company-sqlite.sql")});
    }
    QStringList linhasDoLog() const {
        const QStringList ficheiros = QDir(e.caminho(QStringLiteral("log"))).entryList(QDir::Files);
        if (ficheiros.size() != 1)
            return {};
        QStringList linhas;
        const QString texto = QString::fromUtf8(e.ler(QStringLiteral("log/") + ficheiros.first()));
        for (const QString& l : texto.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            linhas << l.mid(23);  // without the "[dd-mm-yyyy][HH:MM:SS] " stamp
        return linhas;
    }
};

const QString kSemAlteracoes = QStringLiteral("Não existem alterações a contactos para enviar.");
const QString kSemContactos = QStringLiteral("Não existem contactos para importar");
const QString kResumoVazio = QStringLiteral(
    "Resumo: contactos enviados SR 0, QF 0; contactos adicionados 0, já existentes 0, recusados "
    "0; encomendas gravadas 0, já gravadas 0, recusadas 0; erros 0");
const QStringList kListaVazia{QStringLiteral("Enviar contactos alterados"),
                              kSemAlteracoes,
                              kSemAlteracoes,
                              QStringLiteral("Importar Contactos"),
                              kSemContactos,
                              QStringLiteral("Importar Encomendas"),
                              kResumoVazio,
                              QStringLiteral("Sincronização terminada")};
const QStringList kLogVazio{QStringLiteral("Inicio da sincronização"),
                            QStringLiteral("Enviar contactos alterados"),
                            kSemAlteracoes,
                            kSemAlteracoes,
                            QStringLiteral("Importar Contactos"),
                            kSemContactos,
                            QStringLiteral("Importar encomendas"),
                            kResumoVazio,
                            QStringLiteral("Sincronização terminada"),
                            QStringLiteral("Sincronização terminada")};

}  // namespace

TEST(Sincronizacao, ExecucaoSemNadaParaFazerMostraERegistaOsPassos) {
    EspacoDeExecucao w;
    JanelaDeTeste janela;
    Sincronizacao s(janela, w.ini);
    s.sincronizar();
    EXPECT_EQ(janela.lista, kListaVazia);
    EXPECT_FALSE(s.houveErros());
    EXPECT_EQ(w.linhasDoLog(), kLogVazio);
}

TEST(Sincronizacao, DuasExecucoesNoMesmoDiaFicamNoMesmoLogEALimpamALista) {
    EspacoDeExecucao w;
    JanelaDeTeste janela;
    Sincronizacao s(janela, w.ini);
    s.sincronizar();
    s.sincronizar();
    EXPECT_EQ(janela.limpezas, 2);
    EXPECT_EQ(janela.lista, kListaVazia);
    EXPECT_EQ(w.linhasDoLog(), kLogVazio + kLogVazio);
    const QString linha = QString::fromUtf8(
        w.e.ler(QStringLiteral("log/") +
                QDir(w.e.caminho(QStringLiteral("log"))).entryList(QDir::Files)[0]));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\[\\d\\d-\\d\\d-\\d{4}\\]\\[\\d\\d:\\d\\d:\\d\\d\\] "
                                          "Inicio da sincronização\r\n"))
            .match(linha)
            .hasMatch());
}

TEST(Sincronizacao, SegundaExecucaoDoMesmoFicheiroNaoComeca) {
    EspacoDeExecucao w;
    QLockFile outra(w.ini + QStringLiteral(".lock"));
    ASSERT_TRUE(outra.tryLock(0));
    JanelaDeTeste janela;
    Sincronizacao s(janela, w.ini);
    s.sincronizar();
    ASSERT_EQ(janela.lista.size(), 1);
    EXPECT_TRUE(janela.lista[0].startsWith(QStringLiteral("Já está em curso uma sincronização")));
    EXPECT_TRUE(s.houveErros());
    EXPECT_EQ(w.linhasDoLog().size(), 1);
    outra.unlock();
    s.sincronizar();
    EXPECT_FALSE(s.houveErros());
}

TEST(Ficheiros, ArquivarFicheiroSubstituiACopiaAnterior) {
    Espaco e;
    e.escrever(QStringLiteral("in/a.xml"), "novo");
    e.escrever(QStringLiteral("in/a.xml.bak"), "antigo");
    ArquivarFicheiro(e.caminho(QStringLiteral("in")), QStringLiteral("a.xml"));
    EXPECT_FALSE(e.existe(QStringLiteral("in/a.xml")));
    EXPECT_EQ(e.ler(QStringLiteral("in/a.xml.bak")), QByteArray("novo"));

    e.escrever(QStringLiteral("in/b.xml"), "b");
    ArquivarFicheiro(e.caminho(QStringLiteral("in/")), QStringLiteral("b.xml"));
    EXPECT_EQ(e.ler(QStringLiteral("in/b.xml.bak")), QByteArray("b"));
    ArquivarFicheiro(e.caminho(QStringLiteral("in")), QStringLiteral("nao-existe.xml"));
}

TEST(Ficheiros, MoverFicheiro) {
    Espaco e;
    const QString origem = e.escrever(QStringLiteral("in/o.xml"), "ordem");
    const QString destino = e.escrever(QStringLiteral("out/o.xml"), "velho");
    EXPECT_TRUE(MoverFicheiro(origem, destino));
    EXPECT_FALSE(QFile::exists(origem));
    EXPECT_EQ(lerFicheiro(destino), QByteArray("ordem"));

    e.escrever(QStringLiteral("out/p.xml"), "velho");
    EXPECT_FALSE(MoverFicheiro(e.caminho(QStringLiteral("in/p.xml")),
                               e.caminho(QStringLiteral("out/p.xml"))));
    EXPECT_FALSE(e.existe(QStringLiteral("out/p.xml")));

    e.escrever(QStringLiteral("in/q.xml"), "q");
    EXPECT_FALSE(MoverFicheiro(e.caminho(QStringLiteral("in/q.xml")),
                               e.caminho(QStringLiteral("nao/q.xml"))));
    EXPECT_TRUE(e.existe(QStringLiteral("in/q.xml")));
}
