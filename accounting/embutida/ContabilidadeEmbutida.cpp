#include "accounting/embutida/ContabilidadeEmbutida.h"

#include <QFile>
#include <QFileInfo>

#include "accounting/embutida/DocumentoEmbutido.h"
#include "platform/bd/Recordset.h"
#include "platform/bd/ScriptSql.h"
#include "platform/bd/clsStringLigacao.h"
#include "platform/ficheiros/Caminhos.h"

ContabilidadeEmbutida::ContabilidadeEmbutida(std::shared_ptr<SessaoEmbutida> sessao)
    : sessao_(sessao ? std::move(sessao) : std::make_shared<SessaoEmbutida>()),
      empresa_(std::make_shared<EmpresaEmbutida>()) {
    empresa_->sessao = sessao_;
}

ContabilidadeEmbutida::Fabrica::Fabrica(std::shared_ptr<LigacoesGuardadas> ligacoes,
                                        const Relogio& relogio)
    : sessao_(std::make_shared<SessaoEmbutida>(std::move(ligacoes), relogio)) {}

std::unique_ptr<FabricaDeContabilidade> ContabilidadeEmbutida::Escolha::fabrica(
    std::shared_ptr<LigacoesGuardadas> ligacoes, const Relogio& relogio) const {
    return std::make_unique<Fabrica>(std::move(ligacoes), relogio);
}

ContabilidadeEmbutida::Fabrica::~Fabrica() = default;

std::unique_ptr<clsNext> ContabilidadeEmbutida::Fabrica::NovoClsNext() {
    return std::make_unique<ContabilidadeEmbutida>(sessao_);
}

ContabilidadeEmbutida::~ContabilidadeEmbutida() {
    FecharEmpresa();
}

QString ContabilidadeEmbutida::Esquema() {
    // db/accounting.sql, built into the program.
    Q_INIT_RESOURCE(contabilidade);
    QFile ficheiro(QStringLiteral(":/marelo/accounting.sql"));
    if (!ficheiro.open(QIODevice::ReadOnly))
        throw Falha(Falha::ErroInterno,
                    QStringLiteral("O esquema da contabilidade não está no programa"));
    return QString::fromUtf8(ficheiro.readAll());
}

void ContabilidadeEmbutida::Opcao(qint32 valor) {
    opcao_ = valor;
}

void ContabilidadeEmbutida::Modo(qint32 valor) {
    modo_ = valor;
}

bool ContabilidadeEmbutida::EmpresaAberta() const {
    return empresa_->aberta();
}

bool ContabilidadeEmbutida::AbrirEmpresa(const QString& percurso, const QString& percursoLog,
                                         const QString& empresa, const QString& utilizador,
                                         const QString& password) {
    FecharEmpresa();
    // Documents made for an earlier company keep that one (closed); this opening starts afresh.
    auto nova = std::make_shared<EmpresaEmbutida>();
    nova->sessao = sessao_;
    // A trial run leaves the accounting's log as it is.
    sessao_->registo.Pasta(sessao_->soLeitura() ? QString() : percursoLog);
    nova->codigo = empresa;
    empresa_ = nova;

    const QString ficheiro = juntarCaminho(percurso, empresa + QStringLiteral(".db"));
    if (percurso.isEmpty() || !QFileInfo(percurso).isDir() || empresa.isEmpty() ||
        !QFileInfo(ficheiro).isFile()) {
        nova->registar(QStringLiteral("A base de dados da empresa não existe: ") + ficheiro);
        return false;
    }
    clsStringLigacao s;
    s.Provider = QStringLiteral("MSDataShape");
    s.Opcao = 1;
    s.Servidor = percurso;
    s.BaseDeDados = empresa;
    if (!nova->bd.Ligar(s.StringLigacao(), sessao_->guardadas.get())) {
        nova->registar(QStringLiteral("Não foi possível abrir a empresa: ") +
                       nova->bd.UltimoErro());
        return false;
    }
    const QString abertura = QFileInfo(ficheiro).absoluteFilePath() + QLatin1Char('\n') +
                             utilizador + QLatin1Char('\n') + password;
    try {
        if (!sessao_->verificadas.contains(abertura))
            verificar(*nova, utilizador, password);
        else
            nova->semDocumentos = sessao_->verificadas.value(abertura);
        sessao_->verificadas.insert(abertura, nova->semDocumentos);
    } catch (const Falha& f) {
        nova->registar(f.descricao());
        nova->bd.Desligar();
        return false;
    }
    nova->utilizador = utilizador;
    nova->registar(QStringLiteral("Empresa aberta pelo utilizador ") + utilizador);
    return true;
}

