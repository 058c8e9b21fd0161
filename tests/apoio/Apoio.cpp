#include "tests/apoio/Apoio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/bd/Recordset.h"
#include "platform/bd/ScriptSql.h"
#include "platform/bd/clsStringLigacao.h"
#include "platform/ini/clsIni.h"
#include "run/Sincronizacao.h"
#include "support/cl_log.h"

QByteArray lerFicheiro(const QString& caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Espaco::caminho(const QString& relativo) const {
    return relativo.isEmpty() ? dir_.path() : dir_.filePath(relativo);
}

QString Espaco::pasta(const QString& relativo) const {
    QDir().mkpath(caminho(relativo));
    return caminho(relativo);
}

QString Espaco::escrever(const QString& relativo, const QByteArray& conteudo) const {
    const QString c = caminho(relativo);
    QDir().mkpath(QFileInfo(c).absolutePath());
    QFile f(c);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << c.toStdString();
    f.write(conteudo);
    return c;
}

bool Espaco::existe(const QString& relativo) const {
    return QFile::exists(caminho(relativo));
}

QString stringLigacaoEmbutida(const QString& pasta, const QString& nome) {
    clsStringLigacao s;
    s.Servidor = pasta;
    s.BaseDeDados = nome;
    return s.StringLigacao();
}

void criarBaseDeDados(const QString& pasta, const QString& nome, const QStringList& scripts) {
    QDir().mkpath(pasta);
    QFile(QDir(pasta).filePath(nome + u".db"_s)).open(QIODevice::Append);
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, nome))) << bd.UltimoErro().toStdString();
    for (const QString& s : scripts)
        executarScriptSql(
            bd, s.contains(QLatin1Char(' '))
                    ? s
                    : QString::fromUtf8(lerFicheiro(QStringLiteral(MARELO_SOURCE_DIR "/db/") + s)));
}

QStringList valores(clsBd& bd, const QString& sql, const QVariantList& p) {
    Recordset rs;
    bd.AbrirConsulta(sql, rs, p);
    QStringList r;
    for (; !rs.eof(); rs.moveNext())
        r << rs.value(0).toString();
    return r;
}

std::string nomeDaVia(const testing::TestParamInfo<Via>& info) {
    return info.param == Via::Embutida ? "Embutida" : "Odbc";
}

Empresas::Empresas(bool demonstracao, Via via) {
    for (const char* p : {"ce", "cs", "ee", "es", "log", "nlog"})
        pasta(QString::fromLatin1(p));
    const QString bd = pasta(u"bd"_s);
    for (const QString& empresa : {u"QF"_s, u"SR"_s}) {
        QStringList scripts{u"company-sqlite.sql"_s, u"accounting.sql"_s};
        if (demonstracao)
            scripts << u"demo-data.sql"_s << u"accounting-demo.sql"_s;
        criarBaseDeDados(bd, empresa, scripts);
    }
    Parametros& p = parametros;
    p.FicheiroIni = ini = caminho(u"Quintaflor.vek"_s);
    p.Contactos_Directoria = caminho(u"ce"_s);
    p.Contactos_Ficheiro = u"PRP*.xml"_s;
    p.Contactos_SaidaDirectoria = caminho(u"cs"_s);
    p.Contactos_SaidaFicheiro = u"Contactos*.xml"_s;
    p.Encomendas_Directoria = caminho(u"ee"_s);
    p.Encomendas_Ficheiro = u"ENC*.xml"_s;
    p.Encomendas_saidaDirectoria = caminho(u"es"_s);
    p.Log_Directoria = caminho(u"log"_s);
    // NoCreat: a database that is not there must fail to open, as on a server.
    p.Sql_Servidor = via == Via::Embutida
                         ? bd
                         : u"DRIVER={SQLite3};Database=%1/{NomeSQL}.db;NoCreat=1"_s.arg(bd);
    p.Next_PercursoNext = bd;
    p.Next_PercursoLog = caminho(u"nlog"_s);
    p.Next_Utilizador = p.Next_Password = u"demo"_s;
    p.Empresa0_CodigoNext = p.Empresa0_BdSQL = u"QF"_s;
    p.Empresa1_CodigoNext = p.Empresa1_BdSql = u"SR"_s;
    p.Empresa0_TipoDoc = p.Empresa1_TipoDoc = u"ENCW"_s;
    p.Empresa0_Sector = p.Empresa1_Sector = u"WEB"_s;
    p.Empresa0_Serie = p.Empresa1_Serie = u"1"_s;
    p.Empresa0_ArtPortes = p.Empresa1_ArtPortes = u"PORTES"_s;
    p.Empresa0_Armazem = p.Empresa1_Armazem = u"A1"_s;
    EXPECT_TRUE(p.Escrever());
    // Without mail settings: a test that sends mail adds its own.
    escrever(u"Quintaflor.vek"_s, QString::fromUtf8(ler(u"Quintaflor.vek"_s))
                                      .remove(QRegularExpression(u"\\[email\\][^[]*"_s))
                                      .toUtf8());
    EXPECT_TRUE(p.Ler());
}

