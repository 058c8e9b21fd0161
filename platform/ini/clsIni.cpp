#include "platform/ini/clsIni.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include "base/Falha.h"
#include "base/Windows1252.h"
#include "platform/ficheiros/GravacaoAtomica.h"

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
std::shared_ptr<const QHash<QString, int>> indexar(const QList<clsIni::Linha>& linhas) {
    auto indice = std::make_shared<QHash<QString, int>>();
    QHash<QString, bool> seccoes;
    QString seccao;
    bool usada = false;
    for (int i = 0; i < linhas.size(); ++i) {
        QString nome;
        if (eSeccao(linhas[i].texto, &nome)) {
            seccao = nome.toCaseFolded();
            usada = !seccoes.contains(seccao);
            seccoes.insert(seccao, true);
            continue;
        }
        QString k;
        if (usada && separarChave(linhas[i].texto, &k, nullptr)) {
            const QString chave = seccao + QLatin1Char('\n') + k.toCaseFolded();
            if (!indice->contains(chave))
                indice->insert(chave, i);
        }
    }
    return indice;
}

QString descodificar(const QByteArray& bytes, clsIni::Codificacao codificacao) {
    if (codificacao == clsIni::Codificacao::Utf8)
        return QString::fromUtf8(bytes);
    QString texto(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        texto[i] = QChar(caracterWindows1252(static_cast<unsigned char>(bytes[i])));
    return texto;
}

// Null when the encoding has not every character of the text.
QByteArray codificar(const QString& texto, clsIni::Codificacao codificacao) {
    if (codificacao == clsIni::Codificacao::Utf8)
        return texto.toUtf8();
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (const char32_t u : texto.toUcs4()) {
        const int b = byteWindows1252(u);
        if (b < 0)
            return {};
        bytes.append(char(b));
    }
    return bytes;
}

bool utf8Valido(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texto = utf8.decode(bytes);  // decoding happens on conversion to QString
    return !utf8.hasError();
}

// The lines of the file with their own ends: CR LF, LF, CR, or none for a last line without one.
QList<clsIni::Linha> dividir(const QByteArray& dados, clsIni::Codificacao codificacao) {
    QList<clsIni::Linha> linhas;
    qsizetype inicio = 0;
    for (qsizetype i = 0; i < dados.size(); ++i) {
        if (dados[i] != '\r' && dados[i] != '\n')
            continue;
        const qsizetype fim =
            dados[i] == '\r' && i + 1 < dados.size() && dados[i + 1] == '\n' ? 2 : 1;
        const QByteArray bytes = dados.mid(inicio, i - inicio);
        linhas.append({descodificar(bytes, codificacao), bytes, dados.mid(i, fim)});
        i += fim - 1;
        inicio = i + 1;
    }
    if (inicio < dados.size()) {
        const QByteArray bytes = dados.mid(inicio);
        linhas.append({descodificar(bytes, codificacao), bytes, QByteArray()});
    }
    return linhas;
}

// The line end most lines of the file have; LF for a file without any.
QByteArray fimMaisComum(const QList<clsIni::Linha>& linhas) {
    QByteArray melhor = "\n";
    int vezesDoMelhor = 0;
    for (const char* fim : {"\r\n", "\n", "\r"}) {
        const int vezes =
            int(std::count_if(linhas.cbegin(), linhas.cend(),
                              [fim](const clsIni::Linha& l) { return l.fim == fim; }));
        if (vezes > vezesDoMelhor) {
            melhor = fim;
            vezesDoMelhor = vezes;
        }
    }
    return melhor;
}

// Inserts a new line; at the end of a file whose last line has no end, the old last line takes
// one and the new line goes without, so the file still ends as it did.
void inserir(QList<clsIni::Linha>& linhas, qsizetype onde, const QString& texto) {
    clsIni::Linha nova{texto, QByteArray(), fimMaisComum(linhas)};
    if (onde == linhas.size() && !linhas.isEmpty() && linhas.last().fim.isEmpty()) {
        linhas.last().fim = nova.fim;
        nova.fim.clear();
    }
    linhas.insert(onde, nova);
}

}  // namespace

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
    codificacao_ = Codificacao::Utf8;
    bom_ = false;
    QFile f(caminho_);
    if (!f.exists()) {
        indice_ = indexar(linhas_);
        carregado_ = true;
        return true;
    }
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray dados = f.readAll();
    // A file read in part would be written back in part.
    if (f.error() != QFileDevice::NoError)
        return false;
    if (dados.startsWith("\xEF\xBB\xBF")) {
        bom_ = true;
        dados.remove(0, 3);
    } else if (!utf8Valido(dados)) {
        codificacao_ = Codificacao::Windows1252;
    }
    linhas_ = dividir(dados, codificacao_);
    indice_ = indexar(linhas_);
    carregado_ = true;
    return true;
}

