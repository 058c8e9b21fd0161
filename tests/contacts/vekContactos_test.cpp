#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include "contacts/vekContactos.h"
#include "platform/Falha.h"
#include "tests/contacts/EmpresaDeTeste.h"

namespace {

const QString kGuid =
    QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");

vekContactos novoContacto(EmpresaDeTeste& empresa, qint32 idNet,
                          const QString& nome = QStringLiteral("Contacto web")) {
    vekContactos c(empresa.base());
    c.CodigoEmpresa = QStringLiteral("QF");
    c.IdNet = idNet;
    c.Nome = nome;
    return c;
}

class Contactos : public testing::TestWithParam<Via> {};

// --- Contacto_add -----------------------------------------------------------------------------

struct CasoDeNumeracao {
    const char* nome;
    const char* contactosExistentes;  // SQL, or empty
    qint32 numero;
};

class Numeracao : public testing::TestWithParam<std::tuple<Via, CasoDeNumeracao>> {};

TEST_P(Numeracao, DaONumeroSeguinteEOPrimeiroCodigoLivre) {
    const auto& [via, caso] = GetParam();
    QStringList extra;
    if (*caso.contactosExistentes)
        extra << QString::fromUtf8(caso.contactosExistentes);
    EmpresaDeTeste empresa(via, extra);
    vekContactos c = novoContacto(empresa, 900);

    ASSERT_TRUE(c.Contacto_add());

    EXPECT_EQ(c.Numero, caso.numero);
    EXPECT_EQ(c.Codigo, QString::number(caso.numero));
    const Recordset rs = empresa.consultar(
        QStringLiteral("SELECT Codigo, Nome FROM vek_contactos WHERE Numero = ?"), {caso.numero});
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.value(0).toString(), QString::number(caso.numero));
    EXPECT_EQ(rs.value(1).toString(), QStringLiteral("Contacto web"));
    EXPECT_EQ(empresa
                  .valor(QStringLiteral("SELECT numero FROM vek_BDC_EquivalenciaOnlineDesktop "
                                        "WHERE IDnet = 900"))
                  .toInt(),
              caso.numero);
}

const CasoDeNumeracao casosDeNumeracao[] = {
    {"TabelaVazia", "", 1},
    {"Codigo42OcupadoComMaximo41",
     "INSERT INTO vek_contactos (Codigo, Numero) VALUES ('41', 41), ('42', 7)", 43},
    {"SoNumerosNegativos", "INSERT INTO vek_contactos (Codigo, Numero) VALUES ('A', -5)", -4},
};

INSTANTIATE_TEST_SUITE_P(, Numeracao,
                         testing::Combine(testing::Values(Via::Embutida, Via::Odbc),
                                          testing::ValuesIn(casosDeNumeracao)),
                         [](const testing::TestParamInfo<Numeracao::ParamType>& info) {
                             return nomeDaVia({std::get<0>(info.param), info.index}) + "_" +
                                    std::get<1>(info.param).nome;
                         });

TEST_P(Contactos, ContactoWebJaConhecidoNaoEscreveNadaEDevolveOContactoExistente) {
    EmpresaDeTeste empresa(GetParam(),
                           {QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero, Nome) "
                                           "VALUES ('C-7', 7, 'Antigo')"),
                            QStringLiteral("INSERT INTO vek_BDC_EquivalenciaOnlineDesktop "
                                           "(IDnet, numero) VALUES (501, 7)")});
    const QVariant versao = empresa.valor(QStringLiteral("SELECT Valor FROM vek_RowVersion"));
    vekContactos c = novoContacto(empresa, 501, QStringLiteral("Novo nome"));

    EXPECT_FALSE(c.Contacto_add());

    EXPECT_EQ(c.Codigo, QStringLiteral("C-7"));
    EXPECT_EQ(c.Numero, 7);
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT COUNT(*) FROM vek_contactos")).toInt(), 1);
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT Nome FROM vek_contactos")).toString(),
              QStringLiteral("Antigo"));
    EXPECT_EQ(
        empresa.valor(QStringLiteral("SELECT COUNT(*) FROM vek_BDC_EquivalenciaOnlineDesktop"))
            .toInt(),
        1);
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT Valor FROM vek_RowVersion")), versao);
}

