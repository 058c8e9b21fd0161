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

// A SELECT that compares a column for equality with a whole number written in its text
// ("WHERE (Numero = 12)") is prepared once with the number as a parameter, so that the same
// statement for another number reuses it instead of being parsed and planned again. The
// numbers go into the parameters in the order of the placeholders. False when there is none.
bool separarNumeros(const QString& sql, const QVariantList& parametros, QString& texto,
                    QVariantList& valores);

// Tables named after FROM and JOIN: where a result column's defined size is looked up.
QStringList tabelasDaInstrucao(const QString& sql);
