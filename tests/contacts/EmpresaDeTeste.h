#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <memory>
#include <string>

#include "platform/Recordset.h"
#include "platform/clsBd.h"
#include "platform/clsIni.h"
#include "settings/Parametros.h"
#include "tests/apoio/Apoio.h"

// How the code under test reaches the company database: the embedded SQLite driver, or ODBC
// with the SQLite ODBC driver (the path a SQL Server database takes).
enum class Via { Embutida, Odbc };

inline std::string nomeDaVia(const testing::TestParamInfo<Via>& info) {
    return info.param == Via::Embutida ? "Embutida" : "Odbc";
}

// A company "QF" whose database is made from the company script (and any extra SQL), with a
// settings file pointing at it through the chosen path.
class EmpresaDeTeste {
  public:
    explicit EmpresaDeTeste(Via via, const QStringList& sqlExtra = {}) {
        pasta = espaco_.pasta(QStringLiteral("bd"));
        criarBaseDeDados(pasta, QStringLiteral("QF"),
                         QStringList{QStringLiteral("db/company-sqlite.sql")} + sqlExtra);
        ini = espaco_.caminho(QStringLiteral("marelo.vek"));
        // NoCreat: a database that is not there must fail to open, as on a server.
        const QString servidor =
            via == Via::Embutida
                ? pasta
                : QStringLiteral("DRIVER={SQLite3};Database=%1/{NomeSQL}.db;NoCreat=1").arg(pasta);
        clsIni f;
        f.Ficheiro(ini);
        EXPECT_TRUE(f.GravarValores(
            {{QStringLiteral("SQL"), QStringLiteral("Servidor"), servidor},
             {QStringLiteral("SQL"), QStringLiteral("Username"), {}},
             {QStringLiteral("SQL"), QStringLiteral("Password"), {}},
             {QStringLiteral("QF"), QStringLiteral("NomeSQL"), QStringLiteral("QF")},
             {QStringLiteral("SR"), QStringLiteral("NomeSQL"), QStringLiteral("SEMBASE")}}));
    }

    // A connection to the company's database through the chosen path, as a run opens it.
    std::unique_ptr<clsBd> ligar() const {
        Parametros p;
        p.FicheiroIni = ini;
        EXPECT_TRUE(p.Ler());
        auto bd = std::make_unique<clsBd>();
        EXPECT_TRUE(bd->Ligar(p.StringLigacao(QStringLiteral("QF"))))
            << bd->UltimoErro().toStdString();
        return bd;
    }

    // One connection kept for the test, as a run keeps the company's.
    clsBd& base() {
        if (!base_)
            base_ = ligar();
        return *base_;
    }

    // Reads the database directly, beside the code under test.
    Recordset consultar(const QString& sql, const QVariantList& parametros = {}) const {
        clsBd bd;
        EXPECT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, QStringLiteral("QF"))));
        Recordset rs;
        bd.AbrirConsulta(sql, rs, parametros);
        return rs;
    }

    QVariant valor(const QString& sql, const QVariantList& parametros = {}) const {
        const Recordset rs = consultar(sql, parametros);
        return rs.eof() ? QVariant() : rs.value(0);
    }

    void executar(const QString& sql) const {
        clsBd bd;
        EXPECT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, QStringLiteral("QF"))));
        bd.Executar(sql);
    }

    QString pasta;
    QString ini;

  private:
    Espaco espaco_;
    std::unique_ptr<clsBd> base_;
};
