#pragma once

#include <QMap>
#include <QString>

// Builds and reads the connection string that clsBd::Ligar takes:
// "Provider=...;Option=...;Server={...};Database={...};User={...};Password={...}".
class clsStringLigacao {
  public:
    QString Provider;
    int Opcao = 0;
    QString Servidor;
    QString BaseDeDados;
    QString Utilizador;
    QString Password;

    QString StringLigacao() const;

    // Parses a string made by StringLigacao; keys are found without regard to case.
    static QMap<QString, QString> Ler(const QString& stringLigacao);
};
