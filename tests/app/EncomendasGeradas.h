#pragma once

// Order inboxes made from a seed, and the orders each file holds: what the runs over them must
// come to is checked in EncomendasGeradas_test.cpp.
#include <QDate>

#include "contacts/ContactoCliente.h"
#include "contacts/ConversoesDeEncomendas.h"
#include "tests/apoio/ExecucaoGerada.h"

struct Ordem {
    QString ficheiro, empresa;
    qint32 numero = 0;
    bool temNumero = true, prospect = false;
    QString cliente;        // the customer's code, or the prospect's contact code
    QString pessoa;         // a prospect's name, which the customer made of it carries
    bool recusada = false;  // cannot be written, whatever else happens
    // What the document must bill: each article line as "article|quantity|price|discount", then
    // "portes|<shipping>" and "voucher|<amount>" when there are, amounts as C writes them.
    QStringList cobrado;
};

// Amounts as the web side writes them under Portuguese settings, and as they read.
struct Montante {
    const char* texto;
    const char* valor;
};
const Montante kQuantidades[] = {
    {"1", "1.0000"}, {"2", "2.0000"}, {"1,5", "1.5000"}, {"0,25", "0.2500"}};
const Montante kPrecos[] = {{"2,5", "2.5000"},
                            {"12,75", "12.7500"},
                            {"1.234,5", "1234.5000"},
                            {"0,99", "0.9900"},
                            {"7", "7.0000"}};
const Montante kDescontos[] = {{"5", "5.0000"}, {"2,5", "2.5000"}, {"", "0.0000"}};

class GeradorDeEncomendas : public ExecucaoGerada {
  protected:
    // A document as a killed run leaves it, stored under the web order number; its number.
    QByteArray documento(const QString& empresa, qint32 numero, const QString& terceiro) {
        const int ano = QDate::currentDate().year();
        e.sql(empresa,
              u"INSERT INTO ct_Documentos (TipoDocumento, Serie, Ano, Numero, Terceiro, "
              "Processo) SELECT 'ENCW', 1, ?, COALESCE(MAX(Numero), 0) + 1, ?, ? FROM "
              "ct_Documentos WHERE TipoDocumento = 'ENCW' AND Serie = 1 AND Ano = ?"_s,
              {ano, terceiro, u"Web %1"_s.arg(numero), ano});
        return e.valor(empresa, u"SELECT MAX(Numero) FROM ct_Documentos"_s).toUtf8();
    }
    bool existe(const QString& empresa, const QString& contacto) {
        return !e.consultar(empresa, u"SELECT 1 FROM vek_contactos WHERE Codigo = ?"_s, {contacto})
                    .isEmpty();
    }
    QString novaPessoa(const QString& empresa, const QString& codigo) {
        const QString nome = u"Pessoa %1"_s.arg(++pessoas);
        e.sql(empresa, u"INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES (?, ?, ?)"_s,
              {codigo, 1000 + pessoas, nome});
        return nome;
    }
    // A conversion as a run killed before writing the document leaves it.
    QString converter(const Ordem& o, QString& guid) {
        clsBd bd;
        EXPECT_TRUE(bd.Ligar(e.parametros.StringLigacao(o.empresa)));
        criarTabelaDeConversoes(bd);
        ContactoCliente c;
        c.Idencomenda = o.numero;
        return c.ConverteContactoEmCliente(o.empresa, o.cliente, guid, bd);
    }

