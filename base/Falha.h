#pragma once

#include <QString>
#include <exception>

// A failure raised by an operation to its caller, with a number and a description that name what
// failed (a file, a company, a statement); the run reports it as "Erro " + numero + ... +
// descricao.
class Falha : public std::exception {
  public:
    // The one table of the program's error numbers. Most follow the classic runtime error numbers
    // the users' reports already use; those of the web files' reports (1001 and on) are the
    // program's own.
    enum Numero : int {
        ExcessoDeCapacidade = 6,  // an amount or a number beyond its range
        TipoIncompativel = 13,
        ErroInterno = 51,
        FicheiroNaoEncontrado = 53,
        ErroDeEscrita = 57,
        PermissaoNegada = 70,
        CaminhoNaoEncontrado = 76,
        ObjectoNaoDefinido = 91,
        UsoInvalidoDeNulo = 94,    // a value the work needs is missing
        ClasseDesconhecida = 429,  // the accounting cannot create an object of that class
        ErroDaContabilidade = 440,
        ErroDeBaseDeDados = 3146,
        EmUso = 3260,  // locked by another run
        // A web file: cannot be opened, not well-formed XML, bytes not valid in its encoding, an
        // encoding not supported, nested too deep, not a regular file, larger than the limit.
        FicheiroNaoAbriu = 1001,
        XmlMalFormado = 1002,
        CodificacaoErrada = 1003,
        CodificacaoDesconhecida = 1004,
        ProfundidadeExcessiva = 1005,
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
