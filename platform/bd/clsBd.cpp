#include "platform/bd/clsBd.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <utility>

#include "base/Falha.h"
#include "platform/bd/EscritorDeTabela.h"
#include "platform/bd/LigacaoBd.h"
#include "platform/bd/LigacoesGuardadas.h"
#include "platform/bd/MotorQtSql.h"
#include "platform/bd/MotorSqlite.h"
#include "platform/bd/clsStringLigacao.h"

namespace {

// The embedded database <pasta>/<base>.db: the one guardadas has for the file, or a new
// connection. Null with erro set when the file does not exist or does not open.
std::shared_ptr<LigacaoBd> ligarEmbutida(const QString& pasta, const QString& base,
                                         LigacoesGuardadas* guardadas, QString& erro) {
    const QString ficheiro = QDir(pasta).filePath(base + QStringLiteral(".db"));
    if (base.isEmpty() || !QFileInfo(ficheiro).isFile()) {
        erro = QStringLiteral("A base de dados %1 não existe").arg(ficheiro);
        return nullptr;
    }
    const QString absoluto = QFileInfo(ficheiro).absoluteFilePath();
    const auto abrir = [&]() -> std::shared_ptr<LigacaoBd> {
        std::unique_ptr<MotorBd> motor =
            MotorSqlite::abrir(ficheiro, base, erro, guardadas && guardadas->soLeitura());
        if (!motor)
            return nullptr;
        return std::make_shared<LigacaoBd>(std::move(motor), absoluto);
    };
    if (!guardadas)
        return abrir();
    std::shared_ptr<LigacaoBd> ligacao = guardadas->tomar(absoluto, abrir);
    if (ligacao)
        ligacao->mudarBaseDeDados(base);
    return ligacao;
}

}  // namespace

clsBd::clsBd() = default;

clsBd::~clsBd() {
    Desligar();
}

bool clsBd::Ligar(const QString& stringLigacao, LigacoesGuardadas* guardadas) {
    Desligar();
    ultimoErro_.clear();
    guardadas_ = guardadas;
    const QMap<QString, QString> partes = clsStringLigacao::Ler(stringLigacao);
    const QString servidor = partes.value(QStringLiteral("server")).trimmed();
    const QString base = partes.value(QStringLiteral("database")).trimmed();
    if (!servidor.isEmpty() && QFileInfo(servidor).isDir()) {
        ligacao_ = ligarEmbutida(servidor, base, guardadas_, ultimoErro_);
    } else {
        std::unique_ptr<MotorBd> motor =
            MotorQtSql::abrirOdbc(servidor, base, partes.value(QStringLiteral("user")),
                                  partes.value(QStringLiteral("password")), ultimoErro_);
        if (motor)
            ligacao_ = std::make_shared<LigacaoBd>(std::move(motor), QString());
    }
    return ligacao_ != nullptr;
}

bool clsBd::Ligado() const {
    return ligacao_ && ligacao_->aberta();
}

clsBd::Dialecto clsBd::dialecto() const {
    return ligacao_ ? ligacao_->dialecto() : Dialecto::SqlServer;
}

QString clsBd::BaseDeDados() const {
    return ligacao_ ? ligacao_->baseDeDados() : QString();
}

LigacaoBd& clsBd::ligacaoAberta() {
    if (!Ligado())
        throw Falha(Falha::ObjectoNaoDefinido,
                    QStringLiteral("Não há ligação aberta à base de dados"));
    return *ligacao_;
}

void clsBd::AbrirConsulta(const QString& sql, Recordset& rs, const QVariantList& parametros) {
    ligacaoAberta().consultar(sql, rs, parametros);
}

void clsBd::AbrirEdicao(const QString& sql, Recordset& rs, const QVariantList& parametros) {
    const QStringList tabelas = ligacaoAberta().consultar(sql, rs, parametros);
    if (tabelas.isEmpty())
        return;
    rs.setWriter(std::make_shared<EscritorDeTabela>(ligacao_, tabelas.first()));
}

int clsBd::Executar(const QString& sql, const QVariantList& parametros) {
    return ligacaoAberta().executar(sql, parametros);
}

void clsBd::IniciarTransaccao() {
    ligacaoAberta().iniciarTransaccao();
}

void clsBd::ConfirmarTransaccao() {
    ligacaoAberta().confirmarTransaccao();
}

void clsBd::AnularTransaccao() {
    ligacaoAberta().anularTransaccao();
}

bool clsBd::EmTransaccao() const {
    return ligacao_ && ligacao_->emTransaccao();
}

void clsBd::Desligar() {
    if (!ligacao_)
        return;
    const std::shared_ptr<LigacaoBd> ligacao = std::move(ligacao_);
    if (guardadas_ && !ligacao->ficheiro().isEmpty() && guardadas_->devolver(ligacao))
        return;
    ligacao->fechar();
}
