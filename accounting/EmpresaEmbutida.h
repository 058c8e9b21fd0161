#pragma once

#include <QString>
#include <memory>

#include "accounting/RegistoDaContabilidade.h"
#include "platform/Falha.h"
#include "platform/clsBd.h"

// The company the built-in accounting system has open: its database, its code, the user who
// opened it, and the log. The documents made while it is open keep it, so that a document of a
// company closed since cannot write into the one opened after it.
struct EmpresaEmbutida {
    clsBd bd;
    QString codigo;
    QString utilizador;
    std::shared_ptr<RegistoDaContabilidade> registo;

    bool aberta() const { return bd.Ligado(); }

    void exigirAberta() const {
        if (!aberta())
            throw Falha(Falha::ErroDaContabilidade, QStringLiteral("A empresa não está aberta"));
    }

    void registar(const QString& mensagem) const {
        registo->Escrever(QLatin1Char('[') + codigo + QStringLiteral("] ") + mensagem);
    }
};
