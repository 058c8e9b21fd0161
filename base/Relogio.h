#pragma once

#include <QDateTime>

// Where a run takes the time from: every date of one run (the log's stamps, a conversion's date,
// a document's date) comes from the one clock it is given. Tests give one they set.
class Relogio {
  public:
    virtual ~Relogio() = default;
    virtual QDateTime agora() const = 0;

    // The computer's clock.
    static const Relogio& sistema() {
        static const struct : Relogio {
            QDateTime agora() const override { return QDateTime::currentDateTime(); }
        } relogio;
        return relogio;
    }
};
