// Whole runs over the demonstration workspace: what they show, log and leave.
#include <QCoreApplication>
#include <QDateTime>
#include <QDomDocument>
#include <functional>

#include "platform/ficheiros/Fechaduras.h"
#include "run/EstadoDaSincronizacao.h"
#include "run/Sincronizacao.h"

#include "tests/apoio/ExecucaoComEmpresas.h"

using Execucao = ExecucaoComEmpresas;

namespace {

const QString kEmCurso = u"Já está em curso uma sincronização"_s;

// The log's lines without their "[dd-mm-yyyy][HH:MM:SS] " stamp.
QStringList semHora(const QString& registo) {
    QStringList r;
    for (const QString& l : registo.split(u"\r\n"_s, Qt::SkipEmptyParts))
        r << l.mid(23);
    return r;
}

// The elements of the PRP of a contact file, in order, as "NAME=text".
QStringList elementos(const QByteArray& ficheiro) {
    QDomDocument doc;
    EXPECT_TRUE(doc.setContent(ficheiro));
    QStringList r;
    for (QDomElement e = doc.documentElement().firstChildElement(u"PRP"_s).firstChildElement();
         !e.isNull(); e = e.nextSiblingElement())
        r << e.tagName() + QLatin1Char('=') + e.text();
    return r;
}

}  // namespace

// What another run holds (here, this process through another descriptor, as another process
// would) keeps a run from starting, whatever name it is reached by; what it held goes with it.
TEST_F(Execucao, SoUmaExecucaoDeCadaVezPeloQuePartilham) {
    QFile::link(e.ini, e.caminho(u"ligacao.vek"_s));
    const struct {
        const char* caso;
        const char* tomado;  // held by the other run; null: nothing
        const char* ini;     // the settings file of the run
        const char* diz;
    } casos[] = {
        {"the settings file", "Quintaflor.vek", "Quintaflor.vek", "o ficheiro de parâmetros"},
        {"the settings file, through a link", "Quintaflor.vek", "ligacao.vek",
         "o ficheiro de parâmetros"},
        {"the order inbox", "ee", "Quintaflor.vek", "a pasta de entrada das encomendas"},
        {"the databases' folder", "bd", "Quintaflor.vek", "a pasta da"},
        {"nothing", nullptr, "Quintaflor.vek", nullptr},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        Fechaduras outra;
        if (c.tomado) {
            ASSERT_EQ(outra.tomar(e.caminho(QString::fromUtf8(c.tomado))),
                      Fechaduras::Resultado::Tomada);
        }
        const qsizetype linhas = semHora(e.registo()).size();
        e.janela.lista.clear();
        Sincronizacao s(e.janela, e.caminho(QString::fromUtf8(c.ini)), e.contabilidade, e.relogio);
        s.sincronizar();
        EXPECT_EQ(s.houveErros(), c.tomado != nullptr);
        if (c.tomado) {
            ASSERT_EQ(e.janela.lista.size(), 1) << e.lista().toStdString();
            const QString linha = e.janela.lista[0];
            EXPECT_TRUE(linha.startsWith(kEmCurso)) << linha.toStdString();
            EXPECT_TRUE(linha.contains(QString::fromUtf8(c.diz))) << linha.toStdString();
            EXPECT_TRUE(
                linha.contains(u"o processo %1 ("_s.arg(QCoreApplication::applicationPid())))
                << linha.toStdString();
            EXPECT_EQ(semHora(e.registo()).size(), linhas + 1);
        } else {
            EXPECT_TRUE(e.janela.lista.contains(u"Sincronização terminada"_s));
        }
    }
    // Nothing is left behind to be cleared.
    EXPECT_EQ(QDir(e.caminho()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{u"Quintaflor.vek"_s, u"ligacao.vek"_s}));
}

