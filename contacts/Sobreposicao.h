#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <optional>

#include "contacts/ConversoesDeEncomendas.h"

// What a trial run would have changed in the companies' CRM, for the files after it to see: the
// web contacts it would have added, the contacts it would have made customers and the customers,
// and the conversions it would have put on record. The run and its trial decide on the same
// facts; a real run changes the databases themselves and leaves this empty.
class Sobreposicao {
  public:
    struct Contacto {
        qint32 numero = 0;
        QString codigo;
        qint32 idNet = 0;
    };

    void adicionarContacto(const QString& empresa, const Contacto& contacto);
    // The contact added under the web identifier, if one was.
    std::optional<Contacto> contactoDaWeb(const QString& empresa, qint32 idNet) const;
    // The highest contact number added to the company (0: none).
    qint32 maiorNumeroDeContacto(const QString& empresa) const;
    bool codigoDeContactoTomado(const QString& empresa, const QString& codigo) const;

    // A contact made a customer: gone from the CRM, its number and code given again.
    void converterContacto(const QString& empresa, const QString& codigo);
    // Whether a contact of that code is there, given whether the database has one.
    bool contactoExiste(const QString& empresa, const QString& codigo, bool naBase) const;

    void registarConversao(const ConversaoDeEncomenda& conversao);
    std::optional<ConversaoDeEncomenda> conversao(const QString& empresa, qint32 idencomenda) const;

    void adicionarCliente(const QString& empresa, qint32 numero, const QString& codigo);
    // The highest customer number added to the company (0: none).
    qint32 maiorNumeroDeCliente(const QString& empresa) const;
    bool codigoDeClienteTomado(const QString& empresa, const QString& codigo) const;

  private:
    static QString chave(const QString& empresa, const QString& valor) {
        return empresa + QLatin1Char('\t') + valor;
    }

    QHash<QString, Contacto> contactosPorIdNet_;
    QSet<QString> codigosDeContactos_;
    QSet<QString> convertidos_;
    QHash<QString, qint32> maiorContacto_;
    QHash<QString, ConversaoDeEncomenda> conversoes_;
    QSet<QString> codigosDeClientes_;
    QHash<QString, qint32> maiorCliente_;
};
