#include <gtest/gtest.h>

#include "contacts/ContactoCliente.h"
#include "platform/Falha.h"
#include "tests/contacts/EmpresaDeTeste.h"

namespace {

const QString kModelo = QStringLiteral(
    "INSERT INTO CLIENTES (NUMERO, CODIGO, NOME, CONDPAG, MOEDA, TIPOPRECO, DESCONTO, ZONA, "
    "LIMITECRED, INACTIVO, NOTAS, VENDEDOR) VALUES (-1, 'MODELO', 'Modelo', '30D', 'EUR', 1, 2.5, "
    "'WEB', 500, 0, NULL, 'VMOD')");

// A contact with every mapped column filled, its links, and a neighbour's links.
const QString kContacto = QStringLiteral(
    "INSERT INTO vek_contactos (Codigo, Numero, Nome, Contacto, Morada, Local, CdPostal, Telef, "
    "Fax, telex, NContrib, Cae, TelGer, TelCom, Telfim, Email, Sitio, ZonaGeo, CodPais, ContGer, "
    "ContCom, ContFin, Observ, Obs2, Vendedor, GesCnt, Id_Unico) VALUES ('C''7', 7, 'Nome', "
    "'Contacto', 'Morada', 'Local', 'CdPostal', 'Telef', 'Fax', 'telex', 'NContrib', 'Cae', "
    "'TelGer', 'TelCom', 'Telfim', 'Email', 'Sitio', 'ZonaGeo', 'PT', 'ContGer', 'ContCom', "
    "'ContFin', 'Observ', 'Obs2', 'Vendedor', 'GesCnt', 'GUID-DO-CONTACTO')");
const QString kVizinho =
    QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES ('8', 8, 'Vizinho')");
const QString kLigacoes = QStringLiteral(
    "INSERT INTO vek_Incidentes (Entidade_Tipo, Entidade_Codigo, Assunto) VALUES "
    "(3, 'C''7', 'a'), (3, 'C''7', 'b'), (3, '8', 'c');"
    "INSERT INTO vek_EntidadesClassificacao (Class_id, Tipo, Codigo) VALUES "
    "(1, 3, 'C''7'), (1, 3, '8');"
    "INSERT INTO vek_TabelasEntidades (ext_Tipo, ext_Codigo, Valor) VALUES "
    "(3, 'C''7', 'x'), (1, 'C''7', 'de um cliente')");

// The customer's 24 columns filled from the contact, with the contact's values.
const std::pair<const char*, const char*> kMapeamento[] = {
    {"NOME", "Nome"},        {"CONTACTO", "Contacto"}, {"MORADA", "Morada"},
    {"LOCAL", "Local"},      {"CDPOSTAL", "CdPostal"}, {"TELEF", "Telef"},
    {"FAX", "Fax"},          {"TELEX", "telex"},       {"NCONTRIB", "NContrib"},
    {"CAE", "Cae"},          {"TELGER", "TelGer"},     {"TELCOM", "TelCom"},
    {"TELFIN", "Telfim"},    {"EMAIL", "Email"},       {"SITIO", "Sitio"},
    {"ZONAGEO", "ZonaGeo"},  {"CODPAIS", "PT"},        {"CONTGER", "ContGer"},
    {"CONTCOME", "ContCom"}, {"CONTFIN", "ContFin"},   {"OBSERV", "Observ"},
    {"OBS2", "Obs2"},        {"VENDEDOR", "Vendedor"}, {"GESTCNT", "GesCnt"},
};

class Conversao : public testing::TestWithParam<Via> {
  protected:
    QString converter(EmpresaDeTeste& empresa, const QString& codigo, QString& guid) {
        bd = &empresa.base();
        ContactoCliente c;
        c.MostrarMensagem = [this](const QString& texto) { mensagens << texto; };
        c.Idencomenda = 55;
        const QString cliente =
            c.ConverteContactoEmCliente(QStringLiteral("QF"), codigo, guid, *bd);
        avisos = c.Avisos;
        return cliente;
    }

    // Everything the conversion may change, as text.
    static QString estado(const EmpresaDeTeste& empresa) {
        QString s;
        for (const char* sql :
             {"SELECT NUMERO || '/' || CODIGO || '/' || IFNULL(NOME, '?') FROM CLIENTES ORDER BY 1",
              "SELECT Codigo FROM vek_contactos ORDER BY 1",
              "SELECT Entidade_Tipo || Entidade_Codigo || Assunto FROM vek_Incidentes ORDER BY 1",
              "SELECT Tipo || Codigo FROM vek_EntidadesClassificacao ORDER BY 1",
              "SELECT ext_Tipo || ext_Codigo || Valor FROM vek_TabelasEntidades ORDER BY 1",
              "SELECT Empresa || IdEncomenda || '>' || CodigoContacto || '>' || CodigoCliente || "
              "'>' || Id_Unico FROM vek_ConversoesDeEncomendas"}) {
            Recordset rs = empresa.consultar(QString::fromUtf8(sql));
            for (; !rs.eof(); rs.moveNext())
                s += rs.value(0).toString() + QLatin1Char(';');
            s += QLatin1Char('\n');
        }
        return s;
    }

