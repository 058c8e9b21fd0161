#pragma once

#include <QString>
#include <QStringList>

#include "platform/email/ServidorEmail.h"

// One plain-text message.
struct MensagemEmail {
    QString Origem;      // sender address
    QString OrigemNome;  // sender display name; may be empty
    QString Destino;     // one or more recipient addresses, separated by "," or ";"
    QString Assunto;
    QString Corpo;  // lines separated by "\n" (or "\r\n")
};

// Who the server took the message for, and who it refused it for.
struct Entrega {
    QStringList aceites;
    QStringList recusados;
};

// Sends the message through the mail server in UTF-8 ("Nenhuma": plain SMTP, "STARTTLS":
// STARTTLS required, "SSL/TLS": SMTP over TLS; default ports 25, 587, 465). The server's
// certificate is checked against the system's certificate authorities, or those of the file
// `Certificados` when set; logs in only when `Utilizador` is set. Raises Falha, with the reason
// and never the password, when the message was not accepted; gives up on a server that does
// not answer within a minute, or refuses every recipient. A message taken for some recipients
// and refused for others is sent, and says so.
Entrega enviarEmail(const ServidorEmail& servidor, const MensagemEmail& mensagem);