    // Writes the order's file, perhaps with a defect of its own or left half-done.
    void escrever(Ordem o, bool limpa = false) {
        static const char* artigos[] = {"AZEITE05", "MEL250",  "CABAZ01",
                                        "VINHO75",  "DOCE300", "CABAZ02"};
        const int defeito = limpa ? 99 : sorte(100);
        QByteArray linhas;
        for (int i = 0, n = 1 + sorte(3); i < n; ++i) {
            QByteArray artigo = artigos[sorte(6)];
            if (i == 0 && defeito < 6) {  // unknown to the accounting until the second run
                artigo = "NOVO" + QByteArray::number(o.numero);
                novosArtigos << QString::fromLatin1(artigo);
            }
            QByteArray l = "<CODIGO>" + artigo + "</CODIGO>";
            const int falta = i == 0 && defeito >= 6 && defeito < 18 ? defeito / 3 : 0;
            if (falta == 2 || falta == 3)  // an empty article, or none
                l = falta == 2 ? "<CODIGO/>" : "";
            const Montante& q = kQuantidades[sorte(4)];
            const Montante& p = kPrecos[sorte(5)];
            const Montante& d = kDescontos[sorte(3)];
            // Amounts that do not read exactly under Portuguese settings, or read two ways.
            const bool mal = i == 0 && defeito >= 18 && defeito < 24;
            if (falta != 4)
                l += "<QUANTIDADE>" + (mal && defeito < 20 ? "1.500" : QByteArray(q.texto)) +
                     "</QUANTIDADE>";
            if (falta != 5)
                l += "<PRECO>" +
                     (mal && defeito >= 20 && defeito < 22 ? "2.50" : QByteArray(p.texto)) +
                     "</PRECO>";
            const bool comDesconto = chance(50) || (mal && defeito >= 22);
            if (comDesconto)
                l += "<NOME>Artigo da loja</NOME><DESCONTO>" +
                     (mal && defeito >= 22 ? "5%" : QByteArray(d.texto)) + "</DESCONTO>";
            linhas += "<LINHA>" + l + "</LINHA>";
            o.cobrado << u"%1|%2|%3|%4"_s.arg(QString::fromLatin1(artigo), QLatin1String(q.valor),
                                              QLatin1String(p.valor),
                                              QLatin1String(comDesconto ? d.valor : "0.0000"));
        }
        QByteArray montantes;
        if (chance(40) || defeito == 24) {
            montantes += "<PORTES>" + QByteArray(defeito == 24 ? "7.95" : "3,50") + "</PORTES>";
            o.cobrado << u"portes|3.5000"_s;
        }
        if (chance(30)) {
            montantes += "<VOUCHER>2,5</VOUCHER>";
            o.cobrado << u"voucher|2,5"_s;
        }
        // No FLAGPROSPECT: whose order it is cannot be known.
        const bool semFlag = defeito == 25 || defeito == 26;
        // A company whose only customer is the template refuses its customers' orders.
        o.recusada = o.recusada || (soModelo.contains(o.empresa) && !o.prospect) || !o.temNumero ||
                     (defeito >= 6 && defeito < 27) || o.empresa == QLatin1String("ZZ");
        // Half-done states only for an order whose number and contact are its own so far.
        bool sozinha = !o.recusada && !limpa && (!o.prospect || existe(o.empresa, o.cliente)) &&
                       !semDocumentos.contains(o.empresa);
        for (const Ordem& p : ordens)
            sozinha = sozinha && !(p.empresa == o.empresa && p.numero == o.numero);
        const int estado = sozinha ? sorte(100) : 99;
        QString cliente = o.cliente, guid;
        if (estado < 25 && o.prospect)
            cliente = converter(o, guid);
        const auto bloco = [](const QByteArray& numero, const QByteArray& resto) {
            return "<IDENCSAGE><TPDOC>ENCW</TPDOC><NNUMDOC>" + numero +
                   "</NNUMDOC><SERIE>1</SERIE><ANO>" +
                   QByteArray::number(QDate::currentDate().year()) + "</ANO>" + resto +
                   "</IDENCSAGE>";
        };
        QByteArray resto = o.prospect ? "<FLAGPROSPECT>1</FLAGPROSPECT>" : "";
        if (estado < 20) {  // the document was inserted, and perhaps the file stamped
            const QByteArray numero = documento(o.empresa, o.numero, cliente);
            if (estado >= 10)  // killed before switching the flag off
                e.sql(o.empresa, u"UPDATE TpDoc SET AutEco = -1 WHERE Codigo = 'ENCW'"_s);
            else
                resto += bloco(numero, o.prospect ? "<IDCLIENTE>" + cliente.toUtf8() +
                                                        "</IDCLIENTE><Id_Unico>" + guid.toUtf8() +
                                                        "</Id_Unico>"
                                                  : QByteArray());
        } else if (estado >= 25 && estado < 33) {  // another customer's document has this number
            const QString outro = QString::number(1 + (o.cliente.toInt() + 1) % 3);
            const QByteArray numero = documento(o.empresa, o.numero, outro);
            estranhos << o.empresa + u"Web %1"_s.arg(o.numero) + outro;
            if (estado < 29)  // and the file says it is this order's
                resto += bloco(numero, {});
            o.recusada = true;
        }
        // Without a number: IDENCOMENDA empty, which reads as missing.
        QByteArray texto = encomendaWeb(o.temNumero ? QByteArray::number(o.numero) : QByteArray(),
                                        o.cliente.toUtf8(), linhas, montantes + resto, "2026-12-05",
                                        o.empresa.toUtf8());
        if (semFlag)
            texto.replace("<FLAGPROSPECT>0</FLAGPROSPECT>", "")
                .replace("<FLAGPROSPECT>1</FLAGPROSPECT>", "");
        e.escrever(u"ee/"_s + o.ficheiro, texto);
        if (chance(5))  // a save killed half-way, of a file of another number
            e.escrever(u"ee/."_s + o.ficheiro + u".tmp"_s,
                       texto.left(texto.size() / 2).replace("<IDENCOMENDA>", "<IDENCOMENDA>9"));
        ordens << o;
    }

