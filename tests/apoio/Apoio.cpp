#include "tests/apoio/Apoio.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/ScriptSql.h"
#include "platform/clsStringLigacao.h"

Espaco::Espaco() {
    EXPECT_TRUE(dir_.isValid());
}

QString Espaco::caminho(const QString& relativo) const {
    return relativo.isEmpty() ? dir_.path() : dir_.filePath(relativo);
}

QString Espaco::pasta(const QString& relativo) const {
    QDir().mkpath(caminho(relativo));
    return caminho(relativo);
}

QString Espaco::escrever(const QString& relativo, const QByteArray& conteudo) const {
    const QString c = caminho(relativo);
    QDir().mkpath(QFileInfo(c).absolutePath());
    QFile f(c);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << c.toStdString();
    f.write(conteudo);
    return c;
}

QByteArray Espaco::ler(const QString& relativo) const {
    return lerFicheiro(caminho(relativo));
}

bool Espaco::existe(const QString& relativo) const {
    return QFile::exists(caminho(relativo));
}

QByteArray lerFicheiro(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString stringLigacaoEmbutida(const QString& pasta, const QString& nome) {
    clsStringLigacao s;
    s.Provider = QStringLiteral("MSDataShape");
    s.Opcao = 1;
    s.Servidor = pasta;
    s.BaseDeDados = nome;
    return s.StringLigacao();
}

void criarBaseDeDados(const QString& pasta, const QString& nome, const QStringList& scripts) {
    QDir().mkpath(pasta);
    QFile ficheiro(QDir(pasta).filePath(nome + QStringLiteral(".db")));
    ASSERT_TRUE(ficheiro.open(QIODevice::WriteOnly | QIODevice::Append));
    ficheiro.close();
    clsBd bd;
    ASSERT_TRUE(bd.Ligar(stringLigacaoEmbutida(pasta, nome))) << bd.UltimoErro().toStdString();
    for (const QString& s : scripts) {
        const QString texto =
            s.contains(QLatin1Char(' '))
                ? s
                : QString::fromUtf8(lerFicheiro(QStringLiteral(MARELO_SOURCE_DIR "/") + s));
        executarScriptSql(bd, texto);
    }
}
