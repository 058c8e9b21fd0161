#include "accounting/embutida/RegistoDaContabilidade.h"

#include <QDateTime>
#include <QDir>

#include "platform/ficheiros/Caminhos.h"

void RegistoDaContabilidade::Pasta(const QString& pasta) {
    if (pasta != pasta_) {
        ficheiro_.close();
        pasta_ = pasta;
    }
}

void RegistoDaContabilidade::Escrever(const QString& mensagem) {
    if (pasta_.isEmpty())
        return;
    const QDateTime agora = QDateTime::currentDateTime();
    // Opened again when the day changes.
    if (!ficheiro_.isOpen() || dia_ != agora.date()) {
        ficheiro_.close();
        dia_ = agora.date();
        QDir().mkpath(pasta_);
        ficheiro_.setFileName(juntarCaminho(pasta_, QStringLiteral("Next_") +
                                                        dia_.toString(QStringLiteral("yyyyMMdd")) +
                                                        QStringLiteral(".log")));
        if (!ficheiro_.open(QIODevice::WriteOnly | QIODevice::Append))
            return;  // the log never stops the accounting work
    }
    const QString linha = QLatin1Char('[') +
                          agora.toString(QStringLiteral("dd-MM-yyyy][HH:mm:ss")) +
                          QStringLiteral("] ") + mensagem + QStringLiteral("\r\n");
    ficheiro_.write(linha.toUtf8());
    ficheiro_.flush();
}
