#include "contacts/vekContactos.h"

#include <algorithm>
#include <limits>

#include "base/Falha.h"
#include "contacts/Sobreposicao.h"
#include "platform/bd/Transaccao.h"
#include "support/ServicosDaExecucao.h"

namespace {

qint32 paraInteiro32(const QVariant& valor, const QString& oQue) {
    bool ok = false;
    const qlonglong n = valor.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        throw Falha(Falha::ExcessoDeCapacidade,
                    QStringLiteral("%1 fora dos limites: %2").arg(oQue, valor.toString()));
    return qint32(n);
}

}  // namespace

QString cortarAoTamanho(const QString& texto, int n) {
    if (n <= 0 || texto.size() <= n)
        return texto;
    if (texto.at(n - 1).isHighSurrogate())
        --n;
    return texto.left(n);
}

// A failure of the lookup is raised: taken as "not known", it would add the contact again.
bool vekContactos::LerEquivalencia() {
    Recordset rs;
    bd_.AbrirConsulta(
        QStringLiteral(
            "SELECT    vek_BDC_EquivalenciaOnlineDesktop.IDnet,  "
            "vek_BDC_EquivalenciaOnlineDesktop.numero,  vek_contactos.Codigo  FROM         "
            "vek_BDC_EquivalenciaOnlineDesktop LEFT OUTER JOIN vek_contactos ON "
            "vek_BDC_EquivalenciaOnlineDesktop.numero = vek_contactos.Numero Where "
            "(vek_BDC_EquivalenciaOnlineDesktop.IdNet = ?)"),
        rs, {IdNet});
    // An equivalence row whose contact was deleted names nobody: the web contact is known only
    // through a row whose contact still exists.
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant codigo = rs.value(QStringLiteral("Codigo"));
        if (codigo.isNull())
            continue;
        const qint32 numero =
            paraInteiro32(rs.value(QStringLiteral("Numero")), QStringLiteral("Número do contacto"));
        Codigo = codigo.toString();
        Numero = numero;
        return true;
    }
    return false;
}

namespace {

// MAX(Numero) + 1 of the contacts (1 for an empty table), from minimo on, and the first code from
// there on that no contact has, nor one of tomado.
template <class Tomado>
void proximoContacto(clsBd& bd, qint32 minimo, Tomado tomado, ServicosDaExecucao* servicos,
                     qint32& numero, QString& codigo) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT MAX(Numero) + 1 AS Proximo From vek_contactos"), rs);
    qint32 candidato = 1;
    if (!rs.eof() && !rs.value(0).isNull())
        candidato = paraInteiro32(rs.value(0), QStringLiteral("Próximo número de contacto"));
    rs.close();
    candidato = std::max(candidato, minimo);
    for (;;) {
        if (servicos)
            servicos->Pump();
        bd.AbrirConsulta(QStringLiteral("SELECT Codigo From vek_contactos WHERE (Codigo = ?)"), rs,
                         {QString::number(candidato)});
        const bool ocupado = !rs.eof() || tomado(QString::number(candidato));
        rs.close();
        if (!ocupado)
            break;
        if (candidato == std::numeric_limits<qint32>::max())
            throw Falha(
                Falha::ExcessoDeCapacidade,
                QStringLiteral("Não há código de contacto livre acima de %1").arg(candidato));
        ++candidato;
    }
    numero = candidato;
    codigo = QString::number(candidato);
}

}  // namespace

void vekContactos::ProximoCodigo() {
    proximoContacto(
        bd_, std::numeric_limits<qint32>::min(), [](const QString&) { return false; }, servicos_,
        Numero, Codigo);
}

void vekContactos::ProximoCodigo(const Sobreposicao& sobreposta) {
    const qint32 dado = sobreposta.maiorNumeroDeContacto(CodigoEmpresa);
    proximoContacto(
        bd_, dado == 0 ? std::numeric_limits<qint32>::min() : dado + 1,
        [&](const QString& c) { return sobreposta.codigoDeContactoTomado(CodigoEmpresa, c); },
        nullptr, Numero, Codigo);
}

vekContactos::vekContactos(clsBd& bd, ServicosDaExecucao* servicos)
    : bd_(bd), servicos_(servicos) {}

