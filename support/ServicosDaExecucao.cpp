#include "support/ServicosDaExecucao.h"

#include <QFileInfo>
#include <QStringList>

#include "platform/Falha.h"

void ServicosDaExecucao::Mostrar(const QString& texto) {
    Escrever(texto);
    AddLista(texto);
}

void ServicosDaExecucao::AddFalha(const Falha& falha, const QString& funcao, const QString& dono) {
    AddErro(TextoDoErro(falha.numero(), falha.descricao(), funcao, dono));
}

QString TextoDoErro(int numero, const QString& descricao, const QString& funcao,
                    const QString& dono) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Erro ") + QString::number(numero) + crlf + QLatin1Char('(') + descricao +
           QLatin1Char(')') + crlf + QStringLiteral("Na função ") + funcao +
           QStringLiteral(" do ") + dono;
}

bool TamanhoAceitavel(ServicosDaExecucao& servicos, const QString& caminho, const QString& nome) {
    const qint64 tamanho = QFileInfo(caminho).size();
    if (tamanho <= TamanhoMaximoDeFicheiro)
        return true;
    servicos.AddErro(QStringLiteral("O ficheiro %1 tem %2 bytes, mais do que os %3 que um "
                                    "ficheiro da loja pode ter; não foi lido e fica na pasta de "
                                    "entrada.")
                         .arg(nome)
                         .arg(tamanho)
                         .arg(TamanhoMaximoDeFicheiro));
    return false;
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
