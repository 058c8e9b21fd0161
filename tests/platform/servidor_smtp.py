"""A mail server for the tests, on 127.0.0.1 at a free port, which it prints first.
   servidor_smtp.py FOLDER plain|starttls|tls [USER PASSWORD]
Each message received becomes FOLDER/<n>.json; with tls or starttls the server makes its own
certificate, FOLDER/cert.pem; with USER it requires that login."""
import asyncio, email, email.policy, itertools, json, os, ssl, subprocess, sys
from aiosmtpd.smtp import SMTP, AuthResult

pasta, modo = sys.argv[1], sys.argv[2]
conta = tuple(a.encode() for a in sys.argv[3:5])
contexto = None
if modo != "plain":
    cert, chave = os.path.join(pasta, "cert.pem"), os.path.join(pasta, "chave.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", chave, "-out", cert], check=True, capture_output=True)
    contexto = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    contexto.load_cert_chain(cert, chave)
numeros = itertools.count()


class Guardar:
    async def handle_DATA(self, server, session, envelope):
        m = email.message_from_bytes(envelope.content, policy=email.policy.default)
        dados = {k: str(m[k]) for k in ("From", "To", "Subject", "Date", "Message-ID")}
        dados.update(de=envelope.mail_from, para=envelope.rcpt_tos, corpo=m.get_content(),
                     login=session.auth_data.login.decode() if session.authenticated else "")
        destino = os.path.join(pasta, "%d.json" % next(numeros))
        with open(destino + ".tmp", "w", encoding="utf-8") as f:
            json.dump(dados, f)
        os.rename(destino + ".tmp", destino)
        return "250 OK"


def autenticar(server, session, envelope, mecanismo, dados):
    return AuthResult(success=(dados.login, dados.password) == conta, handled=False,
                      auth_data=dados)


async def servir():
    def sessao():
        return SMTP(Guardar(), hostname="127.0.0.1", authenticator=autenticar if conta else None,
                    auth_required=bool(conta), auth_require_tls=modo == "starttls",
                    tls_context=contexto if modo == "starttls" else None,
                    require_starttls=modo == "starttls")
    servidor = await asyncio.get_running_loop().create_server(
        sessao, "127.0.0.1", 0, ssl=contexto if modo == "tls" else None)
    print(servidor.sockets[0].getsockname()[1], flush=True)
    await servidor.serve_forever()

asyncio.run(servir())
