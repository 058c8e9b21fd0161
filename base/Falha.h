#pragma once

#include <QString>
#include <exception>

// A failure raised by an operation to its caller, with a number and a description
// the run can report ("Erro " + numero + ... + descricao).
class Falha : public std::exception {
  public:
    // Numbers follow the classic runtime error numbers the users' reports already use.
    enum Numero : int {
        TipoIncompativel = 13,
        FicheiroNaoEncontrado = 53,
        ErroDeEscrita = 57,
        PermissaoNegada = 70,
        CaminhoNaoEncontrado = 76,
        ObjectoNaoDefinido = 91,
        ErroDeBaseDeDados = 3146,
        ErroDaContabilidade = 440,
        EmUso = 3260,  // locked by another run
        ErroInterno = 51,
        // A web file that is a link, a pipe, a device or a folder; one over the size limit.
        // The numbers of the file reports users already quote (1001 to 1005) go on from here.
        FicheiroNaoNormal = 1006,
        FicheiroDemasiadoGrande = 1007,
    };

    Falha(int numero, QString descricao)
        : numero_(numero), descricao_(std::move(descricao)), utf8_(descricao_.toUtf8()) {}

    int numero() const noexcept { return numero_; }
    const QString& descricao() const noexcept { return descricao_; }
    const char* what() const noexcept override { return utf8_.constData(); }

  private:
    int numero_;
    QString descricao_;
    QByteArray utf8_;
};
