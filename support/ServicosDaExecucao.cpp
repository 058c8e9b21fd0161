#include "support/ServicosDaExecucao.h"

#include <QStringList>

#include <QDir>

#include "base/Falha.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"

void ServicosDaExecucao::Mostrar(const QString& texto) {
    Escrever(texto);
    AddLista(texto);
}

void ServicosDaExecucao::AddFalha(const Falha& falha, const QString& funcao, const QString& dono) {
    AddErro(TextoDoErro(falha.numero(), falha.descricao(), funcao, dono));
}

int ServicosDaExecucao::RecusarEntradas(const ListagemDeFicheiros& lista) {
    for (const ListagemDeFicheiros::Recusada& r : lista.Recusadas())
        AddErro(QStringLiteral("O ficheiro %1 da pasta de entrada %2 %3; não foi lido e fica "
                               "onde está.")
                    .arg(r.nome, QDir::toNativeSeparators(lista.Path()), r.razao));
    return int(lista.Recusadas().size());
}

QString TextoDoErro(int numero, const QString& descricao, const QString& funcao,
                    const QString& dono) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Erro ") + QString::number(numero) + crlf + QLatin1Char('(') + descricao +
           QLatin1Char(')') + crlf + QStringLiteral("Na função ") + funcao +
           QStringLiteral(" do ") + dono;
}

QString ResumoDaExecucao::texto(int erros) const {
    QStringList enviados;
    for (const auto& [empresa, quantos] : contactosEnviados)
        enviados << empresa + QLatin1Char(' ') + QString::number(quantos);
    return QStringLiteral(
               "Resumo: contactos enviados %1; contactos adicionados %2, já existentes %3, "
               "recusados %4; encomendas gravadas %5, já gravadas %6, recusadas %7; erros %8")
        .arg(enviados.isEmpty() ? QStringLiteral("0") : enviados.join(QStringLiteral(", ")))
        .arg(contactosAdicionados)
        .arg(contactosConhecidos)
        .arg(contactosRecusados)
        .arg(encomendasGravadas)
        .arg(encomendasJaGravadas)
        .arg(encomendasRecusadas)
        .arg(erros);
}
