#pragma once

#include <exception>

#include "platform/bd/clsBd.h"

// A transaction on a connection for the life of a block: begun when made, committed by
// Confirmar, rolled back when the block ends without it (a failure on its way up included).
//     Transaccao t(bd);
//     ...
//     t.Confirmar();
class Transaccao {
  public:
    explicit Transaccao(clsBd& bd) : bd_(bd) { bd_.IniciarTransaccao(); }

    ~Transaccao() {
        if (confirmada_ || !bd_.EmTransaccao())
            return;
        try {
            bd_.AnularTransaccao();
        } catch (const std::exception&) {
            // Never thrown out of here: the failure unwinding past this block is the one to
            // report, and a connection that cannot roll back ends its transaction when it closes.
        }
    }

    Transaccao(const Transaccao&) = delete;
    Transaccao& operator=(const Transaccao&) = delete;

    void Confirmar() {
        bd_.ConfirmarTransaccao();
        confirmada_ = true;
    }

  private:
    clsBd& bd_;
    bool confirmada_ = false;
};
