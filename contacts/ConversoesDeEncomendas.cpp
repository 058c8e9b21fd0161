#include "contacts/ConversoesDeEncomendas.h"

#include "platform/bd/Recordset.h"
#include "platform/bd/clsBd.h"

namespace {

// As db/company-sqlite.sql creates it.
const QString kTabela = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS vek_ConversoesDeEncomendas ("
    " Empresa nvarchar(20) NOT NULL,"
    " IdEncomenda int NOT NULL,"
    " CodigoContacto nvarchar(15) NOT NULL,"
    " CodigoCliente nvarchar(10) NOT NULL,"
    " Id_Unico nvarchar(36),"
    " Data nvarchar(19),"
    " PRIMARY KEY (Empresa, IdEncomenda))");

QString texto(const Recordset& rs, const char* campo) {
    const QVariant v = rs.value(QLatin1String(campo));
    return v.isNull() ? QString() : v.toString();
}

std::optional<ConversaoDeEncomenda> primeira(const Recordset& rs) {
    if (rs.eof())
        return std::nullopt;
    return ConversaoDeEncomenda{texto(rs, "Empresa"),        rs.value(1).toInt(),
                                texto(rs, "CodigoContacto"), texto(rs, "CodigoCliente"),
                                texto(rs, "Id_Unico"),       texto(rs, "Data")};
}

bool existeTabela(clsBd& bd, const QString& tabela) {
    Recordset rs;
    bd.AbrirConsulta(bd.dialecto() == clsBd::Dialecto::Sqlite
                         ? QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' "
                                          "AND name = ?")
                         : QStringLiteral("SELECT COUNT(*) FROM INFORMATION_SCHEMA.TABLES WHERE "
                                          "TABLE_NAME = ?"),
                     rs, {tabela});
    return rs.value(0).toInt() > 0;
}

}  // namespace

void criarTabelaDeConversoes(clsBd& bd) {
    if (bd.dialecto() == clsBd::Dialecto::Sqlite)
        bd.Executar(kTabela);
}

bool existeTabelaDeConversoes(clsBd& bd) {
    return existeTabela(bd, QStringLiteral("vek_ConversoesDeEncomendas"));
}

void registarConversao(clsBd& bd, const ConversaoDeEncomenda& c) {
    bd.Executar(
        QStringLiteral("INSERT INTO vek_ConversoesDeEncomendas (Empresa, IdEncomenda, "
                       "CodigoContacto, CodigoCliente, Id_Unico, Data) "
                       "VALUES (?, ?, ?, ?, ?, ?)"),
        {c.Empresa, c.Idencomenda, c.CodigoContacto,
         // no customer is an empty code, never a null
         c.CodigoCliente.isNull() ? QStringLiteral("") : c.CodigoCliente, c.Id_Unico, c.Data});
}

std::optional<ConversaoDeEncomenda> conversaoDaEncomenda(clsBd& bd, const QString& empresa,
                                                         qint32 idencomenda) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT Empresa, IdEncomenda, CodigoContacto, CodigoCliente, "
                                    "Id_Unico, Data FROM vek_ConversoesDeEncomendas "
                                    "WHERE Empresa = ? AND IdEncomenda = ?"),
                     rs, {empresa, idencomenda});
    return primeira(rs);
}

std::optional<ConversaoDeEncomenda> ultimaConversaoDoContacto(clsBd& bd, const QString& empresa,
                                                              const QString& codigoContacto) {
    Recordset rs;
    bd.AbrirConsulta(
        QStringLiteral("SELECT TOP (1) Empresa, IdEncomenda, CodigoContacto, "
                       "CodigoCliente, Id_Unico, Data FROM vek_ConversoesDeEncomendas "
                       "WHERE Empresa = ? AND CodigoContacto = ? AND CodigoCliente <> '' "
                       "ORDER BY Data DESC"),
        rs, {empresa, codigoContacto});
    return primeira(rs);
}

std::optional<ConversaoDeEncomenda> conversaoAntigaDoContacto(clsBd& bd,
                                                              const QString& codigoContacto) {
    Recordset rs;
    // Only a database made or migrated by an earlier version has the table.
    if (!existeTabela(bd, QStringLiteral("vek_ContactosConvertidos")))
        return std::nullopt;
    bd.AbrirConsulta(QStringLiteral("SELECT '' AS Empresa, 0 AS IdEncomenda, Codigo AS "
                                    "CodigoContacto, ClienteCodigo AS CodigoCliente, Id_Unico, "
                                    "Data FROM vek_ContactosConvertidos WHERE Codigo = ?"),
                     rs, {codigoContacto});
    return primeira(rs);
}

bool contactoExiste(clsBd& bd, const QString& codigoContacto) {
    Recordset rs;
    bd.AbrirConsulta(QStringLiteral("SELECT Codigo FROM vek_contactos WHERE (Codigo = ?)"), rs,
                     {codigoContacto});
    return !rs.eof();
}
