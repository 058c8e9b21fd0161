// marelo-capturas: pictures of the main window and of each page of the settings dialog, for
// the documentation, filled with demonstration settings. Usage: marelo-capturas <folder>
#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <QTemporaryDir>
#include <cstdio>

#include "accounting/embutida/ContabilidadeEmbutida.h"
#include "app/frmMarelo.h"
#include "base/Falha.h"
#include "platform/bd/ScriptSql.h"
#include "platform/bd/clsBd.h"
#include "platform/email/ServidorEmail.h"
#include "run/Sincronizacao.h"
#include "settings/Parametros.h"
#include "settings/frmParametros.h"

namespace {

const char* const kPaginas[8] = {"prospects", "encomendas", "email",      "log",
                                 "sql",       "100c",       "quintaflor", "serralta"};

Parametros parametrosDeDemonstracao(const QString& ficheiro) {
    Parametros p;
    p.FicheiroIni = ficheiro;
    p.Contactos_Directoria = QStringLiteral("D:\\Marelo\\Prospects\\Entrada");
    p.Contactos_Ficheiro = QStringLiteral("PRP*.xml");
    p.Contactos_SaidaDirectoria = QStringLiteral("D:\\Marelo\\Prospects\\Saida");
    p.Contactos_SaidaFicheiro = QStringLiteral("CTT*.xml");
    p.Encomendas_Directoria = QStringLiteral("D:\\Marelo\\Encomendas\\Entrada");
    p.Encomendas_Ficheiro = QStringLiteral("ENC*.xml");
    p.Encomendas_saidaDirectoria = QStringLiteral("D:\\Marelo\\Encomendas\\Saida");
    p.Encomendas_SaidaFicheiro = QStringLiteral("ENC*.xml");
    p.email_Origem = QStringLiteral("loja@quintaflor.pt");
    p.email_OrigemNome = QStringLiteral("Loja Quintaflor");
    p.email_Assunto = QStringLiteral("Sincronização da loja on-line");
    p.email_destino = QStringLiteral("comercial@quintaflor.pt");
    p.Log_Directoria = QStringLiteral("D:\\Marelo\\Log");
    p.Sql_Servidor = QStringLiteral("SRV-GESTAO\\SAGE100C");
    p.SQL_Username = QStringLiteral("marelo");
    p.Sql_Password = QStringLiteral("segredo-sql");
    p.Next_PercursoNext = QStringLiteral("C:\\Program Files (x86)\\Sage\\Sage 100c");
    p.Next_PercursoLog = QStringLiteral("D:\\Marelo\\Log\\100C");
    p.Next_Utilizador = QStringLiteral("WEB");
    p.Next_Password = QStringLiteral("segredo-100c");
    p.Empresa0_CodigoNext = QStringLiteral("QF");
    p.Empresa0_BdSQL = QStringLiteral("QUINTAFLOR");
    p.Empresa0_TipoDoc = QStringLiteral("ECL");
    p.Empresa0_Sector = QStringLiteral("1");
    p.Empresa0_Serie = QStringLiteral("1");
    p.Empresa0_ArtPortes = QStringLiteral("PORTES");
    p.Empresa0_Armazem = QStringLiteral("A1");
    p.Empresa1_CodigoNext = QStringLiteral("SR");
    p.Empresa1_BdSql = QStringLiteral("SERRALTA");
    p.Empresa1_TipoDoc = QStringLiteral("ECL");
    p.Empresa1_Sector = QStringLiteral("1");
    p.Empresa1_Serie = QStringLiteral("2");
    p.Empresa1_ArtPortes = QStringLiteral("PORTES");
    p.Empresa1_Armazem = QStringLiteral("A2");
    return p;
}

// The company's embedded database, named in the settings, made from the repository's scripts.
void criarEmpresa(const Parametros& p, const QString& empresa, const QString& nome) {
    QFile(QDir(p.Sql_Servidor).filePath(nome + QStringLiteral(".db"))).open(QIODevice::WriteOnly);
    clsBd bd;
    if (!bd.Ligar(p.StringLigacao(empresa)))
        throw Falha(Falha::ErroDeBaseDeDados, bd.UltimoErro());
    for (const char* script : {"company-sqlite.sql", "demo-data.sql"}) {
        QFile f(QString::fromUtf8(MARELO_SOURCE_DIR "/db/") + QString::fromUtf8(script));
        if (!f.open(QIODevice::ReadOnly))
            throw Falha(Falha::CaminhoNaoEncontrado, f.fileName());
        executarScriptSql(bd, QString::fromUtf8(f.readAll()));
    }
}

// A settings file whose folders and companies exist, so that the demonstration run reports no
// errors.
QString ficheiroDaCorrida(const QTemporaryDir& tmp) {
    const QDir raiz(tmp.path());
    Parametros p = parametrosDeDemonstracao(raiz.filePath(QStringLiteral("corrida.vek")));
    auto pasta = [&raiz](const QString& nome) {
        raiz.mkpath(nome);
        return QDir::toNativeSeparators(raiz.filePath(nome));
    };
    p.Contactos_Directoria = pasta(QStringLiteral("prospects/entrada"));
    p.Contactos_SaidaDirectoria = pasta(QStringLiteral("prospects/saida"));
    p.Encomendas_Directoria = pasta(QStringLiteral("encomendas/entrada"));
    p.Encomendas_saidaDirectoria = pasta(QStringLiteral("encomendas/saida"));
    p.Log_Directoria = pasta(QStringLiteral("log"));
    p.Sql_Servidor = pasta(QStringLiteral("sql"));
    p.Escrever();
    p.Ler();
    criarEmpresa(p, QStringLiteral("QF"), p.Empresa0_BdSQL);
    criarEmpresa(p, QStringLiteral("SR"), p.Empresa1_BdSql);
    return p.FicheiroIni;
}

bool guardar(QWidget* janela, const QDir& saida, const QString& nome) {
    QApplication::processEvents();
    const QString caminho = saida.filePath(nome);
    if (!janela->grab().save(caminho)) {
        std::fprintf(stderr, "marelo-capturas: não foi possível gravar %s\n",
                     qPrintable(QDir::toNativeSeparators(caminho)));
        return false;
    }
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(caminho)));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marelo"));
    if (argc != 2) {
        std::fputs("uso: marelo-capturas <pasta>\n", stderr);
        return 2;
    }
    const QDir saida(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir tmp;
    if (!tmp.isValid() || !saida.mkpath(QStringLiteral("."))) {
        std::fputs("marelo-capturas: não foi possível preparar as pastas\n", stderr);
        return 1;
    }
    bool ok = true;

    frmMarelo janela(QString{});
    janela.show();
    const ContabilidadeEmbutida::Escolha contabilidade;
    Sincronizacao corrida(janela, ficheiroDaCorrida(tmp), contabilidade, Relogio::sistema());
    corrida.sincronizar();
    ok = guardar(&janela, saida, QStringLiteral("main-window.png")) && ok;

    const QString ficheiro = QDir(tmp.path()).filePath(QStringLiteral("Quintaflor.vek"));
    parametrosDeDemonstracao(ficheiro).Escrever();
    ServidorEmail servidor;
    servidor.Servidor = QStringLiteral("smtp.quintaflor.pt");
    servidor.Porta = QStringLiteral("587");
    servidor.Seguranca = QStringLiteral("STARTTLS");
    servidor.Utilizador = QStringLiteral("loja@quintaflor.pt");
    servidor.Password = QStringLiteral("segredo-smtp");
    servidor.Gravar(ficheiro);

    auto* dialogo = new frmParametros();
    dialogo->FicheiroIni = ficheiro;
    dialogo->Mostra();
    for (int i = 0; i < 8; ++i) {
        dialogo->TabStrip->setCurrentIndex(i);
        ok = guardar(dialogo, saida,
                     QStringLiteral("settings-%1-%2.png")
                         .arg(i + 1)
                         .arg(QString::fromLatin1(kPaginas[i]))) &&
             ok;
    }
    dialogo->close();
    return ok ? 0 : 1;
}
