#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QLocale>

#include "platform/Recordset.h"
#include "platform/clsBd.h"
#include "run/Sincronizacao.h"
#include "settings/Parametros.h"
#include "tests/apoio/Apoio.h"
#include "tests/apoio/JanelaDeTeste.h"

// A workspace with the two demonstration companies, as scripts/demo makes it.
class ExecucaoComEmpresas : public ::testing::Test {
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
                 QStringLiteral("db/accounting.sql"), QStringLiteral("db/accounting-demo.sql")});
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QByteArray c(const char* relativo) const {
        return e.caminho(QString::fromUtf8(relativo)).toUtf8();
    }

    void contacto(const QString& nome, const QByteArray& idnet, const QByteArray& empresa,
                  const QByteArray& quem) {
        e.escrever(QStringLiteral("ce/") + nome,
                   "<?xml version='1.0' encoding='UTF-8'?><CLIENTES><PRP><IDNET>" + idnet +
                       "</IDNET><CODEMPRESA>" + empresa + "</CODEMPRESA><NOME>" + quem +
                       "</NOME><EMAIL>x@example.pt</EMAIL></PRP></CLIENTES>");
    }
    void encomenda(const QString& nome, int id, const QByteArray& empresa,
                   const QByteArray& cliente, bool prospect, const QByteArray& linhas,
                   const QByteArray& resto = {}) {
        e.escrever(QStringLiteral("ee/") + nome,
                   "<?xml version='1.0' encoding='UTF-8'?><ENCOMENDAS><ENC><IDENCOMENDA>" +
                       QByteArray::number(id) + "</IDENCOMENDA><CODEMPRESA>" + empresa +
                       "</CODEMPRESA><IDCLIENTE>" + cliente + "</IDCLIENTE><FLAGPROSPECT>" +
                       (prospect ? "1" : "0") + "</FLAGPROSPECT><DATA>2026-12-05</DATA><LINHAS>" +
                       linhas + "</LINHAS>" + resto + "</ENC></ENCOMENDAS>");
    }
    static QByteArray linha(const char* artigo, const char* qtd, const char* preco) {
        return QByteArray("<LINHA><CODIGO>") + artigo + "</CODIGO><QUANTIDADE>" + qtd +
               "</QUANTIDADE><PRECO>" + preco + "</PRECO></LINHA>";
    }

    // One value of a query on a company database.
    QVariant valor(const QString& empresa, const QString& sql) const {
        clsBd bd;
        EXPECT_TRUE(bd.Ligar(stringLigacaoEmbutida(e.caminho(QStringLiteral("bd")), empresa)));
        Recordset rs;
        bd.AbrirConsulta(sql, rs);
        return rs.eof() ? QVariant() : rs.value(0);
    }
    int contar(const QString& empresa, const QString& tabela) const {
        return valor(empresa, QStringLiteral("SELECT COUNT(*) FROM ") + tabela).toInt();
    }
    QStringList ficheiros(const char* pasta) const {
        return QDir(e.caminho(QString::fromUtf8(pasta))).entryList(QDir::Files, QDir::Name);
    }
    qint64 marca(const QString& empresa) const {
        Parametros p;
        p.FicheiroIni = ini;
        return p.UltimoContacto_Get(empresa);
    }
    bool executar() {
        janela.lista.clear();
        Sincronizacao s(janela, ini);
        s.sincronizar();
        return !s.houveErros();
    }

    Espaco e;
    QString ini;
    JanelaDeTeste janela;
};
