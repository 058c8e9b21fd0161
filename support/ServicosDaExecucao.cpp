#include "support/ServicosDaExecucao.h"

#include <QFileInfo>

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