TEST_P(Contactos, EquivalenciaDeUmContactoApagadoDaUmContactoNovoUmaSoVez) {
    EmpresaDeTeste empresa(GetParam(),
                           {QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero) "
                                           "VALUES ('4', 4)"),
                            QStringLiteral("INSERT INTO vek_BDC_EquivalenciaOnlineDesktop "
                                           "(IDnet, numero) VALUES (600, 9)")});
    vekContactos c = novoContacto(empresa, 600);

    ASSERT_TRUE(c.Contacto_add());
    EXPECT_EQ(c.Numero, 5);

    const Recordset eq = empresa.consultar(QStringLiteral(
        "SELECT numero FROM vek_BDC_EquivalenciaOnlineDesktop WHERE IDnet = 600 ORDER BY numero"));
    ASSERT_EQ(eq.recordCount(), 2);
    EXPECT_EQ(eq.value(0).toInt(), 5);

    // The same web contact again is known now, through the row whose contact exists.
    vekContactos outra = novoContacto(empresa, 600);
    EXPECT_FALSE(outra.Contacto_add());
    EXPECT_EQ(outra.Numero, 5);
    EXPECT_EQ(outra.Codigo, QStringLiteral("5"));
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT COUNT(*) FROM vek_contactos")).toInt(), 2);
}

TEST_P(Contactos, TextoMaiorQueAColunaEGuardadoCortadoEAPropriedadeFicaInteira) {
    EmpresaDeTeste empresa(GetParam());
    const QString nome = QString(98, QLatin1Char('n')) + QStringLiteral("çãoXYZ");
    vekContactos c = novoContacto(empresa, 1, nome);
    c.GestorDeConta = QStringLiteral("GESTOR-0123456789");

    ASSERT_TRUE(c.Contacto_add());

    EXPECT_EQ(c.Nome, nome);
    EXPECT_EQ(c.GestorDeConta, QStringLiteral("GESTOR-0123456789"));
    const Recordset rs =
        empresa.consultar(QStringLiteral("SELECT Nome, GesCnt FROM vek_contactos"));
    EXPECT_EQ(rs.value(0).toString(), nome.left(100));
    EXPECT_EQ(rs.value(1).toString(), QStringLiteral("GESTOR-012"));
}

TEST_P(Contactos, TextoComAspasESqlEGuardadoTalQualEVazioFicaTextoVazio) {
    EmpresaDeTeste empresa(GetParam());
    vekContactos c =
        novoContacto(empresa, 77, QStringLiteral("O'Brien'); DROP TABLE vek_contactos; --"));
    c.Contacto = QStringLiteral("João d'Almeida \"Zé\"");
    c.Morada = QStringLiteral("Rua N'Gola, 3.º ? €");
    c.Observacoes = QStringLiteral("' OR '1'='1");
    c.email = QStringLiteral("a%b_c@example.pt");

    ASSERT_TRUE(c.Contacto_add());

    const Recordset rs = empresa.consultar(
        QStringLiteral("SELECT Nome, Contacto, Morada, Observ, Email, Fax, Obs2, Id_Unico, dbts, "
                       "FuncaoEntidades_Id FROM vek_contactos"));
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.value(QStringLiteral("Nome")).toString(), c.Nome);
    EXPECT_EQ(rs.value(QStringLiteral("Contacto")).toString(), c.Contacto);
    EXPECT_EQ(rs.value(QStringLiteral("Morada")).toString(), c.Morada);
    EXPECT_EQ(rs.value(QStringLiteral("Observ")).toString(), c.Observacoes);
    EXPECT_EQ(rs.value(QStringLiteral("Email")).toString(), c.email);
    for (const char* vazia : {"Fax", "Obs2"}) {
        EXPECT_FALSE(rs.value(QLatin1String(vazia)).isNull()) << vazia;
        EXPECT_EQ(rs.value(QLatin1String(vazia)).toString(), QString()) << vazia;
    }
    EXPECT_TRUE(rs.value(QStringLiteral("FuncaoEntidades_Id")).isNull());
    EXPECT_TRUE(QRegularExpression(kGuid)
                    .match(rs.value(QStringLiteral("Id_Unico")).toString())
                    .hasMatch());
    EXPECT_GT(rs.value(QStringLiteral("dbts")).toLongLong(), 0);
}