    clsBd* bd = nullptr;  // the company's connection the last conversion used
    QStringList mensagens;
    QStringList avisos;
};

TEST_P(Conversao, CriaOClienteAPartirDoModeloEDoContactoEMudaAsLigacoes) {
    EmpresaDeTeste empresa(GetParam(), {kModelo, kContacto, kVizinho, kLigacoes});
    QString guid = QStringLiteral("antes");

    EXPECT_EQ(converter(empresa, QStringLiteral("C'7"), guid), QStringLiteral("0"));

    EXPECT_EQ(guid, QStringLiteral("GUID-DO-CONTACTO"));
    ASSERT_TRUE(bd && bd->Ligado());
    EXPECT_FALSE(bd->EmTransaccao());
    const Recordset cliente =
        empresa.consultar(QStringLiteral("SELECT * FROM CLIENTES WHERE NUMERO = 0"));
    ASSERT_EQ(cliente.recordCount(), 1);
    EXPECT_EQ(cliente.value(QStringLiteral("CODIGO")).toString(), QStringLiteral("0"));
    for (const auto& [coluna, valor] : kMapeamento)
        EXPECT_EQ(cliente.value(QLatin1String(coluna)).toString(), QLatin1String(valor)) << coluna;
    EXPECT_EQ(cliente.value(QStringLiteral("CONDPAG")).toString(), QStringLiteral("30D"));
    EXPECT_EQ(cliente.value(QStringLiteral("MOEDA")).toString(), QStringLiteral("EUR"));
    EXPECT_EQ(cliente.value(QStringLiteral("TIPOPRECO")).toInt(), 1);
    EXPECT_DOUBLE_EQ(cliente.value(QStringLiteral("DESCONTO")).toDouble(), 2.5);
    EXPECT_TRUE(cliente.value(QStringLiteral("NOTAS")).isNull());
    EXPECT_GT(cliente.value(QStringLiteral("DBTS")).toLongLong(),
              empresa.valor(QStringLiteral("SELECT MAX(dbts) FROM vek_contactos")).toLongLong());

    EXPECT_EQ(estado(empresa), QStringLiteral("-1/MODELO/Modelo;0/0/Nome;\n"
                                              "8;\n"
                                              "10a;10b;38c;\n"
                                              "10;38;\n"
                                              "10x;1C'7de um cliente;\n"
                                              "QF55>C'7>0>GUID-DO-CONTACTO;\n"));
    EXPECT_TRUE(mensagens.isEmpty());
}

TEST_P(Conversao, ContactoSemDadosDaTextoVazioNasColunasDoContacto) {
    EmpresaDeTeste empresa(GetParam(),
                           {kModelo, QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero, "
                                                    "Id_Unico) VALUES ('5', 5, NULL)")});
    const QString guidDaBase =
        empresa.valor(QStringLiteral("SELECT Id_Unico FROM vek_contactos")).toString();
    QString guid;

    EXPECT_EQ(converter(empresa, QStringLiteral("5"), guid), QStringLiteral("0"));

    EXPECT_EQ(guid, guidDaBase);
    const Recordset cliente =
        empresa.consultar(QStringLiteral("SELECT * FROM CLIENTES WHERE NUMERO = 0"));
    for (const auto& [coluna, valor] : kMapeamento) {
        EXPECT_FALSE(cliente.value(QLatin1String(coluna)).isNull()) << coluna;
        EXPECT_EQ(cliente.value(QLatin1String(coluna)).toString(), QString()) << coluna;
    }
    EXPECT_EQ(cliente.value(QStringLiteral("ZONA")).toString(), QStringLiteral("WEB"));
    EXPECT_EQ(cliente.value(QStringLiteral("LIMITECRED")).toInt(), 500);
}

TEST_P(Conversao, NumeroSeguinteEPrimeiroCodigoLivre) {
    const struct {
        const char* clientes;
        int numero;
        const char* codigo;
    } casos[] = {
        {"(50, '100'), (51, '101'), (99, '99')", 100, "102"},
        {"(3, '3')", 4, "4"},
        {"(3, '4')", 4, "5"},
    };
    for (const auto& caso : casos) {
        EmpresaDeTeste empresa(GetParam(),
                               {kModelo, kContacto,
                                QStringLiteral("INSERT INTO CLIENTES (NUMERO, CODIGO) VALUES ") +
                                    QLatin1String(caso.clientes)});
        QString guid;
        EXPECT_EQ(converter(empresa, QStringLiteral("C'7"), guid), QLatin1String(caso.codigo))
            << caso.clientes;
        EXPECT_EQ(empresa
                      .valor(QStringLiteral("SELECT NUMERO FROM CLIENTES WHERE CODIGO = ?"),
                             {QLatin1String(caso.codigo)})
                      .toInt(),
                  caso.numero)
            << caso.clientes;
    }
}

