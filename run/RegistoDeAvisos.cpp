#include "run/RegistoDeAvisos.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "base/Falha.h"
#include "platform/ficheiros/Caminhos.h"
#include "platform/ficheiros/GravacaoAtomica.h"
#include "platform/ficheiros/LeituraLimitada.h"
#include "settings/Parametros.h"

namespace {

// Far more than any list of failures takes.
constexpr qint64 kTamanhoMaximo = qint64{16} * 1024 * 1024;

QJsonArray paraJson(const QList<FalhaConhecida>& falhas) {
    QJsonArray a;
    for (const FalhaConhecida& f : falhas)
        a.append(QJsonObject{{QStringLiteral("passo"), f.passo},
                             {QStringLiteral("ficheiro"), f.ficheiro},
                             {QStringLiteral("razao"), f.razao},
                             {QStringLiteral("desde"), f.desde.toString(Qt::ISODate)},
                             {QStringLiteral("avisada"), f.avisada}});
    return a;
}

QList<FalhaConhecida> deJson(const QJsonValue& valor) {
    QList<FalhaConhecida> r;
    for (const QJsonValue v : valor.toArray()) {
        const QJsonObject o = v.toObject();
        r.append({o.value(QStringLiteral("passo")).toString(),
                  o.value(QStringLiteral("ficheiro")).toString(),
                  o.value(QStringLiteral("razao")).toString(),
                  QDateTime::fromString(o.value(QStringLiteral("desde")).toString(), Qt::ISODate),
                  o.value(QStringLiteral("avisada")).toBool()});
    }
    return r;
}

}  // namespace

QString RegistoDeAvisos::caminho(const Parametros& parametros) {
    const QString pasta = parametros.Pasta(parametros.Log_Directoria);
    if (pasta.isEmpty())
        return {};
    const QFileInfo ini(parametros.FicheiroIni);
    const QString resumo = QString::fromLatin1(
        QCryptographicHash::hash(ini.absoluteFilePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(8));
    return juntarCaminho(
        pasta, QStringLiteral("marelo-avisos-%1-%2.json").arg(ini.completeBaseName(), resumo));
}

std::optional<RegistoDeAvisos> RegistoDeAvisos::ler(const QString& caminho, QString* porque) {
    QByteArray bytes;
    try {
        bytes = lerFicheiroLimitado(caminho, kTamanhoMaximo);
    } catch (const Falha& f) {
        *porque = f.descricao();
        return std::nullopt;
    }
    QJsonParseError erro{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &erro);
    if (!doc.isObject()) {
        *porque = QStringLiteral("o registo dos avisos %1 não se lê (%2)")
                      .arg(QDir::toNativeSeparators(caminho), erro.errorString());
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    RegistoDeAvisos r;
    r.falhas = deJson(o.value(QStringLiteral("falhas")));
    r.resolvidas = deJson(o.value(QStringLiteral("resolvidas")));
    r.ultimoLembrete =
        QDate::fromString(o.value(QStringLiteral("ultimoLembrete")).toString(), Qt::ISODate);
    const QJsonObject ultima = o.value(QStringLiteral("ultimaExecucao")).toObject();
    r.inicio =
        QDateTime::fromString(ultima.value(QStringLiteral("inicio")).toString(), Qt::ISODate);
    r.fim = QDateTime::fromString(ultima.value(QStringLiteral("fim")).toString(), Qt::ISODate);
    r.resumo = ultima.value(QStringLiteral("resumo")).toString();
    r.erros = ultima.value(QStringLiteral("erros")).toInt();
    return r;
}

void RegistoDeAvisos::gravar(const QString& caminho) const {
    const QJsonObject o{
        {QStringLiteral("falhas"), paraJson(falhas)},
        {QStringLiteral("resolvidas"), paraJson(resolvidas)},
        {QStringLiteral("ultimoLembrete"), ultimoLembrete.toString(Qt::ISODate)},
        {QStringLiteral("ultimaExecucao"),
         QJsonObject{{QStringLiteral("inicio"), inicio.toString(Qt::ISODate)},
                     {QStringLiteral("fim"), fim.toString(Qt::ISODate)},
                     {QStringLiteral("resumo"), resumo},
                     {QStringLiteral("erros"), erros}}},
    };
    QString porque;
    // On the disk before it replaces the old one: a notice is never sent twice nor lost because
    // the machine stopped.
    if (!gravarAtomicamente(caminho, QJsonDocument(o).toJson(), &porque, nullptr, true))
        throw Falha(Falha::ErroDeEscrita, QStringLiteral("Não foi possível gravar o registo dos "
                                                         "avisos %1 (%2)")
                                              .arg(QDir::toNativeSeparators(caminho), porque));
}
