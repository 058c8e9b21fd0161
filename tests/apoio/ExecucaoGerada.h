#pragma once

#include <iostream>
#include <random>

#include "tests/apoio/ExecucaoComEmpresas.h"

// The seeds a generated test runs: MARELO_SEED=n repeats one; without it, the fixed ones.
inline QList<unsigned> sementes(const QList<unsigned>& fixas) {
    if (const QByteArray s = qgetenv("MARELO_SEED"); !s.isEmpty())
        return {s.toUInt()};
    return fixas;
}

// Runs over a workspace made from a seed, which is printed so that a failure can be repeated.
class ExecucaoGerada : public ExecucaoComEmpresas, public ::testing::WithParamInterface<unsigned> {
  protected:
    void SetUp() override {
        ExecucaoComEmpresas::SetUp();
        std::cout << "seed: " << GetParam() << " (MARELO_SEED=" << GetParam() << " repeats it)"
                  << std::endl;
        rng.seed(GetParam());
    }

    int sorte(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int porCento) { return sorte(100) < porCento; }
    // The last run's part of the day's log.
    QString registoDaUltima() const {
        const QString r = e.registo();
        return r.mid(r.lastIndexOf(u"Inicio da sincronização"_s));
    }

    std::mt19937 rng;
};