TEST_P(Contactos, FalhaEntreOContactoEAEquivalenciaNaoDeixaNenhum) {
    EmpresaDeTeste empresa(GetParam(),
                           {QStringLiteral("CREATE TRIGGER recusar BEFORE INSERT ON "
                                           "vek_BDC_EquivalenciaOnlineDesktop BEGIN "
                                           "SELECT RAISE(ABORT, 'equivalencia recusada'); END")});
    vekContactos c = novoContacto(empresa, 5);

    try {
        c.Contacto_add();
        ADD_FAILURE() << "the insert was refused";
    } catch (const Falha& f) {
        EXPECT_TRUE(f.descricao().contains(QStringLiteral("equivalencia recusada")));
    }
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT COUNT(*) FROM vek_contactos")).toInt(), 0);
    // The store left no connection or transaction behind: the database takes writes.
    empresa.executar(QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero) VALUES ('1', 1)"));
}

// --- rsListaContactosAlteradosDesde -----------------------------------------------------------

class Listagem : public Contactos {
  protected:
    Listagem()
        : empresa(GetParam(),
                  {QStringLiteral(
                       "INSERT INTO vek_contactos (Codigo, Numero, Nome, Email, Vendedor) VALUES "
                       "('1', 1, 'Ana', 'ana@example.pt', 'V1')"),
                   QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero, Nome, Morada) VALUES "
                                  "('2', 2, 'Bruno', 'Rua B')"),
                   QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES "
                                  "('3', 3, 'Carla')"),
                   QStringLiteral("UPDATE vek_contactos SET Telef = '210000000' WHERE Numero = 1"),
                   QStringLiteral("INSERT INTO vek_BDC_EquivalenciaOnlineDesktop (IDnet, numero) "
                                  "VALUES (700, 2)"),
                   QStringLiteral("INSERT INTO vek_Classe (class_Id, Descricao, CampoLivre) "
                                  "VALUES (4, 'Revenda', '10'), (5, 'Sem desconto', NULL)"),
                   // Contact 3 is of class 4; contact 2 only has a class that does not exist
                   // and a customer's classification with its code.
                   QStringLiteral("INSERT INTO vek_EntidadesClassificacao (Class_id, Tipo, Codigo) "
                                  "VALUES (4, 3, '3'), (99, 3, '2'), (5, 1, '2')")}) {}

    std::unique_ptr<Recordset> listar(qint32 desde) {
        vekContactos c(empresa.base());
        c.CodigoEmpresa = QStringLiteral("QF");
        return std::make_unique<Recordset>(c.rsListaContactosAlteradosDesde(desde));
    }

    qint32 versao(int numero) {
        return empresa
            .valor(QStringLiteral("SELECT dbts FROM vek_contactos WHERE Numero = ?"), {numero})
            .toInt();
    }

    EmpresaDeTeste empresa;
};

TEST_P(Listagem, DaOsContactosAcimaDaMarcaPorOrdemDeVersao) {
    auto rs = listar(0);
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->recordCount(), 3);
    QList<int> numeros, alteracoes;
    for (; !rs->eof(); rs->moveNext()) {
        numeros << rs->value(QStringLiteral("Numero")).toInt();
        alteracoes << rs->value(QStringLiteral("Alteração")).toInt();
    }
    EXPECT_EQ(numeros, (QList<int>{2, 3, 1}));
    EXPECT_EQ(alteracoes, (QList<int>{versao(2), versao(3), versao(1)}));

    rs = listar(versao(2));
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->value(QStringLiteral("Numero")).toInt(), 3);

    rs = listar(versao(1));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->recordCount(), 0);
}

TEST_P(Listagem, TrazAEquivalenciaAClassificacaoEOsNulos) {
    auto rs = listar(-1);
    ASSERT_TRUE(rs);
    for (const char* campo : {"IDnet", "Numero", "Alteração", "Vendedor", "Nome", "Email",
                              "NContrib", "Contacto", "Morada", "CdPostal", "Local", "Telef", "Fax",
                              "TelCom", "Telfim", "Sitio", "Id_Unico", "Tipo", "Desconto"})
        EXPECT_GE(rs->fieldIndex(QString::fromUtf8(campo)), 0) << campo;
    EXPECT_EQ(rs->fieldCount(), 19);

    // Bruno: known on the web, no class of its own.
    EXPECT_EQ(rs->value(QStringLiteral("IDnet")).toInt(), 700);
    EXPECT_EQ(rs->value(QStringLiteral("Morada")).toString(), QStringLiteral("Rua B"));
    EXPECT_TRUE(rs->value(QStringLiteral("Tipo")).isNull());
    EXPECT_TRUE(rs->value(QStringLiteral("Desconto")).isNull());
    EXPECT_TRUE(rs->value(QStringLiteral("Email")).isNull());
    EXPECT_TRUE(QRegularExpression(kGuid)
                    .match(rs->value(QStringLiteral("Id_Unico")).toString())
                    .hasMatch());
    rs->moveNext();
    // Carla: class 4 with its discount, unknown on the web.
    EXPECT_TRUE(rs->value(QStringLiteral("IDnet")).isNull());
    EXPECT_EQ(rs->value(QStringLiteral("Tipo")).toInt(), 4);
    EXPECT_EQ(rs->value(QStringLiteral("Desconto")).toString(), QStringLiteral("10"));
    rs->moveNext();
    // Ana, changed last.
    EXPECT_EQ(rs->value(QStringLiteral("Nome")).toString(), QStringLiteral("Ana"));
    EXPECT_EQ(rs->value(QStringLiteral("Telef")).toString(), QStringLiteral("210000000"));
    EXPECT_EQ(rs->value(QStringLiteral("Vendedor")).toString(), QStringLiteral("V1"));
    EXPECT_TRUE(rs->value(QStringLiteral("Fax")).isNull());
}

