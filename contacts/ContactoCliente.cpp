#include "contacts/ContactoCliente.h"

#include <QDateTime>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <limits>

#include "base/Falha.h"
#include "contacts/ConversoesDeEncomendas.h"
#include "contacts/Sobreposicao.h"
#include "contacts/vekContactos.h"
#include "platform/bd/Transaccao.h"
#include "support/ServicosDaExecucao.h"

namespace {

// Customer columns filled from the contact column of the same name.
const QSet<QString>& colunasDoContacto() {
    static const QSet<QString> colunas = {
        QStringLiteral("NOME"),     QStringLiteral("CONTACTO"), QStringLiteral("MORADA"),
        QStringLiteral("LOCAL"),    QStringLiteral("CDPOSTAL"), QStringLiteral("TELEF"),
        QStringLiteral("FAX"),      QStringLiteral("TELEX"),    QStringLiteral("NCONTRIB"),
        QStringLiteral("CAE"),      QStringLiteral("TELGER"),   QStringLiteral("TELCOM"),
        QStringLiteral("TELFIN"),   QStringLiteral("EMAIL"),    QStringLiteral("SITIO"),
        QStringLiteral("ZONAGEO"),  QStringLiteral("CODPAIS"),  QStringLiteral("CONTGER"),
        QStringLiteral("CONTCOME"), QStringLiteral("CONTFIN"),  QStringLiteral("OBSERV"),
        QStringLiteral("OBS2"),     QStringLiteral("VENDEDOR"),
    };
    return colunas;
}

}  // namespace

QString ContactoCliente::TextoDoCampo(const QVariant& valor) {
    if (valor.isNull())
        return QStringLiteral("");
    return valor.toString();
}

std::unique_ptr<Recordset> ContactoCliente::LerRegistoConverter(const QString& CodigoContacto,
                                                                clsBd& bd) {
    try {
        auto rs = std::make_unique<Recordset>();
        bd.AbrirConsulta(QStringLiteral("SELECT     Codigo, "
                                        " Numero, "
                                        " Nome, "
                                        " Contacto, "
                                        " Morada, "
                                        " Local, "
                                        " CdPostal, "
                                        " Telef, "
                                        " Fax, "
                                        " telex, "
                                        " NContrib, "
                                        " Cae, "
                                        " TelGer, "
                                        " TelCom , "
                                        " Telfim as TelFIn, "
                                        " Email, "
                                        " Sitio, "
                                        " ZonaGeo, "
                                        " CodPais, "
                                        " ContGer, "
                                        " ContCom as ContCome, "
                                        " ContFin, "
                                        " Observ, "
                                        " Obs2, "
                                        " Vendedor, "
                                        " GesCnt,"
                                        " Id_Unico"
                                        " From vek_contactos"
                                        " WHERE     (Codigo = ?)"),
                         *rs, {CodigoContacto});
        return rs;
    } catch (const Falha& f) {
        const QString texto = QStringLiteral(
                                  "Erro %1 (%2)\r\nNa função LerRegistoConverter do "
                                  "Módulo de classe cl_NextConvertePara")
                                  .arg(f.numero())
                                  .arg(f.descricao());
        if (servicos_)
            servicos_->MostrarMensagem(texto);
        else
            std::fputs(texto.toUtf8().append('\n').constData(), stderr);
        return nullptr;
    }
}

namespace {

// MAX(NUMERO) + 1 of CLIENTES (1 for an empty table), and the smallest code from there on that no
// customer has, nor one of tomado.
template <class Tomado>
void proximo(clsBd& bd, qint32 minimo, Tomado tomado, ServicosDaExecucao* servicos, qint32& numero,
             QString& codigo) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT  MAX(NUMERO) + 1 AS ProximoNumero From CLIENTES"), rs);
    qint32 n = 1;
    if (!rs.eof() && !rs.value(QStringLiteral("ProximoNumero")).isNull()) {
        bool ok = false;
        const qlonglong v = rs.value(QStringLiteral("ProximoNumero")).toLongLong(&ok);
        if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
            throw Falha(Falha::ExcessoDeCapacidade,
                        QStringLiteral("Número de cliente fora dos limites: %1")
                            .arg(rs.value(QStringLiteral("ProximoNumero")).toString()));
        n = qint32(v);
    }
    rs.close();
    n = std::max(n, minimo);

    qint32 candidato = n;
    for (;;) {
        if (servicos)
            servicos->Pump();
        bd.AbrirConsulta(QStringLiteral("SELECT CODIGO From CLIENTES WHERE (CODIGO = ?)"), rs,
                         {QString::number(candidato)});
        const bool livre = rs.eof() && !tomado(QString::number(candidato));
        rs.close();
        if (livre)
            break;
        if (candidato == std::numeric_limits<qint32>::max())
            throw Falha(
                Falha::ExcessoDeCapacidade,
                QStringLiteral("Não há código de cliente livre acima de %1").arg(candidato));
        ++candidato;
    }
    numero = n;
    codigo = QString::number(candidato);
}

}  // namespace

void ContactoCliente::ProximoNumeroCliente(clsBd& bd, qint32& numero, QString& codigo) {
    proximo(
        bd, std::numeric_limits<qint32>::min(), [](const QString&) { return false; }, servicos_,
        numero, codigo);
}

