#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringView>

// Appends text as element content: markup escaped, carriage returns as references so they
// survive reading, characters XML 1.0 cannot hold left out.
void juntarTextoXml(QString& destino, const QString& texto);

// Appends an element as the program writes it into a web file: "<nome" + atributos + ">" + the
// text as juntarTextoXml gives it + "</nome>", or "<nome" + atributos + "/>" when nothing is left
// of the text.
void juntarElementoXml(QString& destino, QLatin1String nome, const QString& texto,
                       QStringView atributos = {});
