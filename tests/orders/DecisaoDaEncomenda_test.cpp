// The rules of an order's fate, as facts and the plan they give: where the run's and the trial's
// decisions are made.
#include <QRegularExpression>
#include <functional>

#include "orders/DecisaoDaEncomenda.h"
#include "tests/apoio/Apoio.h"

namespace {

using A = PlanoDaEncomenda::Accao;

// A customer's order 7 of QF, read, with the accounting open and nothing stored under it.
FactosDaEncomenda deCliente() {
    FactosDaEncomenda f;
    f.nome = u"ENC_7.xml"_s;
    f.empresa = u"QF"_s;
    f.numero = 7;
    f.cliente = u"1"_s;
    f.contabilidadeAberta = true;
    f.haModelo = true;
    f.agora = u"2026-12-05T10:00:00"_s;
    return f;
}

// The same order of the prospect (contact) P9, which is in the CRM.
FactosDaEncomenda deProspect() {
    FactosDaEncomenda f = deCliente();
    f.prospect = true;
    f.cliente = u"P9"_s;
    f.contactoExiste = true;
    return f;
}

IdentidadeDocumento documento(int numero, const char* cliente) {
    return {u"ENCW"_s, 1, 2026, numero, QString::fromLatin1(cliente)};
}

DocumentoDoFicheiro bloco(int numero, const char* cliente = "") {
    return {documento(numero, ""), QString::fromLatin1(cliente), {}};
}

ConversaoDeEncomenda conversao(const char* contacto, const char* cliente) {
    return {u"QF"_s,
            7,
            QString::fromLatin1(contacto),
            QString::fromLatin1(cliente),
            u"guid"_s,
            u"2026-12-01T09:00:00"_s};
}

struct Caso {
    const char* nome;
    std::function<FactosDaEncomenda()> factos;
    A accao;
    const char* diz;  // in the reason; or, when written, "customer|new customer|document"
};

const Caso kCasos[] = {
    // clang-format off
    {"its name taken in the outbox", [] { auto f = deCliente(); f.destinoOcupado = u"uma ligação simbólica"_s; return f; },
     A::Recusar, "A encomenda ENC_7.xml não foi lida: na pasta de saída, o seu nome é uma ligação simbólica"},
    {"not read", [] { auto f = deCliente(); f.naoLida = u"Falta o elemento FLAGPROSPECT"_s; return f; },
     A::Recusar, "A encomenda ENC_7.xml não foi lida: Falta o elemento FLAGPROSPECT"},
    {"accounting closed", [] { auto f = deCliente(); f.contabilidadeAberta = false; return f; },
     A::Recusar, "A encomenda ENC_7.xml (n.º 7 da empresa QF) não foi gravada"},
    {"a customer's", deCliente, A::Gravar, "1||"},
    {"written for it by a killed run", [] { auto f = deCliente(); f.documentos = {documento(3, "1")}; return f; },
     A::MarcarEMover, "1||ENCW/1/3/2026"},
    {"its number another customer's", [] { auto f = deCliente(); f.documentos = {documento(3, "2")}; return f; },
     A::Recusar, "já tem o documento ENCW/1/3/2026 de outra encomenda com esse número (Web 7), do cliente 2"},
    {"marked, the document its customer's", [] { auto f = deCliente(); f.documentos = {documento(3, "1")}; f.gravados = {bloco(3)}; return f; },
     A::Mover, "||ENCW/1/3/2026"},
    {"marked, the document not in the accounting", [] { auto f = deCliente(); f.gravados = {bloco(3)}; return f; },
     A::Recusar, "já tem no ficheiro o documento ENCW/1/3/2026, mas a contabilidade não tem"},
    {"marked, the document another customer's", [] { auto f = deCliente(); f.documentos = {documento(3, "2")}; f.gravados = {bloco(3)}; return f; },
     A::Recusar, "para o cliente desta encomenda (1)"},
    {"a prospect's", deProspect, A::ConverterEGravar, "||"},
    {"a prospect's, no template", [] { auto f = deProspect(); f.haModelo = false; return f; },
     A::Recusar, "não pôde ser feito cliente: a empresa não tem o cliente modelo"},
    {"a prospect's, its number another order's", [] { auto f = deProspect(); f.documentos = {documento(3, "2")}; return f; },
     A::Recusar, "o contacto não foi feito cliente"},
    {"a prospect's, the contact gone", [] { auto f = deProspect(); f.contactoExiste = false; f.historiaDoContacto = u" Uma versão anterior."_s; return f; },
     A::RegistarSemContacto, "que não existia quando a encomenda foi lida pela primeira vez, em 05-12-2026 10:00:00; não foi feito nenhum cliente para ela e fica na pasta de entrada. Uma versão anterior. Se a encomenda é desse cliente"},
    {"converted for it, not written", [] { auto f = deProspect(); f.contactoExiste = false; f.conversao = conversao("P9", "40"); return f; },
     A::Gravar, "40|40|"},
    {"converted for it and written", [] { auto f = deProspect(); f.contactoExiste = false; f.conversao = conversao("P9", "40"); f.documentos = {documento(3, "40")}; return f; },
     A::MarcarEMover, "40|40|ENCW/1/3/2026"},
    {"converted for it, its code given again", [] { auto f = deProspect(); f.conversao = conversao("P9", "40"); return f; },
     A::Recusar, "é do contacto P9, mas com esse número já foi feito do contacto P9"},
    {"converted for another contact", [] { auto f = deProspect(); f.conversao = conversao("P8", "40"); return f; },
     A::Recusar, "já foi feito do contacto P8 (outro, ou um anterior com o mesmo código) o cliente 40 em 01-12-2026 09:00:00"},
    {"its contact gone when first met", [] { auto f = deProspect(); f.conversao = conversao("P9", ""); return f; },
     A::Recusar, "que não existia quando a encomenda foi lida pela primeira vez, em 01-12-2026 09:00:00"},
    {"marked for the customer made of it", [] { auto f = deProspect(); f.contactoExiste = false; f.conversao = conversao("P9", "40"); f.documentos = {documento(3, "40")}; f.gravados = {bloco(3, "40")}; return f; },
     A::Mover, "||ENCW/1/3/2026"},
    {"marked for another customer than made of it", [] { auto f = deProspect(); f.contactoExiste = false; f.conversao = conversao("P9", "40"); f.documentos = {documento(3, "41")}; f.gravados = {bloco(3, "41")}; return f; },
     A::Recusar, "já tem no ficheiro o documento ENCW/1/3/2026 (cliente 41)"},
    // clang-format on
};

void PrintTo(const Caso& c, std::ostream* os) {
    *os << c.nome;
}

class DecisaoDaEncomenda : public testing::TestWithParam<Caso> {};

}  // namespace

TEST_P(DecisaoDaEncomenda, PlanoPelosFactos) {
    const Caso& c = GetParam();
    const FactosDaEncomenda f = c.factos();
    const PlanoDaEncomenda p = decidirEncomenda(f);
    EXPECT_EQ(int(p.accao), int(c.accao));
    const QString dito =
        p.razao.isEmpty()
            ? p.cliente + u'|' + p.novoCliente + u'|' +
                  (p.documento.TipoDocumento.isEmpty() ? QString() : p.documento.texto())
            : p.razao;
    EXPECT_TRUE(dito.contains(QString::fromUtf8(c.diz))) << dito.toStdString();
    if (p.accao == A::RegistarSemContacto) {
        EXPECT_EQ(p.semContacto.CodigoContacto + u'|' + p.semContacto.CodigoCliente + u'|' +
                      p.semContacto.Data,
                  u"P9||"_s + f.agora);
    }
}

INSTANTIATE_TEST_SUITE_P(, DecisaoDaEncomenda, testing::ValuesIn(kCasos), [](const auto& i) {
    QString nome = QString::fromUtf8(i.param.nome);
    nome.replace(QRegularExpression(u"[^A-Za-z0-9]"_s), QString());
    return nome.toStdString();
});
