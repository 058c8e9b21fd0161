#include "support/cl_log.h"

#include "platform/Caminhos.h"
#include "settings/Parametros.h"

std::function<QDateTime()> cl_log::relogio = [] { return QDateTime::currentDateTime(); };

QString cl_log::CaminhoDoDia(const QString& pastaDoLog, const QDate& dia) {
    const QString nome =
        QStringLiteral("LOG_") + dia.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt");
    const QString pasta = pastaDoLog.trimmed();
    return terminaEmSeparador(pasta) ? pasta + nome : pasta + QLatin1Char('/') + nome;
}

QString cl_log::Linha(const QDateTime& quando, const QString& mensagem) {
    return QLatin1Char('[') + quando.toString(QStringLiteral("dd-MM-yyyy")) + QStringLiteral("][") +
           quando.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("] ") + mensagem;
}

bool cl_log::Abrir(const QString& NomeIni) {
    if (ficheiro_.isOpen())
        ficheiro_.close();
    try {
        Parametros p;
        p.FicheiroIni = NomeIni;
        p.Ler();
        ficheiro_.setFileName(CaminhoDoDia(p.Log_Directoria, relogio().date()));
        if (!ficheiro_.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        Escrever(QStringLiteral("Inicio da sincronização"));
        return true;
    } catch (...) {
        ficheiro_.close();
        return false;
    }
}

void cl_log::Escrever(const QString& Mensagem) {
    if (!ficheiro_.isOpen())
        return;
    // Flushed line by line, so that a run that is killed still leaves what it did.
    ficheiro_.write((Linha(relogio(), Mensagem) + QStringLiteral("\r\n")).toUtf8());
    ficheiro_.flush();
}

void cl_log::Fechar() {
    if (!ficheiro_.isOpen())
        return;
    Escrever(QStringLiteral("Sincronização terminada"));
    ficheiro_.close();
}

void cl_log::Registar(const QString& NomeIni, const QString& Mensagem) {
    try {
        Parametros p;
        p.FicheiroIni = NomeIni;
        p.Ler();
        QFile f(CaminhoDoDia(p.Log_Directoria, relogio().date()));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
        f.write((Linha(relogio(), Mensagem) + QStringLiteral("\r\n")).toUtf8());
    } catch (...) {
    }
}