bool vekContactos::Contacto_add() {
    // Looked up, numbered and written in one transaction: both rows or neither, and no other
    // writer takes the number in between.
    Transaccao transaccao(bd_);
    if (LerEquivalencia())
        return false;
    ProximoCodigo();

    Recordset rs;
    bd_.AbrirEdicao(
        QStringLiteral(
            "SELECT Codigo,       Numero,    Nome,      Contacto,  Morada,    Local,     "
            "CdPostal,  Telef,     Fax,       telex,     NContrib,  Cae,       TelGer,    "
            "TelCom,    Telfim,    Email,     Sitio,     ZonaGeo,   CodPais,   ContGer ,  "
            "ContCom,   ContFin,   Observ,    Obs2,      Vendedor,  GesCnt,    "
            "FuncaoEntidades_Id From vek_contactos WHERE     (Numero = ?)"),
        rs, {Numero});
    if (rs.eof()) {
        rs.addNew();
        rs.setValue(QStringLiteral("Codigo"), Codigo);
        rs.setValue(QStringLiteral("Numero"), Numero);
    }
    const std::pair<const char*, const QString*> colunas[] = {
        {"Nome", &Nome},
        {"Contacto", &Contacto},
        {"Morada", &Morada},
        {"Local", &Localidade},
        {"CdPostal", &CodigoPostal},
        {"Telef", &Telefone},
        {"Fax", &Fax},
        {"telex", &Telemovel},
        {"NContrib", &Contribuinte},
        {"Cae", &Cae},
        {"TelGer", &TelefoneGeral},
        {"TelCom", &TelefoneComercial},
        {"Telfim", &TelefoneFinanceiro},
        {"Email", &email},
        {"Sitio", &Sitio},
        {"ZonaGeo", &Zona},
        {"CodPais", &Pais},
        {"ContGer", &ContactoGeral},
        {"ContCom", &ContactoComercial},
        {"ContFin", &ContactoFinanceiro},
        {"Observ", &Observacoes},
        {"Obs2", &Observacoes2},
        {"Vendedor", &Vendedor},
        {"GesCnt", &GestorDeConta},
    };
    for (const auto& [coluna, propriedade] : colunas) {
        const QString nome = QLatin1String(coluna);
        // An empty property is stored as an empty string, never as a null.
        const QString texto = propriedade->isNull() ? QStringLiteral("") : *propriedade;
        rs.setValue(nome, cortarAoTamanho(texto, rs.definedSize(nome)));
    }
    rs.update();
    rs.close();

    // One number, one web identity: what a contact that held this number before left behind
    // (an earlier version kept it when a contact became a customer) goes with it.
    bd_.Executar(QStringLiteral("DELETE FROM vek_BDC_EquivalenciaOnlineDesktop WHERE (numero = ?)"),
                 {Numero});
    bd_.AbrirEdicao(QStringLiteral("SELECT IDnet, numero From vek_BDC_EquivalenciaOnlineDesktop "
                                   "Where (IdNet = ?) And (Numero = ?)"),
                    rs, {IdNet, Numero});
    rs.addNew();
    rs.setValue(QStringLiteral("IdNet"), IdNet);
    rs.setValue(QStringLiteral("Numero"), Numero);
    rs.update();
    rs.close();
    transaccao.Confirmar();
    return true;
}

void vekContactos::EsquecerIdentidadesSemContacto() {
    bd_.Executar(QStringLiteral(
        "DELETE FROM vek_BDC_EquivalenciaOnlineDesktop WHERE NOT EXISTS (SELECT 1 FROM "
        "vek_contactos WHERE vek_contactos.Numero = vek_BDC_EquivalenciaOnlineDesktop.numero)"));
}

Recordset vekContactos::rsListaContactosAlteradosDesde(qint64 UltimaSincronizacao) {
    QString sql = QStringLiteral(
        "SELECT    vek_BDC_EquivalenciaOnlineDesktop.IDnet, "
        " vek_contactos.Numero, "
        " CAST(vek_contactos.dbts AS bigint) AS Alteração, "
        " vek_contactos.Vendedor, "
        " vek_contactos.Nome,"
        " vek_contactos.Email, "
        " vek_contactos.NContrib, "
        " vek_contactos.Contacto, "
        " vek_contactos.Morada, "
        " vek_contactos.CdPostal, "
        " vek_contactos.Local, "
        " vek_contactos.Telef,"
        " vek_contactos.Fax, "
        " vek_contactos.TelCom, "
        " vek_contactos.Telfim, "
        " vek_contactos.Sitio,"
        " vek_contactos.Id_Unico,"
        " (SELECT TOP (1) vek_EntidadesClassificacao.Class_id FROM "
        "vek_EntidadesClassificacao INNER JOIN vek_Classe ON "
        "vek_EntidadesClassificacao.Class_id = vek_Classe.class_Id WHERE "
        "(vek_EntidadesClassificacao.Tipo = 3) AND "
        "(vek_EntidadesClassificacao.Codigo = vek_contactos.Numero)) AS Tipo,"
        " (SELECT TOP (1) T2.CampoLivre FROM vek_EntidadesClassificacao AS T1 "
        "INNER JOIN vek_Classe AS T2 ON T1.Class_id = T2.class_Id WHERE "
        "(T1.Tipo = 3) AND (T1.Codigo = vek_contactos.Numero)) AS Desconto"
        " FROM          vek_contactos LEFT OUTER JOIN "
        " vek_BDC_EquivalenciaOnlineDesktop ON vek_contactos.Numero = "
        "vek_BDC_EquivalenciaOnlineDesktop.numero"
        " WHERE     (CAST(vek_contactos.dbts AS bigint) > ?)");
    // A transaction still open holds row versions below the ones already committed; the
    // watermark must not pass them before they are visible.
    if (bd_.dialecto() == clsBd::Dialecto::SqlServer)
        sql += QStringLiteral(" AND vek_contactos.dbts < MIN_ACTIVE_ROWVERSION()");
    sql += QStringLiteral(" ORDER BY vek_contactos.dbts");
    Recordset rs;
    bd_.AbrirConsulta(sql, rs, {UltimaSincronizacao});
    return rs;
}
