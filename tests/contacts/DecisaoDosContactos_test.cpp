// The rules of a web contact file's and of a changed contact's fate, as facts and the plan they
// give.
#include "contacts/DecisaoDosContactos.h"
#include "tests/apoio/Apoio.h"

TEST(DecisaoDosContactos, FicheiroDaWebPelosFactos) {
    using A = PlanoDoContacto::Accao;
    const auto f = [](QString copia, std::optional<QString> naoLido, QString id,
                      std::optional<QString> conhecido) {
        return FactosDoContacto{u"PRP_1.xml"_s, copia, naoLido, id, u"QF"_s, conhecido};
    };
    const struct {
        FactosDoContacto factos;
        A accao;
        const char* diz;
        bool caixa;
    } casos[] = {
        // clang-format off
        {f(u"uma ligação simbólica"_s, {}, u"7"_s, {}), A::Recusar, "o nome da sua cópia, PRP_1.xml.bak, é uma ligação simbólica", false},
        {f({}, u"Erro ao abrir o ficheiro."_s, {}, {}), A::Recusar, "Erro ao abrir o ficheiro.", true},
        {f({}, {}, u""_s, {}), A::Recusar, "não tem um IDNET numérico (\"\")", false},
        {f({}, {}, u"7a"_s, {}), A::Recusar, "não tem um IDNET numérico (\"7a\")", false},
        {f({}, {}, u" 7 "_s, u"12"_s), A::Arquivar, "", false},
        {f({}, {}, u"-7"_s, {}), A::Adicionar, "", false},
        // clang-format on
    };
    for (const auto& c : casos) {
        const PlanoDoContacto p = decidirContacto(c.factos);
        EXPECT_EQ(int(p.accao), int(c.accao)) << c.diz;
        EXPECT_TRUE(p.razao.contains(QString::fromUtf8(c.diz))) << p.razao.toStdString();
        EXPECT_EQ(p.caixa, c.caixa) << c.diz;
    }
}

TEST(DecisaoDosContactos, ContactoAlteradoPelosFactos) {
    using A = PlanoDoEnvio::Accao;
    const auto f = [](QStringList ids, QString ocupado) {
        return FactosDoEnvio{u"O contacto 5 (Ana) da empresa QF"_s, ids, ocupado,
                             u"cs/Contactos QF_5.xml"_s, u" Foi feito cliente 9."_s};
    };
    const struct {
        FactosDoEnvio factos;
        A accao;
        const char* identificador;
        const char* diz;
    } casos[] = {
        // clang-format off
        {f({}, {}), A::Enviar, "", ""},
        {f({u"901"_s}, {}), A::Enviar, "901", ""},
        {f({u"901"_s, u"902"_s}, {}), A::NaoEnviar, "", "O contacto 5 (Ana) da empresa QF não foi enviado: o seu número tem os identificadores web 901, 902 em vek_BDC_EquivalenciaOnlineDesktop, deixados por contactos com esse número que já não existem, e só um pode ser seu. Foi feito cliente 9. Apague"},
        {f({u"901"_s, u"902"_s}, u"uma pasta"_s), A::NaoEnviar, "", "901, 902"},
        {f({u"901"_s}, u"uma ligação simbólica"_s), A::Reter, "", "não foi enviado: o ficheiro cs/Contactos QF_5.xml é uma ligação simbólica, que fica como está."},
        // clang-format on
    };
    for (const auto& c : casos) {
        const PlanoDoEnvio p = decidirEnvio(c.factos);
        EXPECT_EQ(int(p.accao), int(c.accao)) << c.diz;
        EXPECT_EQ(p.identificador, QString::fromUtf8(c.identificador));
        EXPECT_TRUE(p.razao.contains(QString::fromUtf8(c.diz))) << p.razao.toStdString();
    }
}
