#include "settings/frmParametros.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <algorithm>

#include "platform/email/ServidorEmail.h"
#include "platform/widgets/clsEmail.h"

namespace {

// The dialog was drawn in twips: 15 make a pixel at 96 dots per inch.
constexpr int px(int twips) {
    return twips / 15;
}

constexpr int kMargem = px(120);
constexpr int kTopoDaPrimeiraLinha = px(240);
constexpr int kPassoDaLinha = px(315);
constexpr int kAlturaDaLinha = px(285);
constexpr int kLarguraDoTitulo = px(1500);
constexpr int kIntervalo = px(150);  // between a label and its field
constexpr int kLarguraDoCampo = px(4605);
constexpr int kPaginaEmail = 2;

const char* const kLegendas[8] = {"Prospects", "Encomendas", "e-mail",     "Log",
                                  "Sql",       "100C",       "Quintaflor", "Serralta"};

// The pages top to bottom: which field, with which label, edits which setting.
struct Linha {
    int pagina;
    int campo;
    const char* titulo;
    QString Parametros::*propriedade;
};

constexpr Linha kLinhas[34] = {
    {0, 0, "Entrada - Pasta", &Parametros::Contactos_Directoria},
    {0, 1, "Entrada - Ficheiro", &Parametros::Contactos_Ficheiro},
    {0, 2, "Saída - Pasta", &Parametros::Contactos_SaidaDirectoria},
    {0, 3, "Saída - Ficheiro", &Parametros::Contactos_SaidaFicheiro},
    {1, 7, "Entrada -Pasta", &Parametros::Encomendas_Directoria},
    {1, 8, "Entrada - Ficheiro", &Parametros::Encomendas_Ficheiro},
    {1, 9, "Saída - Pasta", &Parametros::Encomendas_saidaDirectoria},
    {1, 10, "Saída - Ficheiro", &Parametros::Encomendas_SaidaFicheiro},
    {2, 11, "Email Origem", &Parametros::email_Origem},
    {2, 12, "Nome Origem", &Parametros::email_OrigemNome},
    {2, 13, "Assunto", &Parametros::email_Assunto},
    {2, 14, "email de destino", &Parametros::email_destino},
    {3, 15, "Pasta", &Parametros::Log_Directoria},
    {4, 16, "Servidor", &Parametros::Sql_Servidor},
    {4, 17, "Username", &Parametros::SQL_Username},
    {4, 18, "Password", &Parametros::Sql_Password},
    {5, 19, "Percurso 100C", &Parametros::Next_PercursoNext},
    {5, 20, "Percurso Log", &Parametros::Next_PercursoLog},
    {5, 21, "Utiizador", &Parametros::Next_Utilizador},
    {5, 22, "Password", &Parametros::Next_Password},
    {6, 23, "Código Empresa", &Parametros::Empresa0_CodigoNext},
    {6, 24, "BD SQL", &Parametros::Empresa0_BdSQL},
    {6, 4, "Tipo Documento", &Parametros::Empresa0_TipoDoc},
    {6, 5, "Setor", &Parametros::Empresa0_Sector},
    {6, 6, "Série", &Parametros::Empresa0_Serie},
    {6, 30, "Artigo Portes", &Parametros::Empresa0_ArtPortes},
    {6, 32, "Armazém", &Parametros::Empresa0_Armazem},
    {7, 25, "Código Empresa", &Parametros::Empresa1_CodigoNext},
    {7, 26, "BD SQL", &Parametros::Empresa1_BdSql},
    {7, 27, "Tipo Documento", &Parametros::Empresa1_TipoDoc},
    {7, 28, "Setor", &Parametros::Empresa1_Sector},
    {7, 29, "Série", &Parametros::Empresa1_Serie},
    {7, 31, "Artigo Portes", &Parametros::Empresa1_ArtPortes},
    {7, 33, "Armazém", &Parametros::Empresa1_Armazem},
};

constexpr int kPasswords[] = {18, 22};

// The field of each setting, in the order of Parametros::Chaves().
const std::array<int, 34>& campoDaChave() {
    static const std::array<int, 34> campos = [] {
        std::array<int, 34> r{};
        const auto& chaves = Parametros::Chaves();
        for (size_t i = 0; i < chaves.size(); ++i)
            for (const Linha& l : kLinhas)
                if (l.propriedade == chaves[i].propriedade)
                    r[i] = l.campo;
        return r;
    }();
    return campos;
}

int primeiroCampo(int pagina) {
    for (const Linha& l : kLinhas)
        if (l.pagina == pagina)
            return l.campo;
    return -1;
}

}  // namespace

