#include "settings/Parametros.h"
#include "tests/apoio/Apoio.h"

namespace {

// Each setting as the office writes it, with a value of its own.
const QByteArray kFicheiro =
    "[Contactos]\nDirectoria Entrada=c1\nFicheiro Entrada=c2\nDirectoria Saida=c3\n"
    "Ficheiro Saida=c4\n[Encomenda]\nDirectoria Entrada=e1\nFicheiro Entrada=e2\n"
    "Directoria Saida=e3\nFicheiro Saida=e4\n[email]\nOrigem=m1\nOrigem Nome=m2\nAssunto=m3\n"
    "Destino=m4\n[Log]\nDirectoria=l1\n[SQL]\nServidor=s1\nUsername=s2\nPassword=s3\n"
    "[Next]\nPercursoNext=n1\nPercursoLog=n2\nUsername=n3\nPassword=n4\n"
    "[QF]\nCodigoNext=q1\nNomeSQL=q2\nTipo Doc=q3\nSector=q4\nSerie=q5\nARTPORTES=q6\nArmazem=q7\n"
    "[SR]\nCodigoNext=r1\nNomeSQL=r2\nTipo Doc=r3\nSector=r4\nSerie=r5\nARTPORTES=r6\nArmazem=r7\n"
    "UltimoEnviado=4294967397\n";

QStringList valores(const Parametros& p) {
    // clang-format off
    return {p.Contactos_Directoria, p.Contactos_Ficheiro, p.Contactos_SaidaDirectoria,
            p.Contactos_SaidaFicheiro, p.Encomendas_Directoria, p.Encomendas_Ficheiro,
            p.Encomendas_saidaDirectoria, p.Encomendas_SaidaFicheiro, p.email_Origem,
            p.email_OrigemNome, p.email_Assunto, p.email_destino, p.Log_Directoria,
            p.Sql_Servidor, p.SQL_Username, p.Sql_Password, p.Next_PercursoNext,
            p.Next_PercursoLog, p.Next_Utilizador, p.Next_Password, p.Empresa0_CodigoNext,
            p.Empresa0_BdSQL, p.Empresa0_TipoDoc, p.Empresa0_Sector, p.Empresa0_Serie,
            p.Empresa0_ArtPortes, p.Empresa0_Armazem, p.Empresa1_CodigoNext, p.Empresa1_BdSql,
            p.Empresa1_TipoDoc, p.Empresa1_Sector, p.Empresa1_Serie, p.Empresa1_ArtPortes,
            p.Empresa1_Armazem};
    // clang-format on
}

const QStringList kValores{"c1", "c2", "c3", "c4", "e1", "e2", "e3", "e4", "m1", "m2", "m3", "m4",
                           "l1", "s1", "s2", "s3", "n1", "n2", "n3", "n4", "q1", "q2", "q3", "q4",
                           "q5", "q6", "q7", "r1", "r2", "r3", "r4", "r5", "r6", "r7"};

}  // namespace

TEST(Parametros, CadaChaveChegaAoSeuParametroEVoltaAoFicheiro) {
    Espaco e;
    Parametros p;
    p.FicheiroIni = e.escrever(u"q.vek"_s, kFicheiro);
    ASSERT_TRUE(p.Ler());
    EXPECT_EQ(valores(p), kValores);
    EXPECT_EQ(p.UltimoContacto_Get(u"SR"_s), 4294967397);
    EXPECT_EQ(
        p.StringLigacao(u"SR"_s),
        u"Provider={MSDataShape};Option=1;Server={s1};Database={r2};User={s2};Password={s3}"_s);

    // Written into a file of its own and read again: the same settings, spaces and quotes kept.
    p.Sql_Password = u" começa com espaço; \"e aspas\" "_s;
    p.FicheiroIni = e.caminho(u"novo.vek"_s);
    ASSERT_TRUE(p.Escrever());
    Parametros lido;
    lido.FicheiroIni = p.FicheiroIni;
    ASSERT_TRUE(lido.Ler());
    QStringList esperado = kValores;
    esperado[15] = p.Sql_Password;
    EXPECT_EQ(valores(lido), esperado);
}

TEST(Parametros, FicheiroQueNaoExisteDaValoresVaziosEMarcaErradaEUmaFalha) {
    Espaco e;
    Parametros p;
    p.FicheiroIni = e.caminho(u"nao-existe.vek"_s);
    p.Log_Directoria = u"antes"_s;
    EXPECT_TRUE(p.Ler());
    EXPECT_EQ(valores(p), QStringList(34, QString()));
    EXPECT_EQ(p.UltimoContacto_Get(u"QF"_s), 0);
    Parametros errado;
    errado.FicheiroIni = e.escrever(u"q.vek"_s, "[QF]\nUltimoEnviado=12x\n");
    EXPECT_ANY_THROW(errado.UltimoContacto_Get(u"QF"_s));
}
