// Writes orders of 5 lines (one a pack of two components) through EncNext on the embedded
// accounting system, one EncNext and one company opening per order as the import run does, and
// shows where the time goes. Usage: encnext_bench [orders]  (default 10000)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>

#include "accounting/embutida/ContabilidadeEmbutida.h"
#include "orders/EncNext.h"
#include "platform/bd/ScriptSql.h"
#include "platform/bd/clsBd.h"
#include "platform/bd/clsStringLigacao.h"
#include "platform/ini/clsIni.h"
#include "run/ContextoDaExecucao.h"
#include "settings/Parametros.h"
#include "support/JanelaDeProgresso.h"
#include "support/cl_log.h"

namespace {

const char* kEmpresa = R"SQL(
CREATE TABLE TpDoc (Codigo nvarchar(5) PRIMARY KEY, Descricao nvarchar(50),
                    AutEco smallint NOT NULL DEFAULT 0);
CREATE TABLE vek_Packs (Codigo nvarchar(15) PRIMARY KEY, Descricao nvarchar(80));
CREATE TABLE OperaFac (Artigo nvarchar(15), Factor nvarchar(15), Quantida numeric(18,4),
                       PRIMARY KEY (Artigo, Factor));
CREATE TABLE CLIENTES (NUMERO int PRIMARY KEY, CODIGO nvarchar(10) UNIQUE, NOME nvarchar(100),
                       DBTS integer);
INSERT INTO TpDoc (Codigo, Descricao) VALUES ('ENCW', 'Encomenda Web');
INSERT INTO CLIENTES (NUMERO, CODIGO, NOME) VALUES (-1, 'MODELO', 'Modelo'), (7, '7', 'Ana');
INSERT INTO vek_Packs (Codigo, Descricao) VALUES ('CABAZ01', 'Cabaz');
INSERT INTO OperaFac (Artigo, Factor, Quantida) VALUES ('CABAZ01', 'AZEITE05', 2),
    ('CABAZ01', 'MEL250', 0.5);
INSERT INTO ct_Utilizadores (Utilizador, Password) VALUES ('demo', 'demo');
INSERT INTO ct_Artigos (Codigo, Descricao, PrecoUnitario, Unidade) VALUES
    ('AZEITE05', 'Azeite 0,5 l', 7.95, 'UN'), ('MEL250', 'Mel 250 g', 4.5, 'UN'),
    ('CABAZ01', 'Cabaz', 18.9, 'UN'), ('VINHO75', 'Vinho 0,75 l', 9.75, 'UN'),
    ('QUEIJO1', 'Queijo', 6.2, 'UN'), ('PORTES', 'Portes', 0, 'SV');
)SQL";

Moeda m(const char* texto) {
    return *Moeda::deTexto(QString::fromLatin1(texto), QLocale::c());
}