frmParametros::frmParametros(QWidget* parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Parametros"));

    TabStrip = new QTabBar(this);
    TabStrip->setObjectName(QStringLiteral("TabStrip"));
    TabStrip->setExpanding(false);
    for (const char* legenda : kLegendas)
        TabStrip->addTab(QString::fromUtf8(legenda));

    for (int p = 0; p < 8; ++p) {
        Frame[p] = new QFrame(this);
        Frame[p]->setObjectName(QStringLiteral("Frame%1").arg(p));
        Frame[p]->setFrameShape(QFrame::StyledPanel);
    }

    // The labels were drawn for a smaller font than most screens have: they widen to their
    // longest text, and the fields start after them.
    int larguraDoTitulo = kLarguraDoTitulo;
    for (const Linha& l : kLinhas)
        larguraDoTitulo = std::max(
            larguraDoTitulo, fontMetrics().horizontalAdvance(QString::fromUtf8(l.titulo)) + 4);
    const int esquerdaDoCampo = kMargem + larguraDoTitulo + kIntervalo;

    int linhaNaPagina[8] = {};
    for (const Linha& l : kLinhas) {
        const int topo = kTopoDaPrimeiraLinha + linhaNaPagina[l.pagina]++ * kPassoDaLinha;
        QLabel* titulo = new QLabel(QString::fromUtf8(l.titulo), Frame[l.pagina]);
        titulo->setObjectName(QStringLiteral("Titulo%1").arg(l.campo));
        titulo->setGeometry(kMargem, topo, larguraDoTitulo, kAlturaDaLinha);
        QLineEdit* campo = new QLineEdit(Frame[l.pagina]);
        campo->setObjectName(QStringLiteral("Campo%1").arg(l.campo));
        campo->setGeometry(esquerdaDoCampo, topo, kLarguraDoCampo, kAlturaDaLinha);
        titulo->setBuddy(campo);
        Titulo[l.campo] = titulo;
        Campo[l.campo] = campo;
    }
    for (int c : kPasswords)
        Campo[c]->setEchoMode(QLineEdit::Password);

    btConfEmail =
        new QPushButton(QStringLiteral("Configuração do servidor de email"), Frame[kPaginaEmail]);
    btConfEmail->setObjectName(QStringLiteral("btConfEmail"));
    btConfEmail->setGeometry(esquerdaDoCampo, kTopoDaPrimeiraLinha + 4 * kPassoDaLinha + px(90),
                             px(3600), px(435));

    btConf = new QPushButton(QStringLiteral("&Confirmar"), this);
    btConf->setObjectName(QStringLiteral("btConf"));
    btConf->resize(px(1200), px(435));
    btSair = new QPushButton(QStringLiteral("&Sair"), this);
    btSair->setObjectName(QStringLiteral("btSair"));
    btSair->resize(px(1200), px(435));

    connect(btConf, &QPushButton::clicked, this, &frmParametros::btConf_Click);
    connect(btSair, &QPushButton::clicked, this, &frmParametros::btSair_Click);
    connect(btConfEmail, &QPushButton::clicked, this, &frmParametros::btConfEmail_Click);
    connect(TabStrip, &QTabBar::currentChanged, this, &frmParametros::TabStrip_Click);

    // Smaller than this, the fields of the company pages would no longer fit.
    setMinimumSize(px(5000), px(4000));
    resize(px(10000), px(5000));
    Form_Resize();
    TabStrip_Click(0);
}

frmParametros::~frmParametros() = default;

void frmParametros::Mostra() {
    oParametros = std::make_unique<Parametros>();
    oParametros->FicheiroIni = FicheiroIni;
    limpaForm();
    Carrega();
    TabStrip->setCurrentIndex(0);
    show();
    TabStrip_Click(0);
    activateWindow();
}

void frmParametros::limpaForm() {
    for (QLabel* t : Titulo)
        t->setFrameShape(QFrame::NoFrame);
    for (QLineEdit* c : Campo)
        c->clear();
}

