#include "support/ServicosDaExecucao.h"

#include <QStringList>

#include <QDir>
#include <algorithm>

#include "base/Falha.h"
#include "platform/ficheiros/ListagemDeFicheiros.h"

void ServicosDaExecucao::Mostrar(const QString& texto) {
    Escrever(texto);
    AddLista(texto);
}

void ServicosDaExecucao::AddFalha(const Falha& falha, const QString& funcao, const QString& dono) {
    AddErro(TextoDoErro(falha.numero(), falha.descricao(), funcao, dono));
}

void ServicosDaExecucao::RecusarEntradas(const QString& passo, const ListagemDeFicheiros& lista) {
    for (const ListagemDeFicheiros::Recusada& r : lista.Recusadas()) {
        ResultadoDoFicheiro resultado;
        resultado.ficheiro = r.nome;
        resultado.texto = QStringLiteral(
                              "O ficheiro %1 da pasta de entrada %2 %3; não foi lido "
                              "e fica onde está.")
                              .arg(r.nome, QDir::toNativeSeparators(lista.Path()), r.razao);
        Resultado(passo, resultado);
    }
}

void ResumoDaExecucao::contar(const QString& passo, const ResultadoDoFicheiro& r) {
    using E = ResultadoDoFicheiro::Estado;
    // A changed contact not sent is said, not counted among the web files refused.
    if (passo == QLatin1String("envio") && r.estado != E::Enviado)
        return;
    if (r.estado == E::Enviado) {
        auto i = std::find_if(contactosEnviados.begin(), contactosEnviados.end(),
                              [&](const auto& e) { return e.first == r.empresa; });
        if (i == contactosEnviados.end())
            contactosEnviados.append({r.empresa, 1});
        else
            ++i->second;
        return;
    }
    const bool contactos = passo == QLatin1String("contactos");
    if (r.gravadoAgora && r.estado != E::Gravado)
        ++encomendasGravadas;
    if (r.estado == E::Adicionado)
        ++contactosAdicionados;
    else if (r.estado == E::Conhecido)
        ++contactosConhecidos;
    else if (r.estado == E::Gravado)
        ++encomendasGravadas;
    else if (r.estado == E::JaGravado)
        ++encomendasJaGravadas;
    else
        ++(contactos ? contactosRecusados : encomendasRecusadas);
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
