#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "accounting/embutida/RegistoDaContabilidade.h"
#include "base/Falha.h"
#include "base/Relogio.h"
#include "platform/bd/LigacoesGuardadas.h"
#include "platform/bd/clsBd.h"

// What the connections of one run share: the run opens a company for every order, so the
// accounting's log stays open, the company databases stay open between orders (with the run's
// other users of the same files), and an opening already checked (tables there, user and
// password right) is not checked again.
struct SessaoEmbutida {
    explicit SessaoEmbutida(std::shared_ptr<LigacoesGuardadas> ligacoes = {},
                            const Relogio& relogio = Relogio::sistema())
        : relogio(relogio),
          registo(relogio),
          guardadas(ligacoes ? std::move(ligacoes) : std::make_shared<LigacoesGuardadas>()) {}

    const Relogio& relogio;
    RegistoDaContabilidade registo;
    std::shared_ptr<LigacoesGuardadas> guardadas;
    // Openings already checked, and whether their document tables were missing (a trial run's).
    QHash<QString, bool> verificadas;

    // A trial run's: it writes nothing.
    bool soLeitura() const { return guardadas && guardadas->soLeitura(); }
};

// The company the built-in accounting system has open: its database, its code, the user who
// opened it, and the session's log. The documents made while it is open keep it, so that a
// document of a company closed since cannot write into the one opened after it.
struct EmpresaEmbutida {
    std::shared_ptr<SessaoEmbutida> sessao;  // outlives bd, which goes back to its connections
    clsBd bd;
    QString codigo;
    QString utilizador;
    // The document tables are not there yet (a trial run does not make them): no documents.
    bool semDocumentos = false;

    bool aberta() const { return bd.Ligado(); }

    void exigirAberta() const {
        if (!aberta())
            throw Falha(Falha::ErroDaContabilidade, QStringLiteral("A empresa não está aberta"));
    }

    void registar(const QString& mensagem) const {
        sessao->registo.Escrever(QLatin1Char('[') + codigo + QStringLiteral("] ") + mensagem);
    }
};
