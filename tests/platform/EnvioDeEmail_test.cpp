#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <functional>

#include "tests/apoio/Apoio.h"
#include "tests/apoio/ExecucaoComEmpresas.h"

namespace {

QString u(const char* texto) {
    return QString::fromUtf8(texto);
}

const QString kPassword = u("s3gr3d0-da-loja");

// A real mail server in a process of its own (tests/platform/servidor_smtp.py) that keeps each
// message it receives as a file in its folder.
class ServidorDeTeste {
  public:
    ServidorDeTeste(const QString& pasta, const QString& modo) : pasta_(pasta) {
        QStringList args{u(MARELO_SOURCE_DIR "/tests/platform/servidor_smtp.py"), pasta, modo};
        if (modo != u("plain"))
            args << u("loja") << kPassword;
        processo_.start(u("/usr/bin/python3"), args);
        while (!processo_.canReadLine() && processo_.waitForReadyRead(30000)) {
        }
        porta = QString::fromLatin1(processo_.readLine().trimmed());
        EXPECT_FALSE(porta.isEmpty()) << processo_.readAllStandardError().toStdString();
    }
    ~ServidorDeTeste() {
        processo_.kill();
        processo_.waitForFinished();
    }
    QString certificado() const { return pasta_ + u("/cert.pem"); }
    // The messages received since the last call.
    QList<QJsonObject> recebidas() {
        QList<QJsonObject> lista;
        QDir dir(pasta_);
        for (const QString& nome : dir.entryList({u("*.json")})) {
            lista << QJsonDocument::fromJson(lerFicheiro(dir.filePath(nome))).object();
            dir.remove(nome);
        }
        return lista;
    }

    QString porta;

  private:
    QString pasta_;
    QProcess processo_;
};

}  // namespace

// The failure e-mail of a run, through a real mail server on the loopback: sent only for a run
// with errors and a server and a recipient set, in the security asked for (never falling back to
// plain text), naming the file that went wrong, with the run's summary. A message that does not
// go is logged with its reason, never the password, and leaves the run's outcome as it was.
class AvisoDeErros : public ExecucaoComEmpresas {};

