#pragma once

#include <QString>

// The statements of the system are written in T-SQL. The embedded SQLite database understands
// them once the few T-SQL-only forms are rewritten: "TOP (n)" becomes "LIMIT n" at the end of
// its SELECT, "WITH (NOLOCK)" goes, and N'...' literals lose their N.
QString adaptarSqlParaSqlite(const QString& tsql);
