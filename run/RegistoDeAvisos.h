#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class Parametros;

// A failure of a run, as the notices and the status check keep it: what it is about (a file of a
// step, or the run itself), why, and since when it is there.
struct FalhaConhecida {
    QString passo;         // "envio", "contactos", "encomendas"; "execucao" for a run's own
    QString ficheiro;      // the file's name; empty for a run's own
    QString razao;         // what the run said of it
    QDateTime desde;       // the first run that met it
    bool avisada = false;  // a notice of it, with this reason, was sent

    QString chave() const {
        return passo + QLatin1Char('\t') + (ficheiro.isEmpty() ? razao : ficheiro);
    }
};

// What the runs of one settings file remember from one run to the next, beside the run log: the
// failures still there and whether they were notified, the notified ones since gone (to be said
// once), the day of the last reminder, and the last run. Written atomically by a run (never by a
// trial run); read by the next run and by the status check.
struct RegistoDeAvisos {
    QList<FalhaConhecida> falhas;
    QList<FalhaConhecida> resolvidas;
    QDate ultimoLembrete;
    QDateTime inicio;  // of the last run that ended
    QDateTime fim;
    QString resumo;
    int erros = 0;

    // The file for the settings file: "marelo-avisos-<name>-<digest of its path>.json" in its log
    // folder; empty when the settings name none.
    static QString caminho(const Parametros& parametros);
    // The file's record; none, with the reason, when it is missing or cannot be read.
    static std::optional<RegistoDeAvisos> ler(const QString& caminho, QString* porque);
    // Raises Falha when it cannot be written; the file is then as it was.
    void gravar(const QString& caminho) const;
};
