// Whole runs over the demonstration workspace: what they show, log and leave.
#include <QCoreApplication>
#include <QDateTime>
#include <QDomDocument>

#include "platform/ficheiros/Fechaduras.h"
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
