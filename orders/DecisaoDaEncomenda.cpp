#include "orders/DecisaoDaEncomenda.h"

#include <QDateTime>
#include <QStringList>

namespace {

using Accao = PlanoDaEncomenda::Accao;

PlanoDaEncomenda recusar(const FactosDaEncomenda& f, const QString& razao) {
    PlanoDaEncomenda p;
    p.razao = aEncomenda(f.nome, f.numero, f.empresa) + QLatin1Char(' ') + razao;
    return p;
}

// A prospect's order whose contact was not there when the order was first met, with what the
// office needs to act: whom a contact of that code was made into, and when.
QString semContacto(const FactosDaEncomenda& f, const QString& quando) {
    QString texto = QStringLiteral(
                        "é do contacto %1, que não existia quando a encomenda foi lida pela "
                        "primeira vez, em %2; não foi feito nenhum cliente para ela e fica na "
                        "pasta de entrada.")
                        .arg(f.cliente, dataLegivel(quando));
    if (!f.historiaDoContacto.isEmpty())
        texto += f.historiaDoContacto + QStringLiteral(
                                            " Se a encomenda é desse cliente, corrija o "
                                            "ficheiro.");
    return texto;
}

// A file that holds IDENCSAGE is moved only when a block names a document of this web order
// number whose customer is the order's: for a prospect, the customer in the block, made for
// this very order when the conversion is on record.
PlanoDaEncomenda decidirGravada(const FactosDaEncomenda& f) {
    for (const DocumentoDoFicheiro& g : f.gravados) {
        const QString cliente = f.prospect ? g.IdCliente : f.cliente;
        if (cliente.isEmpty() || (f.conversao && (f.conversao->CodigoContacto != f.cliente ||
                                                  f.conversao->CodigoCliente != cliente)))
            continue;
        for (const IdentidadeDocumento& d : f.documentos)
            if (d.mesmoDocumento(g.Documento) && d.Terceiro == cliente) {
                PlanoDaEncomenda p;
                p.accao = Accao::Mover;
                p.documento = d;
                return p;
            }
    }
    QStringList nomeados;
    for (const DocumentoDoFicheiro& g : f.gravados)
        nomeados << g.Documento.texto() + (g.IdCliente.isEmpty()
                                               ? QString()
                                               : QStringLiteral(" (cliente %1)").arg(g.IdCliente));
    return recusar(f, QStringLiteral("já tem no ficheiro o documento %1, mas a contabilidade não "
                                     "tem esse documento da encomenda Web %2 para o cliente "
                                     "desta encomenda%3; fica na pasta de entrada.")
                          .arg(nomeados.join(QStringLiteral(", ")))
                          .arg(f.numero)
                          .arg(f.prospect ? QString() : QStringLiteral(" (%1)").arg(f.cliente)));
}

}  // namespace

QString aEncomenda(const QString& nome, qint32 numero, const QString& empresa) {
    return QStringLiteral("A encomenda %1 (n.º %2 da empresa %3)")
        .arg(nome)
        .arg(numero)
        .arg(empresa);
}

QString dataLegivel(const QString& iso) {
    const QDateTime d = QDateTime::fromString(iso, Qt::ISODate);
    return d.isValid() ? d.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")) : iso;
}

PlanoDaEncomenda decidirEncomenda(const FactosDaEncomenda& f) {
    PlanoDaEncomenda p;
    if (!f.destinoOcupado.isEmpty()) {
        p.razao = QStringLiteral(
                      "A encomenda %1 não foi lida: na pasta de saída, o seu nome é %2, "
                      "que fica como está; a encomenda fica na pasta de entrada.")
                      .arg(f.nome, f.destinoOcupado);
        return p;
    }
    if (f.naoLida) {
        p.razao = QStringLiteral("A encomenda %1 não foi lida: %2").arg(f.nome, *f.naoLida);
        return p;
    }
    if (!f.contabilidadeAberta)
        return recusar(f, QStringLiteral("não foi gravada; fica na pasta de entrada."));
    if (!f.gravados.isEmpty())
        return decidirGravada(f);

    QString cliente = f.cliente;
    if (f.prospect) {
        if (const std::optional<ConversaoDeEncomenda>& feita = f.conversao) {
            if (feita->CodigoContacto == f.cliente && feita->CodigoCliente.isEmpty())
                return recusar(f, semContacto(f, feita->Data));
            // The conversion deleted its contact: a contact of that code there now is another
            // one, given the code again.
            if (feita->CodigoContacto != f.cliente || f.contactoExiste)
                return recusar(f, QStringLiteral("é do contacto %1, mas com esse número já foi "
                                                 "feito do contacto %2 (outro, ou um anterior com "
                                                 "o mesmo código) o cliente %3 em %4; fica na "
                                                 "pasta de entrada.")
                                      .arg(f.cliente, feita->CodigoContacto, feita->CodigoCliente,
                                           dataLegivel(feita->Data)));
            p.novoCliente = cliente = feita->CodigoCliente;
            p.idUnico = feita->Id_Unico;
        } else if (!f.documentos.isEmpty()) {
            return recusar(f, QStringLiteral("é do contacto %1, mas a contabilidade já tem o "
                                             "documento %2 de outra encomenda com esse número "
                                             "(Web %3), do cliente %4; o contacto não foi feito "
                                             "cliente e a encomenda fica na pasta de entrada.")
                                  .arg(f.cliente, f.documentos.first().texto())
                                  .arg(f.numero)
                                  .arg(f.documentos.first().Terceiro));
        } else if (!f.contactoExiste) {
            // Remembered, so that a contact given this code later is not taken for this
            // order's.
            p = recusar(f, semContacto(f, f.agora));
            p.accao = Accao::RegistarSemContacto;
            p.semContacto = {f.empresa, f.numero, f.cliente, {}, {}, f.agora};
            return p;
        } else if (!f.haModelo) {
            return recusar(f, QStringLiteral("é do contacto %1, que não pôde ser feito cliente: a "
                                             "empresa não tem o cliente modelo (NUMERO -1); fica "
                                             "na pasta de entrada.")
                                  .arg(f.cliente));
        } else {
            p.accao = Accao::ConverterEGravar;
            return p;
        }
    }

    // Stored for this order by a run that ended before it could mark the file.
    for (const IdentidadeDocumento& d : f.documentos)
        if (d.Terceiro == cliente) {
            p.accao = Accao::MarcarEMover;
            p.documento = d;
            p.cliente = cliente;
            return p;
        }
    if (!f.documentos.isEmpty())
        return recusar(f, QStringLiteral("não é gravada: a contabilidade já tem o documento %1 de "
                                         "outra encomenda com esse número (Web %2), do cliente "
                                         "%3, e esta encomenda é do cliente %4; fica na pasta de "
                                         "entrada.")
                              .arg(f.documentos.first().texto())
                              .arg(f.numero)
                              .arg(f.documentos.first().Terceiro, cliente));
    p.accao = Accao::Gravar;
    p.cliente = cliente;
    return p;
}