void ContactoCliente::ProximoCliente(clsBd& bd, const QString& empresa,
                                     const Sobreposicao& sobreposta, qint32& numero,
                                     QString& codigo) {
    const qint32 dado = sobreposta.maiorNumeroDeCliente(empresa);
    proximo(
        bd, dado == 0 ? std::numeric_limits<qint32>::min() : dado + 1,
        [&](const QString& c) { return sobreposta.codigoDeClienteTomado(empresa, c); }, nullptr,
        numero, codigo);
}

bool ContactoCliente::TemModelo(clsBd& bd) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT CODIGO From CLIENTES WHERE (NUMERO = - 1)"), rs);
    return !rs.eof();
}

QString ContactoCliente::CodigoDoModelo(clsBd& bd) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT CODIGO From CLIENTES WHERE (NUMERO = - 1)"), rs);
    return rs.eof() ? QString() : TextoDoCampo(rs.value(0));
}

QString ContactoCliente::ConverteContactoEmCliente(const QString& Empresa,
                                                   const QString& CodigoContacto, QString& Id_Guid,
                                                   clsBd& bd) {
    Avisos.clear();
    Transaccao transaccao(bd);  // nothing is ever half converted
    QString guid = Id_Guid;
    QStringList avisos;  // said only of a conversion that is kept
    QString resultado = converter(Empresa, CodigoContacto, guid, bd, avisos);
    transaccao.Confirmar();
    Avisos = avisos;
    Id_Guid = guid;
    return resultado;
}

QString ContactoCliente::converter(const QString& Empresa, const QString& CodigoContacto,
                                   QString& Id_Guid, clsBd& bd, QStringList& avisos) {
    const std::unique_ptr<Recordset> contacto = LerRegistoConverter(CodigoContacto, bd);
    if (!contacto)
        throw Falha(Falha::ObjectoNaoDefinido,
                    QStringLiteral("O registo do contacto %1 não foi lido").arg(CodigoContacto));
    if (contacto->recordCount() < 1)
        return {};

    Recordset clientes;
    bd.AbrirEdicao(QStringLiteral("SELECT * From CLIENTES WHERE (NUMERO = - 1)"), clientes);
    if (clientes.eof()) {
        Id_Guid = TextoDoCampo(contacto->value(QStringLiteral("Id_Unico")));
        clientes.close();
        return {};
    }
    const Recordset modelo = clientes.clone();
    clientes.addNew();

    qint32 numero = 0;
    QString codigo;
    ProximoNumeroCliente(bd, numero, codigo);

    for (int i = 0; i < clientes.fieldCount(); ++i) {
        const RecordsetField& campo = clientes.field(i);
        const QString nome = campo.name.toUpper();
        QVariant valor;
        if (nome == QLatin1String("NUMERO")) {
            valor = numero;
        } else if (nome == QLatin1String("CODIGO")) {
            valor = codigo;
        } else if (nome == QLatin1String("DBTS")) {
            continue;  // the database keeps it
        } else if (colunasDoContacto().contains(nome)) {
            valor = TextoDoCampo(contacto->value(nome));
        } else if (nome == QLatin1String("GESTCNT")) {
            valor = TextoDoCampo(contacto->value(QStringLiteral("GesCnt")));
        } else {
            valor = modelo.value(i);
        }
        // A contact column may be wider than the customer's: the customer keeps what fits
        // rather than the conversion failing, and the run log says what was cut.
        if (valor.typeId() == QMetaType::QString && campo.definedSize > 0 &&
            valor.toString().size() > campo.definedSize) {
            avisos << QStringLiteral(
                          "O valor de %1 do contacto %2 tem %3 caracteres e foi cortado "
                          "aos %4 da coluna %1 de CLIENTES")
                          .arg(campo.name, CodigoContacto)
                          .arg(valor.toString().size())
                          .arg(campo.definedSize);
            valor = cortarAoTamanho(valor.toString(), campo.definedSize);
        }
        clientes.setValue(i, valor);
    }
    clientes.update();
    const QString guid = TextoDoCampo(contacto->value(QStringLiteral("Id_Unico")));
    clientes.close();

    bd.Executar(QStringLiteral("Update vek_Incidentes SET Entidade_Tipo = 1, Entidade_Codigo = ? "
                               " WHERE     (Entidade_Tipo = 3) AND (Entidade_Codigo = ?)"),
                {codigo, CodigoContacto});
    bd.Executar(QStringLiteral(" Update vek_EntidadesClassificacao SEt Tipo =1 , Codigo = ?"
                               " WHERE     (Tipo = 3) AND (Codigo = ?)"),
                {codigo, CodigoContacto});
    bd.Executar(QStringLiteral("UPDATE vek_TabelasEntidades  SET ext_Tipo =1, ext_Codigo = ? "
                               " WHERE     (ext_Tipo = 3) AND (ext_Codigo = ?)"),
                {codigo, CodigoContacto});
    // The contact's web identity goes with it: its number will be given to another contact,
    // who must not be sent under it.
    bd.Executar(QStringLiteral("DELETE FROM vek_BDC_EquivalenciaOnlineDesktop WHERE (numero = ?)"),
                {contacto->value(QStringLiteral("Numero"))});
    bd.Executar(QStringLiteral("DELETE From vek_contactos WHERE (Codigo = ?)"), {CodigoContacto});
    if (Idencomenda)
        registarConversao(bd, {Empresa, *Idencomenda, CodigoContacto, codigo, guid,
                               (servicos_ ? servicos_->Agora() : QDateTime::currentDateTime())
                                   .toString(Qt::ISODate)});
    Id_Guid = guid;
    return codigo;
}
