#pragma once

#include <QLocale>

#include "tests/apoio/Apoio.h"

// A test on a fresh workspace of the two companies, in Portuguese regional settings, with the
// short names the run tests use.
class ExecucaoComEmpresas : public testing::Test {
  public:
    Empresas e;
    const QString& ini = e.ini;
    JanelaDeTeste& janela = e.janela;

  protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    bool executar() { return e.executar(); }
    QByteArray c(const char* relativo) const {
        return e.caminho(QString::fromUtf8(relativo)).toUtf8();
    }
    void contacto(const QString& nome, const QByteArray& idnet, const QByteArray& empresa,
                  const QByteArray& quem) {
        e.escrever(u"ce/"_s + nome,
                   contactoWeb(idnet, quem, empresa, "<EMAIL>x@example.pt</EMAIL>"));
    }
    void encomenda(const QString& nome, int id, const QByteArray& empresa,
                   const QByteArray& cliente, bool prospect, const QByteArray& linhas,
                   const QByteArray& resto = {}) {
        e.escrever(u"ee/"_s + nome,
                   encomendaWeb(QByteArray::number(id), cliente, linhas,
                                (prospect ? "<FLAGPROSPECT>1</FLAGPROSPECT>" : "") + resto,
                                "2026-12-05", empresa));
    }
    static QByteArray linha(const char* artigo, const char* qtd, const char* preco) {
        return linhaWeb(artigo, qtd, preco);
    }
    QVariant valor(const QString& empresa, const QString& sql) const {
        return e.valor(empresa, sql);
    }
    int contar(const QString& empresa, const QString& tabela) const {
        return e.valor(empresa, u"SELECT COUNT(*) FROM "_s + tabela).toInt();
    }
    QStringList ficheiros(const char* pasta) const { return e.ficheiros(QString::fromUtf8(pasta)); }
    qint64 marca(const QString& empresa) const { return e.marca(empresa); }
};
