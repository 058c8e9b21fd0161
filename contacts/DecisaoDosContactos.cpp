#include "contacts/DecisaoDosContactos.h"

#include "base/Citacao.h"

std::optional<qint32> identificadorWeb(const QString& texto) {
    bool ok = false;
    const qint32 id = texto.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(id) : std::nullopt;
}

PlanoDoContacto decidirContacto(const FactosDoContacto& f) {
    PlanoDoContacto p;
    if (!f.copiaOcupada.isEmpty()) {
        p.razao = QStringLiteral(
                      "O ficheiro de contacto %1 não foi lido: o nome da sua cópia, "
                      "%1.bak, é %2, que fica como está; o ficheiro fica na pasta de "
                      "entrada.")
                      .arg(f.nome, f.copiaOcupada);
        return p;
    }
    if (f.naoLido) {
        p.razao = *f.naoLido;
        p.caixa = true;
        return p;
    }
    if (!identificadorWeb(f.idNet)) {
        p.razao = QStringLiteral(
                      "O ficheiro de contacto %1 não tem um IDNET numérico (\"%2\"); "
                      "fica na pasta de entrada.")
                      .arg(f.nome, citar(f.idNet));
        return p;
    }
    if (f.conhecido) {
        p.accao = PlanoDoContacto::Accao::Arquivar;
        return p;
    }
    p.accao = PlanoDoContacto::Accao::Adicionar;
    return p;
}

PlanoDoEnvio decidirEnvio(const FactosDoEnvio& f) {
    PlanoDoEnvio p;
    // Never sent under another person's web identity: of several identifiers on one number,
    // at most one is this contact's, and which one cannot be known.
    if (f.identificadores.size() > 1) {
        p.accao = PlanoDoEnvio::Accao::NaoEnviar;
        p.razao =
            f.contacto + QStringLiteral(
                             " não foi enviado: o seu número tem os identificadores web %1 em "
                             "vek_BDC_EquivalenciaOnlineDesktop, deixados por contactos com "
                             "esse número que já não existem, e só um pode ser seu.%2 Apague "
                             "os que não são deste contacto e altere-o, para que seja "
                             "enviado.")
                             .arg(f.identificadores.join(QStringLiteral(", ")), f.historiaDoCodigo);
        return p;
    }
    // Something the web side put in the file's place is left there.
    if (!f.destinoOcupado.isEmpty()) {
        p.accao = PlanoDoEnvio::Accao::Reter;
        p.razao = f.contacto + QStringLiteral(
                                   " não foi enviado: o ficheiro %1 é %2, que fica como "
                                   "está.")
                                   .arg(f.destino, f.destinoOcupado);
        return p;
    }
    p.identificador = f.identificadores.value(0);
    return p;
}