void Empresas::definir(const char* seccao, const char* chave, const QString& valor) {
    clsIni f;
    f.Ficheiro(ini);
    ASSERT_TRUE(f.GravarValor(QString::fromUtf8(seccao), QString::fromUtf8(chave), valor));
    ASSERT_TRUE(parametros.Ler());
}

clsBd& Empresas::base(const QString& empresa) {
    std::unique_ptr<clsBd>& bd = bases_[empresa];
    if (!bd) {
        bd = std::make_unique<clsBd>();
        EXPECT_TRUE(bd->Ligar(parametros.StringLigacao(empresa))) << bd->UltimoErro().toStdString();
    }
    return *bd;
}

Linhas Empresas::consultar(const QString& empresa, const QString& sql,
                           const QVariantList& p) const {
    clsBd bd;
    EXPECT_TRUE(bd.Ligar(stringLigacaoEmbutida(caminho(u"bd"_s), empresa)));
    Recordset rs;
    bd.AbrirConsulta(sql, rs, p);
    Linhas r;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList l;
        for (int i = 0; i < rs.fieldCount(); ++i)
            l << rs.value(i).toString();
        r << l;
    }
    return r;
}

QString Empresas::valor(const QString& empresa, const QString& sql, const QVariantList& p) const {
    const Linhas l = consultar(empresa, sql, p);
    return l.isEmpty() ? QString() : l[0][0];
}

QStringList Empresas::linhas(const QString& empresa, const QString& sql,
                             const QVariantList& p) const {
    QStringList r;
    for (const QStringList& l : consultar(empresa, sql, p))
        r << l.join(u'|');
    return r;
}

void Empresas::sql(const QString& empresa, const QString& texto, const QVariantList& p) const {
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(caminho(u"bd"_s), empresa)));
    bd.Executar(texto, p);
}

QStringList Empresas::ficheiros(const QString& pasta) const {
    return QDir(caminho(pasta)).entryList(QDir::Files, QDir::Name);
}

qint64 Empresas::marca(const QString& empresa) const {
    Parametros p;
    p.FicheiroIni = ini;
    return p.UltimoContacto_Get(empresa);
}

QString Empresas::registo() const {
    return QString::fromUtf8(
        lerFicheiro(cl_log::CaminhoDoDia(caminho(u"log"_s), relogio.agora().date())));
}

bool Empresas::executar() {
    Sincronizacao s(janela, ini, contabilidade, relogio);
    s.sincronizar();
    return !s.houveErros();
}

bool Empresas::simular() {
    Sincronizacao s(janela, ini, contabilidade, relogio);
    s.simular();
    return !s.houveErros();
}

QByteArray contactoWeb(const QByteArray& idnet, const QByteArray& nome, const QByteArray& empresa,
                       const QByteArray& resto) {
    return "<?xml version='1.0' encoding='UTF-8'?><CLIENTES><PRP><IDNET>" + idnet +
           "</IDNET><CODEMPRESA>" + empresa + "</CODEMPRESA><NOME>" + nome + "</NOME>" + resto +
           "</PRP></CLIENTES>";
}

QByteArray encomendaWeb(const QByteArray& id, const QByteArray& cliente, const QByteArray& linhas,
                        const QByteArray& resto, const QByteArray& data,
                        const QByteArray& empresa) {
    return "<?xml version='1.0' encoding='UTF-8'?><ENCOMENDAS><ENC><IDENCOMENDA>" + id +
           "</IDENCOMENDA><CODEMPRESA>" + empresa + "</CODEMPRESA><IDCLIENTE>" + cliente +
           "</IDCLIENTE><FLAGPROSPECT>0</FLAGPROSPECT><DATA>" + data + "</DATA><LINHAS>" + linhas +
           "</LINHAS>" + resto + "</ENC></ENCOMENDAS>";
}

QByteArray linhaWeb(const QByteArray& artigo, const QByteArray& qtd, const QByteArray& preco) {
    return "<LINHA><CODIGO>" + artigo + "</CODIGO><QUANTIDADE>" + qtd + "</QUANTIDADE><PRECO>" +
           preco + "</PRECO></LINHA>";
}