    Ordem nova(const QString& empresa) {
        Ordem o;
        o.ficheiro = u"ENC_%1.xml"_s.arg(ordens.size() + 1, 4, 10, QLatin1Char('0'));
        o.empresa = empresa;
        o.numero = ++numeros;
        return o;
    }

    // A database made by an earlier version: no table of conversions by order, and the old
    // record by contact code, which names a contact that is gone and one whose code is given
    // again.
    void versaoAnterior(const QString& empresa) {
        e.sql(empresa, u"DROP TABLE vek_ConversoesDeEncomendas"_s);
        e.sql(empresa,
              u"CREATE TABLE vek_ContactosConvertidos (Codigo nvarchar(15) "
              "PRIMARY KEY, ClienteCodigo nvarchar(10), Id_Unico "
              "nvarchar(36), Data nvarchar(19))"_s);
        e.sql(empresa,
              u"INSERT INTO vek_ContactosConvertidos VALUES ('77', '3', "
              "NULL, '2025-01-02T10:00:00'), ('10', '2', NULL, NULL)"_s);
        Ordem o = nova(empresa);
        o.prospect = true;
        o.cliente = u"77"_s;
        o.pessoa = u"ninguém"_s;
        o.recusada = true;
        escrever(o, true);
        anteriores << o;
    }

    // Setups in which a trial once foretold the run wrongly: a company whose only customer is the
    // template; one whose embedded database holds the accounting's users and articles but not
    // its document tables yet (as a new company may); outboxes missing at the first run.
    // A customer's code: one of the company's customers, or, where the template is the only
    // one, a code no conversion gives.
    QString cliente(const QString& empresa) {
        return (soModelo.contains(empresa) ? u"X%1"_s : u"%1"_s).arg(1 + sorte(3));
    }

