#pragma once

#include <QString>
#include <QStringList>

class clsBd;

// Splits a SQL script into its statements: at ";" outside literals, comments and trigger bodies.
QStringList dividirScriptSql(const QString& script);

// Runs every statement of a script on the connection, in one transaction. Raises Falha.
void executarScriptSql(clsBd& bd, const QString& script);