TEST_P(Conversao, SemContactoOuSemModeloNaoMudaNada) {
    const struct {
        const char* nome;
        QStringList sql;
        const char* codigo;
        const char* guid;
    } casos[] = {
        {"contacto inexistente", {kModelo, kContacto, kLigacoes}, "X", "antes"},
        {"sem nenhum cliente", {kContacto, kLigacoes}, "C'7", "GUID-DO-CONTACTO"},
    };
    for (const auto& caso : casos) {
        EmpresaDeTeste empresa(GetParam(), caso.sql);
        const QString antes = estado(empresa);
        QString guid = QStringLiteral("antes");

        EXPECT_EQ(converter(empresa, QLatin1String(caso.codigo), guid), QString()) << caso.nome;

        EXPECT_EQ(guid, QLatin1String(caso.guid)) << caso.nome;
        EXPECT_EQ(estado(empresa), antes) << caso.nome;
        EXPECT_FALSE(bd->EmTransaccao()) << caso.nome;
    }
}

TEST_P(Conversao, OMesmoContactoDuasVezes) {
    EmpresaDeTeste empresa(GetParam(), {kModelo, kContacto, kLigacoes});
    QString guid;
    EXPECT_EQ(converter(empresa, QStringLiteral("C'7"), guid), QStringLiteral("0"));
    const QString depois = estado(empresa);
    guid = QStringLiteral("intacto");

    EXPECT_EQ(converter(empresa, QStringLiteral("C'7"), guid), QString());

    EXPECT_EQ(guid, QStringLiteral("intacto"));
    EXPECT_EQ(estado(empresa), depois);
}

TEST_P(Conversao, FalhaAMeioNaoDeixaNadaFeito) {
    EmpresaDeTeste empresa(GetParam(),
                           {kModelo, kContacto, kLigacoes,
                            QStringLiteral("CREATE TRIGGER recusar BEFORE DELETE ON vek_contactos "
                                           "BEGIN SELECT RAISE(ABORT, 'apagar recusado'); END")});
    const QString antes = estado(empresa);
    QString guid = QStringLiteral("antes");

    try {
        converter(empresa, QStringLiteral("C'7"), guid);
        FAIL() << "a conversão devia ter falhado";
    } catch (const Falha& f) {
        EXPECT_TRUE(f.descricao().contains(QStringLiteral("apagar recusado")))
            << f.descricao().toStdString();
    }

    EXPECT_EQ(estado(empresa), antes);
    EXPECT_EQ(guid, QStringLiteral("antes"));
    ASSERT_TRUE(bd);
    EXPECT_FALSE(bd->EmTransaccao());  // so it holds no lock: the database takes writes
    empresa.executar(QStringLiteral("UPDATE CLIENTES SET NOME = 'x'"));
}

TEST_P(Conversao, ContactoQueNaoSeLeMostraAMensagemELevantaAFalha) {
    EmpresaDeTeste empresa(
        GetParam(),
        {kModelo, kContacto, QStringLiteral("ALTER TABLE vek_contactos DROP COLUMN Obs2")});
    const QString antes = estado(empresa);
    QString guid;

    EXPECT_THROW(converter(empresa, QStringLiteral("C'7"), guid), Falha);

    ASSERT_EQ(mensagens.size(), 1);
    EXPECT_TRUE(mensagens[0].startsWith(QStringLiteral("Erro 3146 (")))
        << mensagens[0].toStdString();
    EXPECT_TRUE(mensagens[0].endsWith(QStringLiteral(
        ")\r\nNa função LerRegistoConverter do Módulo de classe cl_NextConvertePara")))
        << mensagens[0].toStdString();
    EXPECT_EQ(estado(empresa), antes);
}

TEST_P(Conversao, TextoMaiorQueAColunaDoClienteFicaCortado) {
    // Nothing in the contact table stops a value wider than the customer's column.
    const QString nome = QString(120, QLatin1Char('x'));
    EmpresaDeTeste empresa(GetParam(),
                           {kModelo, QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero, "
                                                    "Nome) VALUES ('5', 5, '%1')")
                                         .arg(nome)});
    QString guid;

    EXPECT_EQ(converter(empresa, QStringLiteral("5"), guid), QStringLiteral("0"));

    EXPECT_EQ(
        empresa.valor(QStringLiteral("SELECT NOME FROM CLIENTES WHERE NUMERO = 0")).toString(),
        nome.left(100));
    EXPECT_EQ(avisos, QStringList{QStringLiteral("O valor de NOME do contacto 5 tem 120 caracteres "
                                                 "e foi cortado aos 100 da coluna NOME de "
                                                 "CLIENTES")});
}

INSTANTIATE_TEST_SUITE_P(, Conversao, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);

}  // namespace