    void cenarios() {
        for (const char* emp : {"QF", "SR"}) {
            const QString empresa = QString::fromLatin1(emp);
            if (chance(15)) {
                e.sql(empresa, u"DELETE FROM CLIENTES WHERE NUMERO <> -1"_s);
                soModelo << empresa;
            } else if (chance(15)) {
                e.sql(empresa, u"DROP TABLE ct_LinhasDocumento"_s);
                e.sql(empresa, u"DROP TABLE ct_Documentos"_s);
                semDocumentos << empresa;
            }
        }
        semSaidas = chance(15);
        std::cout << "only the template: "
                  << QStringList(soModelo.values()).join(u' ').toStdString()
                  << "; no document tables: "
                  << QStringList(semDocumentos.values()).join(u' ').toStdString()
                  << "; outboxes missing: " << semSaidas << std::endl;
    }

    void gerar() {
        cenarios();
        for (const char* emp : {"QF", "SR"})
            if (chance(25))
                versaoAnterior(QString::fromLatin1(emp));
        for (int i = 0, n = 6 + sorte(9); i < n; ++i) {
            Ordem o = nova(chance(3) ? u"ZZ"_s : QString::fromLatin1(chance(50) ? "QF" : "SR"));
            const int tipo = sorte(100);
            if (tipo < 8)
                o.temNumero = false;
            else if (tipo < 20 && !ordens.isEmpty())
                o.numero = ordens[sorte(ordens.size())].numero;
            QList<Ordem> suas;
            for (const Ordem& p : ordens)
                if (p.prospect && p.empresa == o.empresa &&
                    !p.pessoa.startsWith(QLatin1String("n")))
                    suas << p;
            if (o.empresa != QLatin1String("ZZ") && chance(40)) {
                o.prospect = true;
                if (!suas.isEmpty() && chance(15)) {  // the same prospect orders again
                    const Ordem& p = suas[sorte(suas.size())];
                    o.cliente = p.cliente;
                    o.pessoa = p.pessoa;
                } else {
                    o.cliente = QString::number(10 + pessoas);
                    o.pessoa = novaPessoa(o.empresa, o.cliente);
                }
            } else {
                o.cliente = cliente(o.empresa);
            }
            escrever(o);
            // A customer's order under the number of a prospect's.
            if (o.prospect && o.temNumero && chance(15)) {
                Ordem c = nova(o.empresa);
                c.numero = o.numero;
                c.cliente = cliente(o.empresa);
                escrever(c);
            }
        }
    }

    // After the first run: codes of converted contacts given again to new prospects, orders of
    // contacts that are gone, the articles the accounting did not know.
    void depoisDaPrimeira() {
        const QList<Ordem> antes = ordens;
        QSet<QString> codigos;  // each code goes to one new prospect or to one order of nobody
        for (const Ordem& p : antes) {
            if (!p.prospect || codigos.contains(p.empresa + p.cliente) || !chance(50) ||
                existe(p.empresa, p.cliente))
                continue;
            codigos << p.empresa + p.cliente;
            Ordem o = nova(p.empresa);
            o.prospect = true;
            o.cliente = p.cliente;
            if (chance(70)) {
                o.pessoa = novaPessoa(o.empresa, o.cliente);
                if (chance(25) && p.temNumero)
                    o.numero = p.numero;
            } else {
                o.pessoa = u"ninguém"_s;  // gone before its order arrives
                o.recusada = true;
            }
            escrever(o);
        }
        for (const QString& artigo : novosArtigos)
            for (const char* emp : {"QF", "SR"})
                e.sql(QString::fromLatin1(emp),
                      u"INSERT OR IGNORE INTO ct_Artigos (Codigo) VALUES (?)"_s, {artigo});
    }

    QSet<QString> soModelo, semDocumentos;  // companies of the setups
    bool semSaidas = false;                 // the outboxes missing at the first run
    QList<Ordem> ordens;
    QStringList novosArtigos;
    QSet<QString> estranhos;  // documents of other customers stored before the runs
    QList<Ordem> anteriores;  // orders of a contact that an earlier version converted
    int pessoas = 0;
    qint32 numeros = 100;
};
