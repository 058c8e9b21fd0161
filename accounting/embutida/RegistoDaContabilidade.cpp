#include "accounting/embutida/RegistoDaContabilidade.h"

#include <QDateTime>
#include <QDir>

#include "base/Falha.h"
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
    const QDateTime agora = relogio_.agora();
    // Opened again when the day changes.
    if (!ficheiro_.isOpen() || dia_ != agora.date()) {
        ficheiro_.close();
        dia_ = agora.date();
        QDir().mkpath(pasta_);
        ficheiro_.setFileName(juntarCaminho(pasta_, QStringLiteral("Next_") +
                                                        dia_.toString(QStringLiteral("yyyyMMdd")) +
                                                        QStringLiteral(".log")));
        if (!ficheiro_.open(QIODevice::WriteOnly | QIODevice::Append))
            throw Falha(
                Falha::ErroDeEscrita,
                QStringLiteral("Não foi possível abrir o registo da contabilidade %1 (%2)")
                    .arg(QDir::toNativeSeparators(ficheiro_.fileName()), ficheiro_.errorString()));
    }
    const QByteArray linha =
        (QLatin1Char('[') + agora.toString(QStringLiteral("dd-MM-yyyy][HH:mm:ss")) +
         QStringLiteral("] ") + mensagem + QStringLiteral("\r\n"))
            .toUtf8();
    if (ficheiro_.write(linha) != linha.size() || !ficheiro_.flush())
        throw Falha(
            Falha::ErroDeEscrita,
            QStringLiteral("Não foi possível escrever no registo da contabilidade %1 (%2)")
                .arg(QDir::toNativeSeparators(ficheiro_.fileName()), ficheiro_.errorString()));
}