TEST_F(AvisoDeErros, SoUmaExecucaoComErrosOsEnviaEPelaLigacaoPedida) {
    ServidorDeTeste simples(e.pasta(u("simples")), u("plain"));
    ServidorDeTeste starttls(e.pasta(u("starttls")), u("starttls"));
    ServidorDeTeste tls(e.pasta(u("tls")), u("tls"));
    const QByteArray base = lerFicheiro(ini);
    const QString enviado =
        u("O aviso dos erros foi enviado por e-mail para escritorio@quintaflor.pt.");
    const QString falhou =
        u("Não foi possível enviar o aviso dos erros por e-mail para "
          "escritorio@quintaflor.pt: ");
    struct Caso {
        const char* nome;
        ServidorDeTeste& servidor;
        const char* seguranca;
        QString password = {};     // with the login "loja" when set
        bool certificado = false;  // the server's own certificate given as the site's
        const char* destino = "escritorio@quintaflor.pt";
        bool comErro = true;
        QString registo = {};  // what the log says of the e-mail; nothing when empty
    };
    // clang-format off
    const Caso casos[] = {
        {.nome = "sem segurança", .servidor = simples, .seguranca = "Nenhuma", .registo = enviado},
        {.nome = "STARTTLS com login", .servidor = starttls, .seguranca = "STARTTLS", .password = kPassword, .certificado = true, .registo = enviado},
        {.nome = "SSL/TLS com login", .servidor = tls, .seguranca = "SSL/TLS", .password = kPassword, .certificado = true, .registo = enviado},
        {.nome = "password errada", .servidor = starttls, .seguranca = "STARTTLS", .password = kPassword + u("x"), .certificado = true, .registo = falhou},
        {.nome = "certificado que o sistema não conhece", .servidor = starttls, .seguranca = "STARTTLS", .password = kPassword, .registo = falhou},
        {.nome = "servidor sem STARTTLS", .servidor = simples, .seguranca = "STARTTLS", .registo = falhou},
        {.nome = "TLS num servidor sem TLS", .servidor = simples, .seguranca = "SSL/TLS", .password = kPassword, .registo = falhou},
        {.nome = "execução sem erros", .servidor = simples, .seguranca = "Nenhuma", .comErro = false},
        {.nome = "sem destinatário", .servidor = simples, .seguranca = "Nenhuma", .destino = ""},
    };
    // clang-format on
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        // As the settings dialog and the mail-server editor store them, the certificate file
        // set by hand.
        e.escrever(
            u("Quintaflor.vek"),
            base + u("[email]\nOrigem=loja@quintaflor.pt\nOrigem Nome=Quintaflor – Loja\n"
                     "Assunto=%1\nDestino=%2\n[Servidor email]\nServidor=127.0.0.1\n"
                     "Porta=%3\nSeguranca=%4\nUtilizador=%5\nPassword=%6\n"
                     "Certificados=%7\n")
                       .arg(c.password.isEmpty() ? u("Loja: erros, ação necessária") : QString(),
                            u(c.destino), c.servidor.porta, u(c.seguranca),
                            c.password.isEmpty() ? QString() : u("loja"), c.password,
                            c.certificado ? c.servidor.certificado() : QString())
                       .toUtf8());
        QFile::remove(e.caminho(u("ee/ENC_9.xml")));
        if (c.comErro)
            e.escrever(u("ee/ENC_9.xml"), "<ENCOMENDAS><ENC>");
        for (const QString& f : QDir(e.caminho(u("log"))).entryList(QDir::Files))
            QFile::remove(e.caminho(u("log/") + f));
        EXPECT_EQ(executar(), !c.comErro);
        const QString log = QString::fromUtf8(lerFicheiro(
            e.caminho(u("log/")) + QDir(e.caminho(u("log"))).entryList(QDir::Files).value(0)));
        EXPECT_FALSE(log.contains(kPassword));
        EXPECT_EQ(log.contains(u("e-mail")), !c.registo.isEmpty()) << log.toStdString();
        EXPECT_TRUE(log.contains(c.registo)) << log.toStdString();
        const QList<QJsonObject> recebidas = c.servidor.recebidas();
        if (c.registo != enviado) {
            EXPECT_TRUE(recebidas.isEmpty());
            EXPECT_TRUE(c.registo.isEmpty() || log.contains(u("127.0.0.1:") + c.servidor.porta))
                << log.toStdString();
            continue;
        }
        ASSERT_EQ(recebidas.size(), 1);
        const QJsonObject& r = recebidas[0];
        EXPECT_EQ(r[u("de")].toString(), u("loja@quintaflor.pt"));
        EXPECT_EQ(r[u("para")].toArray(), QJsonArray{u(c.destino)});
        EXPECT_EQ(r[u("From")].toString(), u("Quintaflor – Loja <loja@quintaflor.pt>"));
        EXPECT_EQ(r[u("To")].toString(), u(c.destino));
        EXPECT_EQ(r[u("Subject")].toString(), c.password.isEmpty()
                                                  ? u("Loja: erros, ação necessária")
                                                  : u("Erros na sincronização"));
        EXPECT_TRUE(r[u("Message-ID")].toString().endsWith(u("@quintaflor.pt>")));
        EXPECT_NE(r[u("Date")].toString(), u("None"));
        EXPECT_EQ(r[u("login")].toString(), c.password.isEmpty() ? QString() : u("loja"));
        const QString corpo = r[u("corpo")].toString();
        EXPECT_TRUE(corpo.contains(u("A encomenda ENC_9.xml não foi lida"))) << corpo.toStdString();
        EXPECT_TRUE(corpo.contains(janela.lista.filter(u("Resumo: ")).value(0)))
            << corpo.toStdString();
        EXPECT_TRUE(corpo.contains(u("\r\n"))) << "lines end in CR LF on the wire";
    }
}

