#include "contacts/ContactoCliente.h"
#include "platform/Falha.h"
#include "tests/apoio/Apoio.h"

namespace {

const QString QF = QStringLiteral("QF");

// What becomes of the contact's columns in the customer's.
const std::pair<const char*, const char*> kColunas[] = {
    {"NOME", "Nome"},        {"CONTACTO", "Contacto"}, {"MORADA", "Morada"},
    {"LOCAL", "Local"},      {"CDPOSTAL", "CdPostal"}, {"TELEF", "Telef"},
    {"FAX", "Fax"},          {"TELEX", "telex"},       {"NCONTRIB", "NContrib"},
    {"CAE", "Cae"},          {"TELGER", "TelGer"},     {"TELCOM", "TelCom"},
    {"TELFIN", "Telfim"},    {"EMAIL", "Email"},       {"SITIO", "Sitio"},
    {"ZONAGEO", "ZonaGeo"},  {"CODPAIS", "CodPais"},   {"CONTGER", "ContGer"},
    {"CONTCOME", "ContCom"}, {"CONTFIN", "ContFin"},   {"OBSERV", "Observ"},
    {"OBS2", "Obs2"},        {"VENDEDOR", "Vendedor"}, {"GESTCNT", "GesCnt"},
};

class Conversao : public testing::TestWithParam<Via> {
  protected:
    QString converter(Empresas& empresa, const QString& codigo, QString& guid) {
        ContactoCliente c;
        c.MostrarMensagem = [this](const QString& texto) { mensagens << texto; };
        c.Idencomenda = 55;
        const QString cliente = c.ConverteContactoEmCliente(QF, codigo, guid, empresa.base());
        avisos = c.Avisos;
        return cliente;
    }

    // Everything a conversion may change, as text.
    static QString estado(const Empresas& empresa) {
        QString s;
        for (const char* sql :
             {"SELECT NUMERO || '/' || CODIGO FROM CLIENTES ORDER BY NUMERO",
              "SELECT Codigo FROM vek_contactos ORDER BY 1",
              "SELECT Entidade_Tipo || Entidade_Codigo FROM vek_Incidentes ORDER BY 1",
              "SELECT Class_id || Tipo || Codigo FROM vek_EntidadesClassificacao ORDER BY 1",
              "SELECT ext_Tipo || ext_Codigo FROM vek_TabelasEntidades ORDER BY 1",
              "SELECT Empresa || IdEncomenda || '>' || CodigoContacto || '>' || CodigoCliente || "
              "'>' || Id_Unico FROM vek_ConversoesDeEncomendas"})
            for (const QStringList& l : empresa.consultar(QF, QString::fromUtf8(sql)))
                s += l[0] + QLatin1Char(' ');
        return s;
    }

    QStringList mensagens, avisos;
};

}  // namespace

TEST_P(Conversao, ClienteFeitoDoModeloEDoContactoComAsLigacoesDoContacto) {
    Empresas empresa(true, GetParam());
    QString valores;  // each column its own value: "c1", "c2"...
    int i = 0;
    for (const auto& [cliente, contacto] : kColunas) {
        valores += QStringLiteral("%1%2 = 'c%3'").arg(i ? ", " : "", contacto).arg(i + 1);
        ++i;
    }
    empresa.sql(QF, QStringLiteral("UPDATE vek_contactos SET ") + valores +
                        QStringLiteral(" WHERE Codigo = '1'"));
    const QString guidDoContacto =
        empresa.valor(QF, QStringLiteral("SELECT Id_Unico FROM vek_contactos WHERE Codigo = '1'"));
    QString guid = QStringLiteral("antes");

    EXPECT_EQ(converter(empresa, QStringLiteral("1"), guid), QStringLiteral("4"));

    EXPECT_EQ(guid, guidDoContacto);
    i = 0;
    for (const auto& [cliente, contacto] : kColunas)
        EXPECT_EQ(empresa.valor(QF, QStringLiteral("SELECT %1 FROM CLIENTES WHERE NUMERO = 4")
                                        .arg(QLatin1String(cliente))),
                  QStringLiteral("c%1").arg(++i))
            << cliente;
    EXPECT_EQ(empresa.consultar(QF, QStringLiteral("SELECT CONDPAG, MOEDA, TIPOPRECO, ZONA, "
                                                   "LIMITECRED, NOTAS IS NULL, DBTS > (SELECT "
                                                   "MAX(dbts) FROM vek_contactos) FROM CLIENTES "
                                                   "WHERE CODIGO = '4'")),
              (Linhas{{"30D", "EUR", "1", "WEB", "500", "1", "1"}}));
    EXPECT_EQ(estado(empresa), QStringLiteral("-1/MODELO 1/1 2/2 3/3 4/4 2 3 4 14 33 111 114 "
                                              "232 312 333 14 QF55>1>4>") +
                                   guidDoContacto + QLatin1Char(' '));
    EXPECT_TRUE(mensagens.isEmpty());
    EXPECT_TRUE(avisos.isEmpty());
}