void ContabilidadeEmbutida::verificar(EmpresaEmbutida& empresa, const QString& utilizador,
                                      const QString& password) {
    clsBd& bd = empresa.bd;
    Recordset rs;
    try {
        // The tables are made when missing; a trial run, which makes nothing, finds the
        // documents the run would: none.
        bd.AbrirConsulta(
            QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name IN ('ct_Utilizadores', "
                           "'ct_Artigos', 'ct_Documentos', 'ct_Documentos_Processo', "
                           "'ct_LinhasDocumento')"),
            rs);
        if ((rs.eof() || rs.value(0).toInt() != 5) && !sessao_->soLeitura())
            executarScriptSql(bd, Esquema());
        bd.AbrirConsulta(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name IN "
                                        "('ct_Documentos', 'ct_LinhasDocumento')"),
                         rs);
        empresa.semDocumentos = rs.eof() || rs.value(0).toInt() != 2;
        bd.AbrirConsulta(
            QStringLiteral(
                "SELECT Password FROM ct_Utilizadores WHERE UPPER(Utilizador) = UPPER(?)"),
            rs, {utilizador});
    } catch (const Falha& f) {
        throw Falha(f.numero(),
                    QStringLiteral("Não foi possível abrir a empresa: ") + f.descricao());
    }
    if (rs.eof() || rs.value(0).toString() != password)
        throw Falha(Falha::ErroDaContabilidade,
                    QStringLiteral("Utilizador ou password inválidos: ") + utilizador);
}

void ContabilidadeEmbutida::FecharEmpresa() {
    if (!empresa_->aberta())
        return;
    try {
        empresa_->registar(QStringLiteral("Empresa fechada"));
    } catch (const Falha&) {
        // Closing goes on: a log that cannot be written was said at the company's opening,
        // which writes to it first, and is said again at the next.
    }
    empresa_->bd.Desligar();
}

std::unique_ptr<DocumentosGCLin> ContabilidadeEmbutida::NovaLinha() {
    empresa_->exigirAberta();
    return novaLinhaEmbutida();
}

std::unique_ptr<ObjectoApi> ContabilidadeEmbutida::CriarObjecto(const QString& nomeDaClasse) {
    if (nomeDaClasse.compare(Api::ClasseDocumento, Qt::CaseInsensitive) == 0) {
        empresa_->exigirAberta();
        return novoDocumentoEmbutido(empresa_);
    }
    if (nomeDaClasse.compare(Api::ClasseLinha, Qt::CaseInsensitive) == 0) {
        empresa_->exigirAberta();
        return novaLinhaEmbutida();
    }
    throw Falha(Falha::ClasseDesconhecida,
                QStringLiteral("A contabilidade não conhece a classe '%1'").arg(nomeDaClasse));
}

QVector<IdentidadeDocumento> ContabilidadeEmbutida::DocumentosPorProcesso(const QString& processo) {
    empresa_->exigirAberta();
    if (empresa_->semDocumentos)
        return {};
    Recordset rs;
    empresa_->bd.AbrirConsulta(
        QStringLiteral("SELECT TipoDocumento, Serie, Ano, Numero, Terceiro FROM ct_Documentos "
                       "WHERE Processo = ? ORDER BY rowid DESC"),
        rs, {processo});
    QVector<IdentidadeDocumento> documentos;
    for (; !rs.eof(); rs.moveNext())
        documentos.append({rs.value(0).toString(), qint16(rs.value(1).toInt()),
                           qint16(rs.value(2).toInt()), rs.value(3).toInt(),
                           rs.value(4).isNull() ? QString() : rs.value(4).toString()});
    return documentos;
}