TEST_P(Listagem, LeOsTamanhosDefinidosDaBaseDeDados) {
    auto rs = listar(0);
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->definedSize(QStringLiteral("Nome")), 100);
    EXPECT_EQ(rs->definedSize(QStringLiteral("CdPostal")), 20);
    EXPECT_EQ(rs->definedSize(QStringLiteral("Vendedor")), 10);
}

INSTANTIATE_TEST_SUITE_P(, Contactos, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);
INSTANTIATE_TEST_SUITE_P(, Listagem, testing::Values(Via::Embutida, Via::Odbc), nomeDaVia);

// --- The company database itself ----------------------------------------------------------------

TEST(BaseDeDadosDaEmpresa, UmContadorDeVersoesParaTodasAsTabelas) {
    EmpresaDeTeste empresa(Via::Embutida);
    empresa.executar(QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero) VALUES ('1', 1)"));
    empresa.executar(QStringLiteral("INSERT INTO CLIENTES (NUMERO, CODIGO) VALUES (1, '1')"));
    empresa.executar(QStringLiteral("INSERT INTO vek_contactos (Codigo, Numero) VALUES ('2', 2)"));
    empresa.executar(QStringLiteral("UPDATE vek_contactos SET Nome = 'x' WHERE Numero = 1"));
    empresa.executar(QStringLiteral("UPDATE CLIENTES SET NOME = 'y'"));

    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT dbts FROM vek_contactos WHERE Numero = 2")), 3);
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT dbts FROM vek_contactos WHERE Numero = 1")), 4);
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT DBTS FROM CLIENTES")), 5);
    EXPECT_EQ(empresa.valor(QStringLiteral("SELECT Valor FROM vek_RowVersion")), 5);
    EXPECT_NE(empresa.valor(QStringLiteral("SELECT Id_Unico FROM vek_contactos WHERE Numero = 1")),
              empresa.valor(QStringLiteral("SELECT Id_Unico FROM vek_contactos WHERE Numero = 2")));
}

TEST(BaseDeDadosDaEmpresa, OScriptCriaAEmpresaDeDemonstracao) {
    Espaco espaco;
    QProcess p;
    p.start(QStringLiteral("bash"),
            {QStringLiteral(MARELO_SOURCE_DIR "/scripts/create-company-db"), espaco.caminho(),
             QStringLiteral("QF"), QStringLiteral("--demo")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();

    clsBd bd;
    ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(espaco.caminho(), QStringLiteral("QF"))));
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT CODIGO FROM CLIENTES WHERE NUMERO = -1"), rs);
    EXPECT_EQ(rs.recordCount(), 1);
    bd.AbrirConsulta(QStringLiteral("SELECT Factor, Quantida FROM OperaFac WHERE Artigo = ? "
                                    "ORDER BY Factor"),
                     rs, {QStringLiteral("CABAZ01")});
    ASSERT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.value(0).toString(), QStringLiteral("AZEITE05"));
    EXPECT_DOUBLE_EQ(rs.value(1).toDouble(), 2.0);
    bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM vek_contactos WHERE dbts IS NULL OR "
                                    "Id_Unico IS NULL"),
                     rs);
    EXPECT_EQ(rs.value(0).toInt(), 0);

    // A database that exists is never overwritten.
    p.start(QStringLiteral("bash"), {QStringLiteral(MARELO_SOURCE_DIR "/scripts/create-company-db"),
                                     espaco.caminho(), QStringLiteral("QF")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_NE(p.exitCode(), 0);
}

}  // namespace