TEST_P(Conversao, NumeroSeguinteEPrimeiroCodigoLivre) {
    const struct {
        const char* clientes;
        const char* numero;
        const char* codigo;
    } casos[] = {{"(50, '100'), (51, '101'), (99, '99')", "100", "102"},
                 {"(10, '11')", "11", "12"}};
    for (const auto& caso : casos) {
        Empresas empresa(true, GetParam());
        empresa.sql(QF, QStringLiteral("INSERT INTO CLIENTES (NUMERO, CODIGO) VALUES ") +
                            QLatin1String(caso.clientes));
        QString guid;
        EXPECT_EQ(converter(empresa, QStringLiteral("2"), guid), QLatin1String(caso.codigo));
        EXPECT_EQ(empresa.valor(QF, QStringLiteral("SELECT CODIGO FROM CLIENTES WHERE NUMERO = ?"),
                                {QLatin1String(caso.numero)}),
                  QLatin1String(caso.codigo));
    }
}

TEST_P(Conversao, SemContactoSemModeloOuComFalhaNadaMuda) {
    const struct {
        const char* nome;
        const char* sql;
        const char* contacto;
        bool falha;
        const char* guid;  // after the call
    } casos[] = {
        {"contact not there", "", "X", false, "antes"},
        {"no template customer", "DELETE FROM CLIENTES WHERE NUMERO = -1", "1", false, nullptr},
        {"converted twice", "", "1", false, "antes"},
        {"failure half-way",
         "CREATE TRIGGER recusar BEFORE DELETE ON vek_contactos BEGIN SELECT RAISE(ABORT, "
         "'apagar recusado'); END",
         "1", true, "antes"},
        {"contact that cannot be read", "ALTER TABLE vek_contactos DROP COLUMN Obs2", "1", true,
         "antes"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Empresas empresa(true, GetParam());
        QString guid;
        if (*c.sql)
            empresa.sql(QF, QString::fromUtf8(c.sql));
        else if (qstrcmp(c.contacto, "1") == 0)
            converter(empresa, QStringLiteral("1"), guid);
        const QString antes = estado(empresa);
        guid = QStringLiteral("antes");
        mensagens.clear();
        if (c.falha) {
            EXPECT_THROW(converter(empresa, QString::fromUtf8(c.contacto), guid), Falha);
        } else {
            EXPECT_EQ(converter(empresa, QString::fromUtf8(c.contacto), guid), QString());
        }
        EXPECT_EQ(estado(empresa), antes);
        if (c.guid) {
            EXPECT_EQ(guid, QLatin1String(c.guid));
        }
        EXPECT_FALSE(empresa.base().EmTransaccao());  // so the database takes writes
        empresa.sql(QF, QStringLiteral("UPDATE CLIENTES SET NOME = 'x'"));
        if (QByteArray(c.sql).contains("DROP COLUMN")) {
            ASSERT_EQ(mensagens.size(), 1);
            EXPECT_TRUE(mensagens[0].startsWith(QStringLiteral("Erro 3146 (")));
            EXPECT_TRUE(mensagens[0].endsWith(QStringLiteral(
                ")\r\nNa função LerRegistoConverter do Módulo de classe cl_NextConvertePara")));
        }
    }
}

TEST_P(Conversao, TextoMaiorQueAColunaDoClienteFicaCortadoEDito) {
    Empresas empresa(true, GetParam());
    const QString nome = QString(120, QLatin1Char('x'));
    empresa.sql(QF, QStringLiteral("UPDATE vek_contactos SET Nome = ? WHERE Codigo = '4'"), {nome});
    QString guid;
    EXPECT_EQ(converter(empresa, QStringLiteral("4"), guid), QStringLiteral("4"));
    EXPECT_EQ(empresa.valor(QF, QStringLiteral("SELECT NOME FROM CLIENTES WHERE NUMERO = 4")),
              nome.left(100));
    EXPECT_EQ(avisos, QStringList{QStringLiteral("O valor de NOME do contacto 4 tem 120 caracteres "
                                                 "e foi cortado aos 100 da coluna NOME de "
                                                 "CLIENTES")});
}

INSTANTIATE_TEST_SUITE_P(, Conversao, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);
