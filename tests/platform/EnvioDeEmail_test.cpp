#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "platform/EnvioDeEmail.h"
#include "platform/Falha.h"
#include "tests/apoio/Apoio.h"
#include "tests/apoio/ExecucaoComEmpresas.h"

namespace {

QString u(const char* texto) {
    return QString::fromUtf8(texto);
}

const QString kPassword = u("s3gr3d0-da-loja");

// A real mail server in a process of its own (tests/platform/servidor_smtp.py) that keeps each
// message it receives as a file in its folder; "none": a port held but not listened on, to which
// a connection is refused.
class ServidorDeTeste {
  public:
    ServidorDeTeste(const QString& pasta, const QString& modo) : pasta_(pasta) {
        if (modo == u("none")) {
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t tamanho = sizeof a;
            ::bind(socket_, reinterpret_cast<sockaddr*>(&a), tamanho);
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&a), &tamanho);
            porta = QString::number(ntohs(a.sin_port));
            return;
        }
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
        ::close(socket_);
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
    int socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
};

}  // namespace

TEST(EnvioDeEmail, EntregaSoPelaLigacaoPedidaENuncaMostraAPassword) {
    Espaco e;
    ServidorDeTeste simples(e.pasta(u("simples")), u("plain"));
    ServidorDeTeste starttls(e.pasta(u("starttls")), u("starttls"));
    ServidorDeTeste tls(e.pasta(u("tls")), u("tls"));
    ServidorDeTeste ninguem(e.pasta(u("ninguem")), u("none"));

    MensagemEmail m;
    m.Origem = u("loja@quintaflor.pt");
    m.OrigemNome = u("Quintaflor – Sincronização");
    m.Destino = u("escritorio@quintaflor.pt");
    m.Assunto = u("Erros na sincronização: 2 ficheiros recusados, ação necessária já");
    m.Corpo = u("Encomenda ENC_0042.xml recusada: artigo desconhecido «MEL-500»\n.\nFim\n");

    struct Caso {
        const char* nome;
        ServidorDeTeste& servidor;
        const char* seguranca;
        QString password;
        bool certificadoDoServidor;
        bool entregue;
    } casos[] = {
        {"sem segurança", simples, "Nenhuma", {}, false, true},
        {"STARTTLS com login", starttls, "STARTTLS", kPassword, true, true},
        {"SSL/TLS com login", tls, "SSL/TLS", kPassword, true, true},
        {"password errada", starttls, "STARTTLS", kPassword + u("x"), true, false},
        {"certificado que o sistema não conhece", starttls, "STARTTLS", kPassword, false, false},
        {"servidor sem STARTTLS", simples, "STARTTLS", {}, false, false},
        {"TLS num servidor sem TLS", simples, "SSL/TLS", kPassword, false, false},
        {"ninguém à escuta", ninguem, "Nenhuma", kPassword, false, false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        // As the mail-server editor stores them, with the certificate file set by hand.
        const QString ini = e.escrever(
            u("Quintaflor.vek"),
            u("[Servidor email]\nServidor=127.0.0.1\nPorta=%1\nSeguranca=%2\n"
              "Utilizador=%3\nPassword=%4\nCertificados=%5\n")
                .arg(c.servidor.porta, u(c.seguranca), c.password.isEmpty() ? QString() : u("loja"),
                     c.password, c.certificadoDoServidor ? c.servidor.certificado() : QString())
                .toUtf8());
        ServidorEmail s;
        ASSERT_TRUE(s.Ler(ini));
        if (!c.entregue) {
            try {
                enviarEmail(s, m);
                ADD_FAILURE() << "sent";
            } catch (const Falha& f) {
                EXPECT_TRUE(f.descricao().contains(u("127.0.0.1:") + s.Porta)) << f.what();
                EXPECT_FALSE(f.descricao().contains(kPassword)) << f.what();
            }
            EXPECT_TRUE(c.servidor.recebidas().isEmpty());
            continue;
        }
        enviarEmail(s, m);
        const QList<QJsonObject> recebidas = c.servidor.recebidas();
        ASSERT_EQ(recebidas.size(), 1);
        const QJsonObject& r = recebidas[0];
        EXPECT_EQ(r[u("de")].toString(), m.Origem);
        EXPECT_EQ(r[u("para")].toArray(), QJsonArray{m.Destino});
        EXPECT_EQ(r[u("From")].toString(), m.OrigemNome + u(" <loja@quintaflor.pt>"));
        EXPECT_EQ(r[u("To")].toString(), m.Destino);
        EXPECT_EQ(r[u("Subject")].toString(), m.Assunto);
        EXPECT_EQ(r[u("corpo")].toString(), QString(m.Corpo).replace(u("\n"), u("\r\n")));
        EXPECT_TRUE(r[u("Message-ID")].toString().endsWith(u("@quintaflor.pt>")));
        EXPECT_NE(r[u("Date")].toString(), u("None"));
        EXPECT_EQ(r[u("login")].toString(), s.Utilizador);
    }
}

// The run's warning: sent only for a run with errors and a mail server and a recipient set,
// naming the file that went wrong, with the summary; a server out of reach is logged and leaves
// the run's outcome as it was.
class AvisoDeErros : public ExecucaoComEmpresas {};

TEST_F(AvisoDeErros, SoUmaExecucaoComErrosEnviaOsErrosEOResumo) {
    ServidorDeTeste simples(e.pasta(u("simples")), u("plain"));
    ServidorDeTeste starttls(e.pasta(u("starttls")), u("starttls"));
    ServidorDeTeste ninguem(e.pasta(u("ninguem")), u("none"));
    const QByteArray base = lerFicheiro(ini);
    struct Caso {
        const char* nome;
        ServidorDeTeste& servidor;
        const char* seguranca;
        const char* destino;
        const char* assunto;
        bool comErro;
        const char* registo;  // what the log says of the e-mail; nothing when empty
    } casos[] = {
        {"sem segurança", simples, "Nenhuma", "escritorio@quintaflor.pt", "", true,
         "O aviso dos erros foi enviado por e-mail para escritorio@quintaflor.pt."},
        {"STARTTLS com login", starttls, "STARTTLS", "escritorio@quintaflor.pt", "Loja: erros",
         true, "O aviso dos erros foi enviado por e-mail para escritorio@quintaflor.pt."},
        {"execução sem erros", simples, "Nenhuma", "escritorio@quintaflor.pt", "", false, ""},
        {"sem destinatário", simples, "Nenhuma", "", "", true, ""},
        {"servidor fora de alcance", ninguem, "Nenhuma", "escritorio@quintaflor.pt", "", true,
         "Não foi possível enviar o aviso dos erros por e-mail para escritorio@quintaflor.pt: "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        const bool login = &c.servidor == &starttls;
        e.escrever(u("Quintaflor.vek"),
                   base + u("[email]\nOrigem=loja@quintaflor.pt\nOrigem Nome=Loja\n"
                            "Assunto=%1\nDestino=%2\n[Servidor email]\nServidor=127.0.0.1\n"
                            "Porta=%3\nSeguranca=%4\nUtilizador=%5\nPassword=%6\n"
                            "Certificados=%7\n")
                              .arg(u(c.assunto), u(c.destino), c.servidor.porta, u(c.seguranca),
                                   login ? u("loja") : QString(), login ? kPassword : QString(),
                                   login ? c.servidor.certificado() : QString())
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
        const QStringList resumo = janela.lista.filter(u("Resumo: "));
        ASSERT_EQ(resumo.size(), 1);
        if (!*c.registo) {
            EXPECT_FALSE(log.contains(u("e-mail"))) << log.toStdString();
            EXPECT_TRUE(c.servidor.recebidas().isEmpty());
            continue;
        }
        EXPECT_TRUE(log.contains(u(c.registo))) << log.toStdString();
        if (&c.servidor == &ninguem)
            continue;
        const QList<QJsonObject> recebidas = c.servidor.recebidas();
        ASSERT_EQ(recebidas.size(), 1);
        const QJsonObject& r = recebidas[0];
        EXPECT_EQ(r[u("de")].toString(), u("loja@quintaflor.pt"));
        EXPECT_EQ(r[u("para")].toArray(), QJsonArray{u(c.destino)});
        EXPECT_EQ(r[u("Subject")].toString(),
                  *c.assunto ? u(c.assunto) : u("Erros na sincronização"));
        const QString corpo = r[u("corpo")].toString();
        EXPECT_TRUE(corpo.contains(u("A encomenda ENC_9.xml não foi lida"))) << corpo.toStdString();
        EXPECT_TRUE(corpo.contains(resumo[0])) << corpo.toStdString();
        EXPECT_EQ(r[u("login")].toString(), login ? u("loja") : QString());
    }
}