// Index of the key's line in the section, or -1. fimDaSeccao receives the index after the
// section's last key line (-1 when the section is absent).
int clsIni::linhaDaChave(const QList<Linha>& linhas, const QString& seccao, const QString& chave,
                         int* fimDaSeccao) {
    bool dentro = false;
    int encontrada = -1;
    int fim = -1;
    for (int i = 0; i < linhas.size(); ++i) {
        QString nome;
        if (eSeccao(linhas[i].texto, &nome)) {
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
        if (separarChave(linhas[i].texto, &k, nullptr)) {
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
    const int i = indice_->value(chaveDoIndice(seccao, chave), -1);
    if (i < 0)
        return {};
    QString k, v;
    separarChave(linhas_[i].texto, &k, &v);
    return valorLido(v);
}

bool clsIni::GravarValor(const QString& seccao, const QString& chave, const QString& texto) {
    return GravarValores({Valor{seccao, chave, texto}});
}

bool clsIni::definir(QList<Linha>& linhas, const Valor& v) const {
    if (v.texto.contains(QLatin1Char('\n')) || v.texto.contains(QLatin1Char('\r')))
        return false;
    if (v.seccao.trimmed().isEmpty() || v.chave.trimmed().isEmpty() ||
        v.chave.contains(QLatin1Char('=')))
        return false;
    int fim = -1;
    const int i = linhaDaChave(linhas, v.seccao, v.chave, &fim);
    if (i >= 0) {
        QString chave, antigo;
        separarChave(linhas[i].texto, &chave, &antigo);
        if (valorLido(antigo) == v.texto)
            return true;  // the line stays byte for byte
        // Only the value changes: the key as written and the blanks around the value stay.
        const qsizetype igual = linhas[i].texto.indexOf(QLatin1Char('='));
        qsizetype antes = 0;
        while (antes < antigo.size() && antigo.at(antes).isSpace())
            ++antes;
        qsizetype depois = 0;
        while (depois < antigo.size() - antes && antigo.at(antigo.size() - 1 - depois).isSpace())
            ++depois;
        linhas[i].texto = linhas[i].texto.left(igual + 1) + antigo.left(antes) +
                          valorEscrito(v.texto) + antigo.right(depois);
        linhas[i].bytes = QByteArray();
    } else if (fim >= 0) {
        inserir(linhas, fim, v.chave + QLatin1Char('=') + valorEscrito(v.texto));
    } else {
        if (!linhas.isEmpty() && !linhas.last().texto.trimmed().isEmpty())
            inserir(linhas, linhas.size(), QString());
        inserir(linhas, linhas.size(), QLatin1Char('[') + v.seccao + QLatin1Char(']'));
        inserir(linhas, linhas.size(), v.chave + QLatin1Char('=') + valorEscrito(v.texto));
    }
    return true;
}

bool clsIni::PodeGuardar(const QString& texto) {
    carregado_ = false;
    return !carregar() || !codificar(texto, codificacao_).isNull() || texto.isEmpty();
}

bool clsIni::GravarValores(const QList<Valor>& valores) {
    carregado_ = false;  // another writer may have changed the file since it was read
    if (!carregar())
        return false;
    QList<Linha> novas = linhas_;
    for (const Valor& v : valores)
        if (!definir(novas, v))
            return false;

    QByteArray dados;
    if (bom_)
        dados.append("\xEF\xBB\xBF");
    for (Linha& l : novas) {
        if (l.bytes.isNull()) {
            l.bytes = codificar(l.texto, codificacao_);
            if (l.bytes.isNull() && !l.texto.isEmpty())
                return false;  // a character the file's encoding has not
        }
        dados.append(l.bytes).append(l.fim);
    }

    // Under a fixed temporary name, which the next save takes over if a run is killed meanwhile;
    // through a link, as sites keep the settings file.
    QString erro;
    if (!gravarAtomicamente(caminho_, dados, &erro, nullptr, true, true))
        return false;
    linhas_ = novas;
    indice_ = indexar(linhas_);
    return true;
}
