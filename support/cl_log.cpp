#include "support/cl_log.h"

#include <array>
#include <cstdio>

#include <QDir>

#include "platform/ficheiros/Caminhos.h"

QString cl_log::CaminhoDoDia(const QString& pastaDoLog, const QDate& dia) {
    const QString nome =
        QStringLiteral("LOG_") + dia.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt");
    const QString pasta = pastaDoLog.trimmed();
    return terminaEmSeparador(pasta) ? pasta + nome : pasta + QLatin1Char('/') + nome;
}

QString cl_log::Linha(const QDateTime& quando, const QString& mensagem) {
    // Formatted by hand: a run writes a line per file, and the locale-aware formatting of
    // QDateTime costs more than the rest of the line.
    const QDate dia = quando.date();
    const QTime hora = quando.time();
    std::array<char, 64> carimbo{};
    const int n = std::snprintf(carimbo.data(), carimbo.size(), "[%02d-%02d-%04d][%02d:%02d:%02d] ",
                                dia.day(), dia.month(), dia.year(), hora.hour(), hora.minute(),
                                hora.second());
    return QLatin1String(carimbo.data(), n) + mensagem;
}

namespace {

// The day's log in the folder, open for appending; its reason in porque when it cannot be.
bool abrirDoDia(QFile& ficheiro, const QString& pastaDoLog, const QDate& dia, QString* porque) {
    // Never at the root of the file system.
    if (pastaDoLog.trimmed().isEmpty()) {
        *porque = QStringLiteral("a pasta do registo ([Log] Directoria) não está definida");
        return false;
    }
    ficheiro.setFileName(cl_log::CaminhoDoDia(pastaDoLog, dia));
    if (ficheiro.open(QIODevice::WriteOnly | QIODevice::Append))
        return true;
    *porque = QStringLiteral("Não foi possível abrir o registo %1 (%2)")
                  .arg(QDir::toNativeSeparators(ficheiro.fileName()), ficheiro.errorString());
    return false;
}

}  // namespace

bool cl_log::Abrir(const QString& pastaDoLog) {
    if (ficheiro_.isOpen())
        ficheiro_.close();
    erro_.clear();
    if (!abrirDoDia(ficheiro_, pastaDoLog, relogio_.agora().date(), &erro_))
        return false;
    Escrever(QStringLiteral("Inicio da sincronização"));
    return true;
}

void cl_log::Escrever(const QString& Mensagem) {
    if (!ficheiro_.isOpen())
        return;
    // Flushed line by line, so that a run that is killed still leaves what it did.
    const QByteArray linha = (Linha(relogio_.agora(), Mensagem) + QStringLiteral("\r\n")).toUtf8();
    if ((ficheiro_.write(linha) != linha.size() || !ficheiro_.flush()) && erro_.isEmpty())
        erro_ = QStringLiteral("Não foi possível escrever no registo %1 (%2)")
                    .arg(QDir::toNativeSeparators(ficheiro_.fileName()), ficheiro_.errorString());
}

void cl_log::Fechar() {
    if (!ficheiro_.isOpen())
        return;
    Escrever(QStringLiteral("Sincronização terminada"));
    ficheiro_.close();
}

bool cl_log::Registar(const QString& pastaDoLog, const QString& Mensagem, const Relogio& relogio,
                      QString* porque) {
    QString motivo;
    QFile f;
    const QDateTime agora = relogio.agora();
    if (abrirDoDia(f, pastaDoLog, agora.date(), &motivo)) {
        const QByteArray linha = (Linha(agora, Mensagem) + QStringLiteral("\r\n")).toUtf8();
        if (f.write(linha) == linha.size() && f.flush())
            return true;
        motivo = QStringLiteral("Não foi possível escrever no registo %1 (%2)")
                     .arg(QDir::toNativeSeparators(f.fileName()), f.errorString());
    }
    if (porque)
        *porque = motivo;
    return false;
}
