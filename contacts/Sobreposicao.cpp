#include "contacts/Sobreposicao.h"

#include <algorithm>

void Sobreposicao::adicionarContacto(const QString& empresa, const Contacto& contacto) {
    contactosPorIdNet_.insert(chave(empresa, QString::number(contacto.idNet)), contacto);
    codigosDeContactos_.insert(chave(empresa, contacto.codigo));
    convertidos_.remove(chave(empresa, contacto.codigo));
    maiorContacto_[empresa] = std::max(maiorContacto_.value(empresa), contacto.numero);
}

std::optional<Sobreposicao::Contacto> Sobreposicao::contactoDaWeb(const QString& empresa,
                                                                  qint32 idNet) const {
    const auto i = contactosPorIdNet_.constFind(chave(empresa, QString::number(idNet)));
    if (i == contactosPorIdNet_.cend() || convertidos_.contains(chave(empresa, i->codigo)))
        return std::nullopt;
    return *i;
}

qint32 Sobreposicao::maiorNumeroDeContacto(const QString& empresa) const {
    return maiorContacto_.value(empresa);
}

bool Sobreposicao::codigoDeContactoTomado(const QString& empresa, const QString& codigo) const {
    return codigosDeContactos_.contains(chave(empresa, codigo)) &&
           !convertidos_.contains(chave(empresa, codigo));
}

void Sobreposicao::converterContacto(const QString& empresa, const QString& codigo) {
    convertidos_.insert(chave(empresa, codigo));
}

bool Sobreposicao::contactoExiste(const QString& empresa, const QString& codigo,
                                  bool naBase) const {
    if (convertidos_.contains(chave(empresa, codigo)))
        return false;
    return naBase || codigosDeContactos_.contains(chave(empresa, codigo));
}

void Sobreposicao::registarConversao(const ConversaoDeEncomenda& c) {
    conversoes_.insert(chave(c.Empresa, QString::number(c.Idencomenda)), c);
}

std::optional<ConversaoDeEncomenda> Sobreposicao::conversao(const QString& empresa,
                                                            qint32 idencomenda) const {
    const auto i = conversoes_.constFind(chave(empresa, QString::number(idencomenda)));
    if (i == conversoes_.cend())
        return std::nullopt;
    return *i;
}

void Sobreposicao::adicionarCliente(const QString& empresa, qint32 numero, const QString& codigo) {
    codigosDeClientes_.insert(chave(empresa, codigo));
    maiorCliente_[empresa] = std::max(maiorCliente_.value(empresa), numero);
}

qint32 Sobreposicao::maiorNumeroDeCliente(const QString& empresa) const {
    return maiorCliente_.value(empresa);
}

bool Sobreposicao::codigoDeClienteTomado(const QString& empresa, const QString& codigo) const {
    return codigosDeClientes_.contains(chave(empresa, codigo));
}