void frmParametros::Carrega() {
    Parametros& p = *oParametros;
    if (!p.Ler()) {
        // The fields stay empty; confirming them could not write the file either.
        auto* caixa = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                      QStringLiteral("Não foi possível ler os parâmetros de %1.")
                                              .arg(QDir::toNativeSeparators(p.FicheiroIni)) +
                                          QStringLiteral("\n\n") + p.UltimoErro,
                                      QMessageBox::Ok, this);
        caixa->setAttribute(Qt::WA_DeleteOnClose);
        caixa->open();
    }
    const auto& chaves = Parametros::Chaves();
    for (size_t i = 0; i < chaves.size(); ++i)
        Campo[campoDaChave()[i]]->setText(p.*chaves[i].propriedade);
}

bool frmParametros::Grava() {
    if (!oParametros) {
        oParametros = std::make_unique<Parametros>();
        oParametros->FicheiroIni = FicheiroIni;
    }
    Parametros& p = *oParametros;
    const auto& chaves = Parametros::Chaves();
    for (size_t i = 0; i < chaves.size(); ++i)
        p.*chaves[i].propriedade = Campo[campoDaChave()[i]]->text();
    return p.Escrever();
}

void frmParametros::btConf_Click() {
    // A pattern that would send every contact into one file is not saved; one not set yet is
    // the run's to refuse.
    const QString padrao = Campo[3]->text();
    QString motivo = padrao.isEmpty() ? QString() : Parametros::problemaDoPadraoDeSaida(padrao);
    if (motivo.isEmpty() && Grava()) {
        close();
        return;
    }
    // The dialog stays open with the user's text; a silent failure would look like success.
    QStringList valores;
    for (const QLineEdit* c : Campo)
        valores << c->text();
    if (motivo.isEmpty())
        motivo = motivoDeNaoGravar(FicheiroIni, valores);
    for (const Linha& l : kLinhas)
        if (Campo[l.campo]->text().contains(QLatin1Char('\n')) ||
            Campo[l.campo]->text().contains(QLatin1Char('\r'))) {
            // The settings file keeps one line per value.
            motivo = QStringLiteral("O campo \"%1\" tem mais de uma linha.")
                         .arg(QString::fromUtf8(l.titulo));
            break;
        }
    auto* caixa = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                  QStringLiteral("Não foi possível gravar os parâmetros em %1.")
                                          .arg(QDir::toNativeSeparators(FicheiroIni)) +
                                      QStringLiteral("\n\n") + motivo,
                                  QMessageBox::Ok, this);
    caixa->setAttribute(Qt::WA_DeleteOnClose);
    caixa->open();
}

void frmParametros::btSair_Click() {
    close();
}

void frmParametros::btConfEmail_Click() {
    clsEmail email;
    email.Ficheiro(FicheiroIni);
    email.Configurar();
}

void frmParametros::TabStrip_Click(int indice) {
    if (indice < 0 || indice >= int(Frame.size()))
        return;
    for (QFrame* f : Frame)
        f->hide();
    Frame[indice]->show();
    Frame[indice]->raise();
    Campo[primeiroCampo(indice)]->setFocus(Qt::OtherFocusReason);
}

void frmParametros::resizeEvent(QResizeEvent* evento) {
    QWidget::resizeEvent(evento);
    Form_Resize();
}

void frmParametros::Form_Resize() {
    const int largura = width();
    const int altura = height();

    const int topoDosBotoes = altura - btConf->height() - kMargem;
    btConf->move(kMargem, topoDosBotoes);
    btSair->move(largura - btSair->width() - kMargem, topoDosBotoes);

    // The tab area: the tabs across its top, the pages in the rest of it.
    const QRect area(kMargem, kMargem, largura - 2 * kMargem,
                     altura - btSair->height() - 3 * kMargem);
    const int alturaDasAbas = TabStrip->sizeHint().height();
    TabStrip->setGeometry(area.left(), area.top(), area.width(), alturaDasAbas);
    const QRect pagina = area.adjusted(0, alturaDasAbas, 0, 0);

    for (QFrame* f : Frame)
        f->setGeometry(pagina);
    for (QLineEdit* c : Campo)
        c->resize(pagina.width() - (c->x() + kMargem), c->height());
    btConfEmail->move(pagina.width() - btConfEmail->width() - kMargem, btConfEmail->y());
}
