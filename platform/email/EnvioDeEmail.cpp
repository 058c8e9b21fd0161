#include "platform/email/EnvioDeEmail.h"

#include <curl/curl.h>

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>
#include <QUuid>
#include <algorithm>
#include <cstring>
#include <memory>

#include "base/Falha.h"

namespace {

[[noreturn]] void falhar(const QString& texto) {
    throw Falha(Falha::ErroDeEscrita, texto);
}

bool asciiImprimivel(const QString& texto) {
    return std::all_of(texto.cbegin(), texto.cend(),
                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

// A header value as it stands when it is printable ASCII, otherwise as encoded words of whole
// characters. A line break would start a header of its own, so it becomes a blank.
QByteArray cabecalho(QString texto) {
    texto.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (asciiImprimivel(texto))
        return texto.toLatin1();
    QByteArray resultado, pedaco;
    const auto fechar = [&] {
        if (!resultado.isEmpty())
            resultado += "\r\n ";
        resultado += "=?UTF-8?B?" + pedaco.toBase64() + "?=";
        pedaco.clear();
    };
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const qsizetype n = texto[i].isHighSurrogate() && i + 1 < texto.size() ? 2 : 1;
        const QByteArray caracter = texto.mid(i, n).toUtf8();
        if (pedaco.size() + caracter.size() > 39)
            fechar();
        pedaco += caracter;
        i += n - 1;
    }
    if (!pedaco.isEmpty() || resultado.isEmpty())
        fechar();
    return resultado;
}

QByteArray endereco(const QString& texto) {
    static const QRegularExpression kValido(QStringLiteral("^[^\\s<>,;\"@]+@[^\\s<>,;\"@]+$"));
    if (!kValido.match(texto).hasMatch())
        falhar(QStringLiteral("Endereço de email inválido: \"%1\".").arg(texto));
    return texto.toUtf8();
}

QByteArray mensagemMime(const MensagemEmail& m, const QList<QByteArray>& destinos) {
    const QByteArray origem = endereco(m.Origem.trimmed());
    const QString nomeDado = m.OrigemNome.trimmed();
    QByteArray nome;
    if (!nomeDado.isEmpty() && asciiImprimivel(nomeDado))  // quoted: "," or "." in it stays text
        nome = '"' + nomeDado.toLatin1().replace('\\', "\\\\").replace('"', "\\\"") + "\" ";
    else if (!nomeDado.isEmpty())
        nome = cabecalho(nomeDado) + ' ';
    QString corpo = m.Corpo;
    corpo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    corpo.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    // Base64 keeps the text intact through any server: no bare 8-bit bytes, no long lines.
    const QByteArray base64 = corpo.toUtf8().toBase64();

    QByteArray t;
    t += "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    t += "From: " + nome + '<' + origem + ">\r\n";
    t += "To: " + destinos.join(", ") + "\r\n";
    t += "Subject: " + cabecalho(m.Assunto) + "\r\n";
    t += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@' +
         origem.mid(origem.indexOf('@') + 1) + ">\r\n";
    t += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n";
    t += "Content-Transfer-Encoding: base64\r\n\r\n";
    for (qsizetype i = 0; i < base64.size(); i += 76)
        t += base64.mid(i, 76) + "\r\n";
    return t;
}

struct Leitura {
    QByteArray dados;
    qsizetype lidos = 0;
};

size_t lerMensagem(char* destino, size_t tamanho, size_t quantos, void* leitura) {
    auto* l = static_cast<Leitura*>(leitura);
    const size_t n = std::min(tamanho * quantos, static_cast<size_t>(l->dados.size() - l->lidos));
    std::memcpy(destino, l->dados.constData() + l->lidos, n);
    l->lidos += static_cast<qsizetype>(n);
    return n;
}

// The server as the transfer reaches it.
struct Ligacao {
    bool starttls = false;
    QString local;  // "host:port", as the messages name it
    QByteArray url;
};

Ligacao ligacaoDe(const ServidorEmail& servidor) {
    const QString seguranca = servidor.Seguranca.trimmed();
    const bool tls = seguranca == QLatin1String("SSL/TLS");
    const bool starttls = seguranca == QLatin1String("STARTTLS");
    if (!tls && !starttls && !seguranca.isEmpty() && seguranca != QLatin1String("Nenhuma"))
        falhar(QStringLiteral("Segurança do servidor de email desconhecida: \"%1\" (Nenhuma, "
                              "SSL/TLS ou STARTTLS).")
                   .arg(seguranca));
    int porta = tls ? 465 : starttls ? 587 : 25;
    if (!servidor.Porta.trimmed().isEmpty()) {
        bool ok = false;
        porta = servidor.Porta.trimmed().toInt(&ok);
        if (!ok || porta < 1 || porta > 65535)
            falhar(
                QStringLiteral("Porta do servidor de email inválida: \"%1\".").arg(servidor.Porta));
    }
    const QString anfitriao = servidor.Servidor.trimmed();
    if (anfitriao.isEmpty())
        falhar(QStringLiteral("Não está indicado o servidor de email."));
    static const QRegularExpression kAnfitriao(QStringLiteral("^[A-Za-z0-9._:-]+$"));
    if (!kAnfitriao.match(anfitriao).hasMatch())
        falhar(QStringLiteral("Servidor de email inválido: \"%1\".").arg(servidor.Servidor));
    const QByteArray url =
        (tls ? "smtps://" : "smtp://") +
        (anfitriao.contains(QLatin1Char(':')) ? '[' + anfitriao + ']' : anfitriao).toUtf8() + ':' +
        QByteArray::number(porta);
    return {starttls, QStringLiteral("%1:%2").arg(anfitriao).arg(porta), url};
}

QList<QByteArray> destinosDe(const MensagemEmail& mensagem) {
    QList<QByteArray> destinos;
    for (const QString& d : mensagem.Destino.split(QRegularExpression(QStringLiteral("[,;]"))))
        if (!d.trimmed().isEmpty())
            destinos.append(endereco(d.trimmed()));
    if (destinos.isEmpty())
        falhar(QStringLiteral("Não está indicado o destinatário do email."));
    return destinos;
}

using ListaDeDestinos = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

ListaDeDestinos listaDeDestinos(const QList<QByteArray>& destinos) {
    ListaDeDestinos rcpt(nullptr, curl_slist_free_all);
    for (const QByteArray& d : destinos) {
        // The list given to the append comes back one longer, or stays as it was when the
        // append fails.
        curl_slist* anterior = rcpt.release();
        curl_slist* lista = curl_slist_append(anterior, ('<' + d + '>').constData());
        rcpt.reset(lista ? lista : anterior);
        if (!lista)
            falhar(QStringLiteral("O envio de email não pôde começar: falta memória."));
    }
    return rcpt;
}

// The reason the server or the transfer gives, without its final stops.
QString motivoDaFalha(const char* erro, CURLcode r, const QString& password) {
    QString motivo = QString::fromUtf8(erro[0] ? erro : curl_easy_strerror(r)).trimmed();
    while (motivo.endsWith(QLatin1Char('.')))
        motivo.chop(1);
    // A server's reply may repeat what it was sent; the password never reaches the log.
    if (!password.isEmpty())
        motivo.replace(password, QStringLiteral("***"));
    return motivo;
}

// What the server answers to each recipient, from the dialogue libcurl shows: a "RCPT TO"
// command, then its final reply ("250 ..." taken, anything else refused).
struct Respostas {
    QByteArray aEsperar;  // the address of the last RCPT TO, until its reply
    Entrega entrega;
};

int verDialogo(CURL*, curl_infotype tipo, char* dados, size_t tamanho, void* contexto) {
    auto* r = static_cast<Respostas*>(contexto);
    const QByteArray linha(dados, qsizetype(tamanho));
    if (tipo == CURLINFO_HEADER_OUT && linha.startsWith("RCPT TO:<")) {
        r->aEsperar = linha.mid(9, linha.indexOf('>') - 9);
    } else if (tipo == CURLINFO_HEADER_IN && !r->aEsperar.isEmpty() && linha.size() >= 4 &&
               linha[3] == ' ') {
        (linha.startsWith('2') ? r->entrega.aceites : r->entrega.recusados)
            << QString::fromUtf8(r->aEsperar);
        r->aEsperar.clear();
    }
    return 0;
}

}  // namespace

Entrega enviarEmail(const ServidorEmail& servidor, const MensagemEmail& mensagem) {
    // Once per process, before the first transfer.
    static const CURLcode inicio = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (inicio != CURLE_OK)
        falhar(QStringLiteral("O envio de email não pôde começar: %1.")
                   .arg(QString::fromUtf8(curl_easy_strerror(inicio))));

    const Ligacao ligacao = ligacaoDe(servidor);
    const QList<QByteArray> destinos = destinosDe(mensagem);
    Leitura leitura{mensagemMime(mensagem, destinos)};

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        falhar(QStringLiteral("O envio de email não pôde começar: falta memória."));
    const ListaDeDestinos rcpt = listaDeDestinos(destinos);
    CURL* c = curl.get();
    char erro[CURL_ERROR_SIZE] = {};
    const QByteArray de = '<' + endereco(mensagem.Origem.trimmed()) + '>';
    const QByteArray utilizador = servidor.Utilizador.toUtf8();
    const QByteArray password = servidor.Password.toUtf8();
    const QByteArray certificados = servidor.Certificados.trimmed().toLocal8Bit();
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, erro);
    curl_easy_setopt(c, CURLOPT_URL, ligacao.url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(c, CURLOPT_USE_SSL, ligacao.starttls ? CURLUSESSL_ALL : CURLUSESSL_NONE);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!certificados.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, certificados.constData());
    if (!utilizador.isEmpty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, utilizador.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, de.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    // Taken by the recipients the server accepts, whatever it says of the others; which ones,
    // is read from its replies.
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
    Respostas respostas;
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, verDialogo);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &respostas);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, lerMensagem);
    curl_easy_setopt(c, CURLOPT_READDATA, &leitura);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(leitura.dados.size()));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 60L);

    const CURLcode r = curl_easy_perform(c);
    if (r == CURLE_OK)
        return respostas.entrega;
    falhar(QStringLiteral("O email para %1 não foi enviado pelo servidor %2: %3.")
               .arg(mensagem.Destino.trimmed(), ligacao.local,
                    motivoDaFalha(erro, r, servidor.Password)));
}