TEST_F(Execucao, ContactosDaLojaChegamAoCrmEVoltamComoFicheiros) {
    // What each element of a web contact becomes in the CRM, and in the contact file sent back.
    const struct {
        const char *elemento, *coluna, *valor;
        bool enviado;
    } kCampos[] = {
        {"NOME", "Nome", "Quinta d'Ouro & Filhos", true},
        {"EMAIL", "Email", "ana@ouro.pt", true},
        {"NIF", "NContrib", "501234567", true},
        {"RESPONSAVEL", "Contacto", "Ana Simões", true},
        {"MORADA", "Morada", "Rua do Sol, 3 - 2º", true},
        {"CODPOSTAL", "CdPostal", "8000-100", true},
        {"LOCALIDADE", "Local", "Faro", true},
        {"TELEFONE", "Telef", "289000001", true},
        {"FAX", "Fax", "289000002", true},
        {"COMERCIAL", "TelCom", "289000003", true},
        {"FINANCEIRO", "Telfim", "289000004", true},
        {"SITE", "Sitio", "https://ouro.pt/?a=1&b=2", true},
        {"TELEMOVEL", "telex", "912000005", false},
    };
    QByteArray resto;
    for (const auto& c : kCampos)
        if (qstrcmp(c.elemento, "NOME") != 0)
            resto += QByteArray("<") + c.elemento + ">" +
                     QByteArray(c.valor).replace("&", "&amp;") + "</" + c.elemento + ">";
    e.escrever(u"ce/PRP_601.xml"_s, contactoWeb("601", "Quinta d'Ouro &amp; Filhos", "QF", resto));
    e.escrever(u"ce/PRP_602.xml"_s, contactoWeb("602", "Serralharia", "SR"));
    e.escrever(u"ee/ENC_2.xml"_s,
               encomendaWeb("2", "2", linhaWeb("MEL250", "1", "4,5"), {}, "2026-12-05", "SR"));

    ASSERT_TRUE(e.executar()) << e.lista().toStdString();
    EXPECT_EQ(e.ficheiros(u"cs"_s).size(), 8);  // four demonstration contacts each
    EXPECT_EQ(e.ficheiros(u"ce"_s), (QStringList{"PRP_601.xml.bak", "PRP_602.xml.bak"}));
    EXPECT_EQ(e.ficheiros(u"es"_s), QStringList{"ENC_2.xml"});
    EXPECT_TRUE(e.lista().contains(u" Empresa: SR documento ENCW/1/1/"_s));
    const QString numero = e.valor(
        u"QF"_s, u"SELECT numero FROM vek_BDC_EquivalenciaOnlineDesktop WHERE IDnet = 601"_s);
    EXPECT_EQ(numero, u"5"_s);
    for (const auto& c : kCampos)
        EXPECT_EQ(e.valor(u"QF"_s, u"SELECT %1 FROM vek_contactos WHERE Numero = 5"_s.arg(
                                       QLatin1String(c.coluna))),
                  QString::fromUtf8(c.valor))
            << c.coluna;
    // A classified contact is sent with its class, the class's discount and its salesman.
    const QStringList primeiro = elementos(e.ler(u"cs/Contactos QF_1.xml"_s));
    EXPECT_EQ(primeiro.mid(0, 6), (QStringList{"IDNET=501", "CODEMPRESA=QF", "IDCONTACTO=1",
                                               "TIPO=1", "DESC=10", "VENDEDOR=V01"}));
    EXPECT_TRUE(e.ler(u"cs/Contactos QF_1.xml"_s)
                    .contains("<IDNET Descr=\"Id do Cliente Online\" tipo=\"int\">501</IDNET>"));
    const qint64 marca = e.marca(u"QF"_s);
    EXPECT_GT(marca, 0);

    // The next run sends only the contacts the first one added, and writes nothing twice.
    ASSERT_TRUE(e.executar()) << e.lista().toStdString();
    EXPECT_GT(e.marca(u"QF"_s), marca);
    EXPECT_TRUE(e.janela.lista.contains(u"Existem 1 alterações a contactos para enviar."_s));
    EXPECT_EQ(e.valor(u"SR"_s, u"SELECT COUNT(*) FROM ct_Documentos"_s), u"1"_s);
    QStringList esperado{"IDNET=601", "CODEMPRESA=QF", "IDCONTACTO=5",
                         "TIPO=",     "DESC=",         "VENDEDOR="};
    for (const auto& c : kCampos)
        if (c.enviado)
            esperado << QString::fromUtf8(c.elemento) + QLatin1Char('=') +
                            QString::fromUtf8(c.valor);
    esperado << u"Id_Unico="_s +
                    e.valor(u"QF"_s, u"SELECT Id_Unico FROM vek_contactos WHERE Numero = 5"_s);
    EXPECT_EQ(elementos(e.ler(u"cs/Contactos QF_5.xml"_s)), esperado);
}