std::shared_ptr<Recordset> linhasDaEncomenda() {
    auto rs = std::make_shared<Recordset>();
    rs->appendField(QStringLiteral("Artigo"), FieldType::Text, 15);
    rs->appendField(QStringLiteral("Descrição"), FieldType::Text, 80);
    rs->appendField(QStringLiteral("Qtd"), FieldType::Currency);
    rs->appendField(QStringLiteral("Preço"), FieldType::Currency);
    rs->appendField(QStringLiteral("Desconto"), FieldType::Currency);
    rs->appendField(QStringLiteral("DescontoTXT"), FieldType::Text, 25);
    rs->open();
    const struct {
        const char *artigo, *qtd, *preco;
    } linhas[] = {{"AZEITE05", "2", "7.95"},
                  {"CABAZ01", "3", "18.9"},
                  {"MEL250", "1", "4.5"},
                  {"VINHO75", "6", "9.75"},
                  {"QUEIJO1", "1.5", "6.2"}};
    for (const auto& l : linhas) {
        rs->addNew();
        rs->setValue(QStringLiteral("Artigo"), QString::fromLatin1(l.artigo));
        rs->setValue(QStringLiteral("Qtd"), QVariant::fromValue(m(l.qtd)));
        rs->setValue(QStringLiteral("Preço"), QVariant::fromValue(m(l.preco)));
        rs->setValue(QStringLiteral("Desconto"), QVariant::fromValue(Moeda()));
        rs->setValue(QStringLiteral("DescontoTXT"), QString());
        rs->update();
    }
    return rs;
}

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int total = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Portugal));

    QTemporaryDir dir;
    const QString pasta = dir.filePath(QStringLiteral("bd"));
    QDir().mkpath(pasta);
    {
        QFile f(QDir(pasta).filePath(QStringLiteral("QF.db")));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
    }
    {
        clsStringLigacao s;
        s.Servidor = pasta;
        s.BaseDeDados = QStringLiteral("QF");
        clsBd bd;
        if (!bd.Ligar(s.StringLigacao()))
            return 1;
        executarScriptSql(bd, ContabilidadeEmbutida::Esquema());
        executarScriptSql(bd, QString::fromUtf8(kEmpresa));
    }
    const QString ini = dir.filePath(QStringLiteral("Quintaflor.vek"));
    {
        clsIni f;
        f.Ficheiro(ini);
        f.GravarValores(
            {{QStringLiteral("SQL"), QStringLiteral("Servidor"), pasta},
             {QStringLiteral("Next"), QStringLiteral("PercursoNext"), pasta},
             {QStringLiteral("Next"), QStringLiteral("PercursoLog"),
              dir.filePath(QStringLiteral("next"))},
             {QStringLiteral("Next"), QStringLiteral("Username"), QStringLiteral("demo")},
             {QStringLiteral("Next"), QStringLiteral("Password"), QStringLiteral("demo")},
             {QStringLiteral("QF"), QStringLiteral("CodigoNext"), QStringLiteral("QF")},
             {QStringLiteral("QF"), QStringLiteral("NomeSQL"), QStringLiteral("QF")},
             {QStringLiteral("QF"), QStringLiteral("Tipo Doc"), QStringLiteral("ENCW")},
             {QStringLiteral("QF"), QStringLiteral("Sector"), QStringLiteral("WEB")},
             {QStringLiteral("QF"), QStringLiteral("Serie"), QStringLiteral("1")},
             {QStringLiteral("QF"), QStringLiteral("ARTPORTES"), QStringLiteral("PORTES")},
             {QStringLiteral("QF"), QStringLiteral("Armazem"), QStringLiteral("A1")}});
    }

    // What a run owns: its settings, its company databases, its accounting connections.
    Parametros parametros;
    parametros.FicheiroIni = ini;
    if (!parametros.Ler())
        return 1;
    JanelaDeConsola consola;
    cl_log semLog;
    const ContabilidadeEmbutida::Escolha contabilidade;
    ContextoDaExecucao execucao(consola, parametros, semLog, contabilidade, Relogio::sistema());

    // Phases of one order, cut at the writer's own progress messages.
    qint64 tLigar = 0, tPreparar = 0, tDocumento = 0, tFlag = 0, tDesligar = 0;
    int escritas = 0;
    QElapsedTimer relogioTotal;
    relogioTotal.start();
    QElapsedTimer t;
    for (int i = 0; i < total; ++i) {
        EncNext n(parametros, execucao.Contabilidade());
        qint64 marca = 0;
        QObject::connect(&n, &EncNext::Evolucao, &n, [&](const QString& texto) {
            const qint64 agora = t.nsecsElapsed();
            if (texto.startsWith(QStringLiteral("Inicio")))
                tPreparar += agora - marca;
            else if (texto.startsWith(QStringLiteral("Encomenda:")))
                tDocumento += agora - marca;
            else
                return;
            marca = agora;
        });
        QObject::connect(&n, &EncNext::Erros, &n, [](const QString& texto) {
            std::fprintf(stderr, "%s\n", texto.toUtf8().constData());
        });
        n.NumeroEmpresa(QStringLiteral("QF"));
        n.CodigoCliente(QStringLiteral("7"));
        n.Idencomenda(QString::number(100000 + i));
        n.Observacoes(QStringLiteral("Encomenda de ensaio"));
        n.RsLinha(linhasDaEncomenda());
        n.Portes(m("4.5"));
        n.voucher(m("-2.5"));

        t.start();
        if (!n.LigarAoNext())
            return 1;
        tLigar += t.nsecsElapsed();
        t.start();
        QString tipo;
        qint16 serie = 0, ano = 0;
        qint32 numero = 0;
        const bool ok =
            n.GravarEncomenda(tipo, serie, ano, numero, QString(), execucao, QStringLiteral("QF"));
        tFlag += t.nsecsElapsed() - marca;
        escritas += ok ? 1 : 0;
        t.start();
        n.desligarDoNext();
        tDesligar += t.nsecsElapsed();
    }
    const qint64 decorrido = relogioTotal.nsecsElapsed();
    const qint64 medido = tLigar + tPreparar + tDocumento + tFlag + tDesligar;

    std::printf(
        "EncNext on the embedded accounting system: %d orders of 5 lines (1 pack of 2), "
        "shipping and voucher; %d written\n",
        total, escritas);
    std::printf("  %.0f orders/s, %.3f ms per order\n", total / (double(decorrido) / 1e9),
                ms(decorrido) / total);
    const struct {
        const char* fase;
        qint64 ns;
    } fases[] = {
        {"LigarAoNext (settings, open company, accounting tables, user check)", tLigar},
        {"GravarEncomenda up to the start (settings, AutEco on)", tPreparar},
        {"build 9 lines, pack lookups, validate, insert (one transaction)", tDocumento},
        {"AutEco off", tFlag},
        {"desligarDoNext (close company)", tDesligar},
        {"rest (order set-up, objects)", decorrido - medido},
    };
    for (const auto& f : fases)
        std::printf("  %6.3f ms/order  %5.1f%%  %s\n", ms(f.ns) / total,
                    100.0 * double(f.ns) / double(decorrido), f.fase);
    return escritas == total ? 0 : 1;
}
