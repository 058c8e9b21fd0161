#include "platform/clsIni.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <optional>

#include "platform/Falha.h"
#include "platform/IdentidadeDeFicheiro.h"

namespace {

bool eSeccao(const QString& linha, QString* nome) {
    const QString t = linha.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    *nome = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool eComentarioOuVazia(const QString& linha) {
    const QString t = linha.trimmed();
    return t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

// Splits "key = value" at the first "="; the key is trimmed.
bool separarChave(const QString& linha, QString* chave, QString* valor) {
    if (eComentarioOuVazia(linha))
        return false;
    const qsizetype igual = linha.indexOf(QLatin1Char('='));
    if (igual <= 0)
        return false;
    *chave = linha.left(igual).trimmed();
    if (valor)
        *valor = linha.mid(igual + 1);
    return !chave->isEmpty();
}

// Blanks around the value are not part of it, unless the value is quoted, as Windows does.
QString valorLido(const QString& bruto) {
    QString v = bruto.trimmed();
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    return v;
}

QString valorEscrito(const QString& texto) {
    const bool precisaAspas =
        texto != texto.trimmed() || (texto.size() >= 2 && texto.startsWith(QLatin1Char('"')) &&
                                     texto.endsWith(QLatin1Char('"')));
    return precisaAspas ? QLatin1Char('"') + texto + QLatin1Char('"') : texto;
}

QString chaveDoIndice(const QString& seccao, const QString& chave) {
    return seccao.toCaseFolded() + QLatin1Char('\n') + chave.toCaseFolded();
}

// The line of every key that LerValor would find: in the first section of each name, the first
// line of each key.
std::shared_ptr<const QHash<QString, int>> indexar(const QStringList& linhas) {
    auto indice = std::make_shared<QHash<QString, int>>();
    QHash<QString, bool> seccoes;
    QString seccao;
    bool usada = false;
    for (int i = 0; i < linhas.size(); ++i) {
        QString nome;
        if (eSeccao(linhas[i], &nome)) {
            seccao = nome.toCaseFolded();
            usada = !seccoes.contains(seccao);
            seccoes.insert(seccao, true);
            continue;
        }
        QString k;
        if (usada && separarChave(linhas[i], &k, nullptr)) {
            const QString chave = seccao + QLatin1Char('\n') + k.toCaseFolded();
            if (!indice->contains(chave))
                indice->insert(chave, i);
        }
    }
    return indice;
}

struct FicheiroLido {
    IdentidadeDeFicheiro identidade;
    QStringList linhas;
    std::shared_ptr<const QHash<QString, int>> indice;
    bool crlf = false;
    bool bom = false;
};

struct FicheirosLidos {
    int memorias = 0;
    QHash<QString, FicheiroLido> lidos;
};

thread_local FicheirosLidos ficheirosLidos;

}  // namespace

clsIni::Memoria::Memoria() {
    ++ficheirosLidos.memorias;
}

clsIni::Memoria::~Memoria() {
    if (--ficheirosLidos.memorias == 0)
        ficheirosLidos.lidos.clear();
}

void clsIni::Ficheiro(const QString& caminho) {
    caminho_ = caminho;
    carregado_ = false;
    linhas_.clear();
}

bool clsIni::carregar() {
    if (carregado_)
        return true;
    linhas_.clear();
    indice_.reset();
    crlf_ = false;
    bom_ = false;
    std::optional<IdentidadeDeFicheiro> identidade;
    if (ficheirosLidos.memorias > 0) {
        identidade = IdentidadeDeFicheiro::de(caminho_);
        const auto lido = ficheirosLidos.lidos.constFind(caminho_);
        if (identidade && lido != ficheirosLidos.lidos.cend() && lido->identidade == *identidade) {
            linhas_ = lido->linhas;
            indice_ = lido->indice;
            crlf_ = lido->crlf;
            bom_ = lido->bom;
            carregado_ = true;
            return true;
        }
        ficheirosLidos.lidos.remove(caminho_);
    }
    QFile f(caminho_);
    if (!f.exists()) {
        carregado_ = true;
        return true;
    }
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray dados = f.readAll();
    if (dados.startsWith("\xEF\xBB\xBF")) {
        bom_ = true;
        dados.remove(0, 3);
    }
    crlf_ = dados.contains("\r\n");
    QString texto = QString::fromUtf8(dados);
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    texto.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    linhas_ = texto.split(QLatin1Char('\n'));
    if (!linhas_.isEmpty() && linhas_.last().isEmpty())
        linhas_.removeLast();
    carregado_ = true;
    // Kept only when the file did not change while it was read.
    if (identidade && IdentidadeDeFicheiro::de(caminho_) == identidade) {
        indice_ = indexar(linhas_);
        ficheirosLidos.lidos.insert(caminho_,
                                    FicheiroLido{*identidade, linhas_, indice_, crlf_, bom_});
    }
    return true;
}

// Index of the key's line in the section, or -1. fimDaSeccao receives the index after the
// section's last key line (-1 when the section is absent).
int clsIni::linhaDaChave(const QStringList& linhas, const QString& seccao, const QString& chave,
                         int* fimDaSeccao) {
    bool dentro = false;
    int encontrada = -1;
    int fim = -1;
    for (int i = 0; i < linhas.size(); ++i) {
        QString nome;
        if (eSeccao(linhas[i], &nome)) {
            if (dentro)
                break;  // the first section of that name is the one used
            dentro = nome.compare(seccao, Qt::CaseInsensitive) == 0;
            if (dentro)
                fim = i + 1;
            continue;
        }
        if (!dentro)
            continue;
        QString k;
        if (separarChave(linhas[i], &k, nullptr)) {
            fim = i + 1;
            if (encontrada < 0 && k.compare(chave, Qt::CaseInsensitive) == 0)
                encontrada = i;
        }
    }
    if (fimDaSeccao)
        *fimDaSeccao = fim;
    return encontrada;
}

QString clsIni::LerValor(const QString& seccao, const QString& chave) {
    if (!carregar())
        throw Falha(
            Falha::PermissaoNegada,
            QStringLiteral("Não foi possível ler o ficheiro de parâmetros %1").arg(caminho_));
    const int i = indice_ ? indice_->value(chaveDoIndice(seccao, chave), -1)
                          : linhaDaChave(linhas_, seccao, chave, nullptr);
    if (i < 0)
        return {};
    QString k, v;
    separarChave(linhas_[i], &k, &v);
    return valorLido(v);
}

bool clsIni::GravarValor(const QString& seccao, const QString& chave, const QString& texto) {
    return GravarValores({Valor{seccao, chave, texto}});
}

bool clsIni::definir(QStringList& linhas, const Valor& v) const {
    if (v.texto.contains(QLatin1Char('\n')) || v.texto.contains(QLatin1Char('\r')))
        return false;
    if (v.seccao.trimmed().isEmpty() || v.chave.trimmed().isEmpty() ||
        v.chave.contains(QLatin1Char('=')))
        return false;
    const QString linha = v.chave + QLatin1Char('=') + valorEscrito(v.texto);
    int fim = -1;
    const int i = linhaDaChave(linhas, v.seccao, v.chave, &fim);
    if (i >= 0) {
        linhas[i] = linha;
    } else if (fim >= 0) {
        linhas.insert(fim, linha);
    } else {
        if (!linhas.isEmpty() && !linhas.last().trimmed().isEmpty())
            linhas.append(QString());
        linhas.append(QLatin1Char('[') + v.seccao + QLatin1Char(']'));
        linhas.append(linha);
    }
    return true;
}

bool clsIni::GravarValores(const QList<Valor>& valores) {
    carregado_ = false;  // another writer may have changed the file since it was read
    if (!carregar())
        return false;
    QStringList novas = linhas_;
    for (const Valor& v : valores)
        if (!definir(novas, v))
            return false;

    const QString fimDeLinha = crlf_ ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QByteArray dados;
    if (bom_)
        dados.append("\xEF\xBB\xBF");
    for (const QString& l : novas)
        dados.append((l + fimDeLinha).toUtf8());

    ficheirosLidos.lidos.remove(caminho_);
    QSaveFile f(caminho_);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(dados) != dados.size()) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit())
        return false;
    linhas_ = novas;
    indice_.reset();
    return true;
}