// A failure is notified once: a file that stays refused makes one message, then none, then one
// reminder a day; a new failure among old ones makes one message that names only it as new; a
// file mended is said once, in the next message; a message that could not be sent goes at the
// next run. Every recipient receives it.
TEST_F(AvisoDeErros, CadaFalhaAvisadaUmaVezELembradaUmaVezPorDia) {
    ServidorDeTeste servidor(e.pasta(u("servidor")), u("plain"));
    QString porta = servidor.porta;
    const QByteArray base = lerFicheiro(ini);
    const auto definir = [&] {
        e.escrever(u("Quintaflor.vek"),
                   base + u("[email]\nOrigem=loja@quintaflor.pt\nDestino=a@quintaflor.pt; "
                            "b@quintaflor.pt\n[Servidor email]\nServidor=127.0.0.1\nPorta=%1\n"
                            "Seguranca=Nenhuma\n")
                              .arg(porta)
                              .toUtf8());
    };
    definir();
    const auto encomendaMa = [&](int n) {
        e.escrever(u("ee/ENC_%1.xml").arg(n), "<ENCOMENDAS><ENC>");
    };
    struct Passo {
        const char* quando;  // day and time, December 2026
        std::function<void()> antes;
        QStringList novos, lembrados, resolvidos;  // files each part of the message names; none:
        bool mensagem;                             // no message
    };
    encomendaMa(9);
    const Passo passos[] = {
        {"05 10:00", {}, {u("ENC_9.xml")}, {}, {}, true},
        {"05 10:15", {}, {}, {}, {}, false},
        {"06 09:00", {}, {}, {u("ENC_9.xml")}, {}, true},
        {"06 09:15", [&] { encomendaMa(8); }, {u("ENC_8.xml")}, {}, {}, true},
        {"06 09:30", [&] { QFile::remove(e.caminho(u("ee/ENC_9.xml"))); }, {}, {}, {}, false},
        {"06 09:45",
         [&] {
             encomendaMa(7);
             ServidorDeTeste fechado(e.pasta(u("fechado")), u("plain"));
             porta = fechado.porta;
             definir();
         },
         {},
         {},
         {},
         false},
        {"06 10:00",
         [&] {
             porta = servidor.porta;
             definir();
         },
         {u("ENC_7.xml")},
         {},
         {u("ENC_9.xml")},
         true},
        {"06 10:15", {}, {}, {}, {}, false},
    };
    for (const Passo& p : passos) {
        SCOPED_TRACE(p.quando);
        if (p.antes)
            p.antes();
        e.relogio.hora = QDateTime::fromString(u("2026-12-") + u(p.quando), u("yyyy-MM-dd HH:mm"));
        EXPECT_FALSE(executar());
        const QList<QJsonObject> recebidas = servidor.recebidas();
        ASSERT_EQ(recebidas.size(), p.mensagem ? 1 : 0) << e.registo().toStdString();
        if (!p.mensagem)
            continue;
        EXPECT_EQ(recebidas[0][u("para")].toArray(),
                  (QJsonArray{u("a@quintaflor.pt"), u("b@quintaflor.pt")}));
        EXPECT_TRUE(e.registo().contains(
            u("O aviso dos erros foi enviado por e-mail para a@quintaflor.pt, b@quintaflor.pt.")));
        const QString corpo = recebidas[0][u("corpo")].toString();
        // The parts of the message, each with the files it names.
        const QStringList titulos{u("Erros novos:"), u("Erros já avisados, ainda por resolver:"),
                                  u("Resolvidos desde o último aviso:"), u("Resumo: ")};
        const auto parte = [&](const QString& titulo) {
            QStringList nomes;
            const qsizetype i = corpo.indexOf(titulo);
            if (i < 0)
                return nomes;
            qsizetype fim = corpo.size();
            for (const QString& t : titulos)
                if (const qsizetype j = corpo.indexOf(t, i + 1); j > i && j < fim)
                    fim = j;
            for (const char* f : {"ENC_7.xml", "ENC_8.xml", "ENC_9.xml"})
                if (corpo.mid(i, fim - i).contains(u(f)))
                    nomes << u(f);
            return nomes;
        };
        EXPECT_EQ(parte(u("Erros novos:")), p.novos) << corpo.toStdString();
        EXPECT_EQ(parte(u("Erros já avisados, ainda por resolver:")), p.lembrados)
            << corpo.toStdString();
        EXPECT_EQ(parte(u("Resolvidos desde o último aviso:")), p.resolvidos)
            << corpo.toStdString();
    }
}