// What a monitoring system is told ("marelo-sync --status"): the first line and the exit
// status, by how the workspace stands.
TEST(EstadoDaSincronizacao, PrimeiraLinhaEEstadoPeloEspacoDeTrabalho) {
    const QDateTime agora(QDate(2026, 12, 5), QTime(10, 0));
    using C = EstadoDaSincronizacao::Codigo;
    const struct {
        const char* caso;
        std::function<void(Empresas&)> preparar;
        int minutosDepois;  // after the run, when the check is made
        C codigo;
        const char* linha;
        const char* detalhe;  // among the other lines
    } casos[] = {
        {"clean", [](Empresas&) {}, 5, C::Ok,
         "MARELO OK - última sincronização há 5 min, sem erros; 0 ficheiro(s) à espera, nenhum "
         "recusado | waiting=0;;;0 refused=0;;;0 oldest=0s;;;0 errors=0;;;0 "
         "last_run=300s;3600;3600;0",
         "Última sincronização: de 05-12-2026 10:00 a 05-12-2026 10:00. Resumo: "},
        {"a file waiting refused", [](Empresas& w) { w.escrever(u"ee/ENC_9.xml"_s, "<ENC>"); }, 5,
         C::Aviso, "MARELO WARNING - 1 ficheiro(s) recusado(s) à espera",
         "ENC_9.xml (encomendas) à espera desde 05-12-2026 10:00: A encomenda ENC_9.xml não foi "
         "lida"},
        {"no run for too long", [](Empresas&) {}, 61, C::Critico,
         "MARELO CRITICAL - nenhuma sincronização terminou nos últimos 60 min", ""},
        {"a limit of its own",
         [](Empresas& w) { w.definir("Monitorizacao", "Intervalo Maximo", u"120"_s); }, 61, C::Ok,
         "MARELO OK - última sincronização há 61 min", ""},
        {"a limit that does not read",
         [](Empresas& w) { w.definir("Monitorizacao", "Intervalo Maximo", u"1h"_s); }, 5,
         C::Desconhecido, "MARELO UNKNOWN - [Monitorizacao] Intervalo Maximo (\"1h\")", ""},
        {"no settings file", [](Empresas& w) { QFile::remove(w.ini); }, 5, C::Desconhecido,
         "MARELO UNKNOWN - o ficheiro de parâmetros ", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        Empresas w;
        w.relogio.hora = agora;
        c.preparar(w);
        w.executar();
        const EstadoDaSincronizacao s =
            estadoDaSincronizacao(w.ini, agora.addSecs(c.minutosDepois * 60));
        EXPECT_EQ(s.codigo, c.codigo);
        EXPECT_TRUE(s.primeiraLinha.startsWith(QString::fromUtf8(c.linha)))
            << s.primeiraLinha.toStdString();
        EXPECT_TRUE(s.detalhe.join(u'\n').contains(QString::fromUtf8(c.detalhe)))
            << s.detalhe.join(u'\n').toStdString();
    }
    // Nothing ran yet: no run ended.
    Empresas nova;
    EXPECT_EQ(estadoDaSincronizacao(nova.ini, agora).codigo, C::Critico);
}
