#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// The dialects the system's statements meet: T-SQL, in which they are written, on SQL Server, and
// SQLite's, on the embedded database (or SQLite reached through ODBC).
enum class DialectoSql { SqlServer, Sqlite };

// The statements of the system are written in T-SQL. The embedded SQLite database understands
// them once the few T-SQL-only forms are rewritten: "TOP (n)" becomes "LIMIT n" at the end of
// its SELECT, "WITH (NOLOCK)" goes, and N'...' literals lose their N.
QString adaptarSqlParaSqlite(const QString& tsql);

// A column name quoted as the dialect quotes names: "..." in SQLite, [...] in SQL Server.
QString citarNome(const QString& nome, DialectoSql dialecto);

// Tables named after FROM and JOIN: where a result column's defined size is looked up.
QStringList tabelasDaInstrucao(const QString& sql);
