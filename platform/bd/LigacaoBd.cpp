#include "platform/bd/LigacaoBd.h"

#include <utility>

#include "base/Falha.h"
#include "platform/bd/Recordset.h"
#include "platform/bd/SqlDialecto.h"

LigacaoBd::LigacaoBd(std::unique_ptr<MotorBd> motor, QString ficheiro)
    : motor_(std::move(motor)), ficheiro_(std::move(ficheiro)), esquema_(*motor_) {}

// A prepared statement, kept per connection and reused for the same text, bound and run.
CacheDeInstrucoes::Entrada& LigacaoBd::preparar(const QString& sql,
                                                const QVariantList& parametros) {
    CacheDeInstrucoes::Entrada* p = instrucoes_.procurar(sql);
    if (!p)
        p = &instrucoes_.guardar(sql, motor_->preparar(sql, sql));
    p->instrucao->correr(parametros, sql);
    return *p;
}

QStringList LigacaoBd::consultar(const QString& sql, Recordset& rs,
                                 const QVariantList& parametros) {
    CacheDeInstrucoes::Entrada& p = preparar(sql, parametros);
    if (!p.tabelas)
        p.tabelas = tabelasDaInstrucao(sql);
    QStringList tabelas = *p.tabelas;
    if (p.geracaoDosTamanhos != esquema_.geracao()) {
        p.tamanhos.clear();
        p.geracaoDosTamanhos = esquema_.geracao();
    }
    // The defined size of a text column, from the first table that has one of its name; found
    // once per statement.
    const TamanhoDefinido tamanhoDefinido = [&p, &tabelas, this](const QString& coluna) {
        if (const auto conhecido = p.tamanhos.constFind(coluna); conhecido != p.tamanhos.cend())
            return conhecido.value();
        int n = 0;
        for (const QString& t : tabelas)
            if ((n = esquema_.tamanhos(t).value(coluna.toLower(), 0)) > 0)
                break;
        p.tamanhos.insert(coluna, n);
        return n;
    };
    p.instrucao->lerLinhas(rs, tamanhoDefinido, sql);
    return tabelas;
}

int LigacaoBd::executar(const QString& sql, const QVariantList& parametros) {
    return preparar(sql, parametros).instrucao->linhasAlteradas(sql);
}

void LigacaoBd::iniciarTransaccao() {
    motor_->iniciarTransaccao();
    emTransaccao_ = true;
}

void LigacaoBd::confirmarTransaccao() {
    motor_->confirmarTransaccao();
    emTransaccao_ = false;
}

void LigacaoBd::anularTransaccao() {
    emTransaccao_ = false;
    motor_->anularTransaccao();
}

bool LigacaoBd::repousar() {
    instrucoes_.terminarTodas();
    if (emTransaccao_) {
        emTransaccao_ = false;
        try {
            motor_->anularTransaccao();
        } catch (const Falha&) {
            return false;
        }
    }
    ++geracao_;
    return true;
}

void LigacaoBd::confirmarEsquema() {
    const QString sql = QStringLiteral("PRAGMA schema_version");
    esquema_.confirmarVersao(preparar(sql, {}).instrucao->primeiroInteiro(sql));
}

void LigacaoBd::fechar() {
    instrucoes_.limpar();
    ++geracao_;
    motor_->fechar(emTransaccao_);
    emTransaccao_ = false;
}
