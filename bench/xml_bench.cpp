// Throughput of the contact and order files: reads 10,000 distinct order files of 5 lines,
// writes 10,000 contact files and writes the document's identity back into the 10,000 orders.
// Prints files per second for each.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>

#include "contacts/xmlContacto.h"
#include "orders/xmlEncomenda.h"

namespace {

constexpr int Ficheiros = 10000;

QByteArray encomenda(int n) {
    QByteArray linhas;
    for (int l = 1; l <= 5; ++l)
        linhas += QStringLiteral(
                      "    <LINHA><CODIGO>A%1-%2</CODIGO><NOME>Artigo %1 número %2</NOME>"
                      "<QUANTIDADE>%2</QUANTIDADE><PRECO>%3,%4</PRECO>"
                      "<DESCONTO>0</DESCONTO><DESCONTOTXT></DESCONTOTXT></LINHA>\n")
                      .arg(n)
                      .arg(l)
                      .arg(n % 97 + l)
                      .arg(n % 100, 2, 10, QLatin1Char('0'))
                      .toUtf8();
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ENCOMENDAS>\n  <ENC>\n"
               "    <IDENCOMENDA>%1</IDENCOMENDA>\n    <IDCLIENTE>C%1</IDCLIENTE>\n"
               "    <CODEMPRESA>QF</CODEMPRESA>\n    <FLAGPROSPECT>0</FLAGPROSPECT>\n"
               "    <DATA>15/03/2026 14:30</DATA>\n    <OBS>Encomenda %1</OBS>\n"
               "    <LINHAS>\n")
               .arg(n)
               .toUtf8() +
           linhas +
           "    </LINHAS>\n    <SUBTOTAL>1.234,50</SUBTOTAL>\n    <PORTES>3,50</PORTES>\n"
           "    <TOTAL>1.238,00</TOTAL>\n    <VOUCHER>0</VOUCHER>\n"
           "    <TOTALFINAL>1.238,00</TOTALFINAL>\n  </ENC>\n</ENCOMENDAS>\n";
}

void mostrar(const char* o, double ms) {
    std::printf("%-40s %6d ficheiros em %8.1f ms: %8.0f ficheiros/s\n", o, Ficheiros, ms,
                Ficheiros * 1000.0 / ms);
}

}  // namespace

int main() {
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal));
    QTemporaryDir pasta;
    if (!pasta.isValid())
        return 1;
    QDir().mkpath(pasta.filePath(QStringLiteral("enc")));
    QDir().mkpath(pasta.filePath(QStringLiteral("cont")));
    QStringList encomendas;
    for (int n = 1; n <= Ficheiros; ++n) {
        const QString c = pasta.filePath(QStringLiteral("enc/ENC_%1.xml").arg(n));
        QFile f(c);
        if (!f.open(QIODevice::WriteOnly) || f.write(encomenda(n)) < 0)
            return 1;
        encomendas << c;
    }

    QElapsedTimer t;
    xmlEncomenda e;
    qint64 linhas = 0;
    t.start();
    for (const QString& c : encomendas) {
        e.FicheiroXML = c;
        if (!e.GetEncomenda()) {
            std::fprintf(stderr, "%s\n", qPrintable(e.UltimoErro));
            return 1;
        }
        linhas += e.RsLinha->recordCount();
    }
    mostrar("Ler encomendas (GetEncomenda, 5 linhas)", double(t.nsecsElapsed()) / 1e6);
    if (linhas != qint64(Ficheiros) * 5)
        return 1;

    xmlContacto contacto;
    t.restart();
    for (int n = 1; n <= Ficheiros; ++n) {
        contacto.IdSite = QString::number(n);
        contacto.idContactos = QString::number(n + 100000);
        contacto.CodigoEmpresa = QStringLiteral("SR");
        contacto.Nome = QStringLiteral("Cliente %1 & Filhos, Lda.").arg(n);
        contacto.email = QStringLiteral("cliente%1@exemplo.pt").arg(n);
        contacto.Morada = QStringLiteral("Rua da Conceição, %1").arg(n);
        contacto.Localidade = QStringLiteral("Guimarães");
        contacto.Create_XML(pasta.filePath(QStringLiteral("cont/CONT_%1.xml").arg(n)));
    }
    mostrar("Escrever contactos (Create_XML)", double(t.nsecsElapsed()) / 1e6);

    t.restart();
    for (int n = 0; n < Ficheiros; ++n) {
        e.FicheiroXML = encomendas[n];
        if (!e.ActualizarXML(QStringLiteral("ECL"), n + 1, 1, 2026, QString(), QString()))
            return 1;
    }
    mostrar("Gravar identidade do documento", double(t.nsecsElapsed()) / 1e6);
    return 0;
}
