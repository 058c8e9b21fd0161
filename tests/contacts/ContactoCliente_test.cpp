#include "contacts/ContactoCliente.h"
#include <QScopeGuard>

#include "base/Falha.h"
#include "run/ContextoDaExecucao.h"
#include "support/cl_log.h"
#include "tests/apoio/Apoio.h"

namespace {

const QString QF = u"QF"_s;

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
        // The run it is part of: its message boxes reach the window.
        cl_log registo;
        ContextoDaExecucao execucao(empresa.janela, empresa.parametros, registo,
                                    empresa.contabilidade, empresa.relogio);
        ContactoCliente c(&execucao);
        c.Idencomenda = 55;
        const auto depois = qScopeGuard([&] { mensagens = empresa.janela.mensagens; });
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
        valores += u"%1%2 = 'c%3'"_s.arg(i ? ", " : "", contacto).arg(i + 1);
        ++i;
    }
    empresa.sql(QF, u"UPDATE vek_contactos SET "_s + valores + u" WHERE Codigo = '1'"_s);
    const QString guidDoContacto =
        empresa.valor(QF, u"SELECT Id_Unico FROM vek_contactos WHERE Codigo = '1'"_s);
    QString guid = u"antes"_s;

    EXPECT_EQ(converter(empresa, u"1"_s, guid), u"4"_s);

    EXPECT_EQ(guid, guidDoContacto);
    i = 0;
    for (const auto& [cliente, contacto] : kColunas)
        EXPECT_EQ(empresa.valor(QF, u"SELECT %1 FROM CLIENTES WHERE NUMERO = 4"_s.arg(
                                        QLatin1String(cliente))),
                  u"c%1"_s.arg(++i))
            << cliente;
    EXPECT_EQ(empresa.consultar(QF,
                                u"SELECT CONDPAG, MOEDA, TIPOPRECO, ZONA, "
                                "LIMITECRED, NOTAS IS NULL, DBTS > (SELECT "
                                "MAX(dbts) FROM vek_contactos) FROM CLIENTES "
                                "WHERE CODIGO = '4'"_s),
              (Linhas{{"30D", "EUR", "1", "WEB", "500", "1", "1"}}));
    EXPECT_EQ(estado(empresa),
              u"-1/MODELO 1/1 2/2 3/3 4/4 2 3 4 14 33 111 114 "
              "232 312 333 14 QF55>1>4>"_s +
                  guidDoContacto + QLatin1Char(' '));
    EXPECT_TRUE(mensagens.isEmpty());
    EXPECT_TRUE(avisos.isEmpty());
}

TEST_P(Conversao, NumeroSeguinteEPrimeiroCodigoLivre) {
    Empresas empresa(true, GetParam());
    empresa.sql(QF,
                u"INSERT INTO CLIENTES (NUMERO, CODIGO) VALUES (50, '100'), (51, '101'), "
                "(99, '99')"_s);
    QString guid;
    EXPECT_EQ(converter(empresa, u"2"_s, guid), u"102"_s);
    EXPECT_EQ(empresa.valor(QF, u"SELECT CODIGO FROM CLIENTES WHERE NUMERO = 100"_s), u"102"_s);
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
            converter(empresa, u"1"_s, guid);
        const QString antes = estado(empresa);
        guid = u"antes"_s;
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
        empresa.sql(QF, u"UPDATE CLIENTES SET NOME = 'x'"_s);
        if (QByteArray(c.sql).contains("DROP COLUMN")) {
            ASSERT_EQ(mensagens.size(), 1);
            EXPECT_TRUE(mensagens[0].startsWith(u"Erro 3146 ("_s));
            EXPECT_TRUE(mensagens[0].endsWith(
                u")\r\nNa função LerRegistoConverter do Módulo de classe cl_NextConvertePara"_s));
        }
    }
}

TEST_P(Conversao, TextoMaiorQueAColunaDoClienteFicaCortadoEDito) {
    Empresas empresa(true, GetParam());
    const QString nome = QString(120, QLatin1Char('x'));
    empresa.sql(QF, u"UPDATE vek_contactos SET Nome = ? WHERE Codigo = '4'"_s, {nome});
    QString guid;
    EXPECT_EQ(converter(empresa, u"4"_s, guid), u"4"_s);
    EXPECT_EQ(empresa.valor(QF, u"SELECT NOME FROM CLIENTES WHERE NUMERO = 4"_s), nome.left(100));
    EXPECT_EQ(avisos, QStringList{u"O valor de NOME do contacto 4 tem 120 caracteres "
                                  "e foi cortado aos 100 da coluna NOME de "
                                  "CLIENTES"_s});
}

INSTANTIATE_TEST_SUITE_P(, Conversao, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);
