// The floor a run can be measured against: the same work as one run of marelo-sync over the
// same workspace, done as directly as possible. It sends the changed contacts of both companies
// as contact files and moves their watermarks, adds the web contacts to the CRM and keeps their
// files as backups, and turns every web order into a numbered document (with a prospect made a
// customer first), writes the document's identity back into the file and moves it to the outbox.
//
// Plain SQLite: one connection per company kept for the whole run, WAL with synchronous=NORMAL,
// every statement prepared once, one transaction per item. Files are parsed with Qt's streaming
// reader and written through a temporary file and a rename (atomic, not flushed: a killed
// process leaves the old file or the new one, never a part of one).
//
//   baseline SETTINGS-FILE
#include <fcntl.h>
#include <fnmatch.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using Texto = std::string;

[[noreturn]] void falhar(const Texto& porque) {
    throw std::runtime_error(porque);
}

// ---- settings ----

Texto minusculas(Texto s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

Texto aparar(const Texto& s) {
    const auto i = s.find_first_not_of(" \t\r");
    if (i == Texto::npos)
        return {};
    return s.substr(i, s.find_last_not_of(" \t\r") - i + 1);
}

struct Ini {
    Texto caminho;
    std::vector<Texto> linhas;
    std::map<Texto, std::map<Texto, Texto>> valores;  // lower-case section -> key -> value

    explicit Ini(Texto c) : caminho(std::move(c)) {
        FILE* f = std::fopen(caminho.c_str(), "rb");
        if (!f)
            falhar("cannot read " + caminho);
        char buf[4096];
        Texto seccao;
        while (std::fgets(buf, sizeof buf, f)) {
            Texto l = buf;
            while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
                l.pop_back();
            linhas.push_back(l);
            const Texto t = aparar(l);
            if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
                seccao = minusculas(aparar(t.substr(1, t.size() - 2)));
            } else if (const auto igual = t.find('='); igual != Texto::npos && igual > 0) {
                auto& s = valores[seccao];
                const Texto chave = minusculas(aparar(t.substr(0, igual)));
                if (!s.count(chave))
                    s[chave] = aparar(t.substr(igual + 1));
            }
        }
        std::fclose(f);
    }

    Texto ler(const Texto& seccao, const Texto& chave) const {
        const auto s = valores.find(minusculas(seccao));
        if (s == valores.end())
            return {};
        const auto v = s->second.find(minusculas(chave));
        return v == s->second.end() ? Texto() : v->second;
    }
};

// ---- files ----

QByteArray lerFicheiro(const Texto& caminho) {
    QFile f(QString::fromStdString(caminho));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The new content in a temporary file beside the old one, then renamed over it.
void gravarAtomicamente(const Texto& caminho, const char* dados, size_t n) {
    const Texto temporario = caminho + ".tmp";
    const int fd = ::open(temporario.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        falhar("cannot write " + temporario);
    size_t feito = 0;
    while (feito < n) {
        const ssize_t w = ::write(fd, dados + feito, n - feito);
        if (w <= 0) {
            ::close(fd);
            ::unlink(temporario.c_str());
            falhar("cannot write " + temporario);
        }
        feito += size_t(w);
    }
    if (::close(fd) != 0 || std::rename(temporario.c_str(), caminho.c_str()) != 0) {
        ::unlink(temporario.c_str());
        falhar("cannot save " + caminho);
    }
}

std::vector<Texto> listar(const Texto& pasta, const Texto& padrao) {
    std::vector<Texto> nomes;
    const QStringList todos = QDir(QString::fromStdString(pasta)).entryList(QDir::Files);
    for (const QString& n : todos) {
        const QByteArray b = n.toUtf8();
        if (fnmatch(padrao.c_str(), b.constData(), FNM_CASEFOLD) == 0)
            nomes.emplace_back(b.constData(), size_t(b.size()));
    }
    std::sort(nomes.begin(), nomes.end());
    return nomes;
}

Texto juntar(const Texto& pasta, const Texto& nome) {
    return pasta.empty() || pasta.back() == '/' ? pasta + nome : pasta + '/' + nome;
}

void escapar(Texto& saida, const Texto& t) {
    for (const char c : t) {
        switch (c) {
            case '&':
                saida += "&amp;";
                break;
            case '<':
                saida += "&lt;";
                break;
            case '>':
                saida += "&gt;";
                break;
            case '"':
                saida += "&quot;";
                break;
            case '\r':
                saida += "&#13;";
                break;
            default:
                saida += c;
        }
    }
}

// ---- database ----

class Instrucao {
  public:
    Instrucao(sqlite3* bd, const char* sql) : bd_(bd) {
        if (sqlite3_prepare_v3(bd, sql, -1, SQLITE_PREPARE_PERSISTENT, &st_, nullptr) != SQLITE_OK)
            falhar(Texto(sqlite3_errmsg(bd)) + " in " + sql);
    }
    ~Instrucao() { sqlite3_finalize(st_); }
    Instrucao(const Instrucao&) = delete;
    Instrucao& operator=(const Instrucao&) = delete;

    // Binds every value in order, from the first parameter.
    template <class... T>
    Instrucao& com(const T&... valores) {
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
        int i = 0;
        (ligar(++i, valores), ...);
        return *this;
    }
    bool linha() {
        const int r = sqlite3_step(st_);
        if (r == SQLITE_ROW)
            return true;
        if (r != SQLITE_DONE)
            falhar(sqlite3_errmsg(bd_));
        return false;
    }
    void executar() {
        linha();
        sqlite3_reset(st_);
    }
    Texto texto(int c) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, c));
        return p ? Texto(p, size_t(sqlite3_column_bytes(st_, c))) : Texto();
    }
    sqlite3_int64 inteiro(int c) const { return sqlite3_column_int64(st_, c); }
    double real(int c) const { return sqlite3_column_double(st_, c); }
    bool nulo(int c) const { return sqlite3_column_type(st_, c) == SQLITE_NULL; }
    sqlite3_value* valor(int c) const { return sqlite3_column_value(st_, c); }
    int colunas() const { return sqlite3_column_count(st_); }
    const char* nome(int c) const { return sqlite3_column_name(st_, c); }
    void ligar(int i, const Texto& t) {
        sqlite3_bind_text(st_, i, t.data(), int(t.size()), SQLITE_TRANSIENT);
    }
    void ligar(int i, const char* t) { sqlite3_bind_text(st_, i, t, -1, SQLITE_TRANSIENT); }
    void ligar(int i, int v) { sqlite3_bind_int64(st_, i, v); }
    void ligar(int i, sqlite3_int64 v) { sqlite3_bind_int64(st_, i, v); }
    void ligar(int i, double v) { sqlite3_bind_double(st_, i, v); }
    void ligar(int i, sqlite3_value* v) { sqlite3_bind_value(st_, i, v); }

  private:
    sqlite3* bd_;
    sqlite3_stmt* st_ = nullptr;
};

class Bd {
  public:
    explicit Bd(const Texto& ficheiro) {
        if (sqlite3_open_v2(ficheiro.c_str(), &bd_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            falhar("cannot open " + ficheiro);
        sqlite3_busy_timeout(bd_, 10000);
        executar("PRAGMA journal_mode=WAL");
        executar("PRAGMA synchronous=NORMAL");
    }
    ~Bd() {
        instrucoes_.clear();
        sqlite3_close_v2(bd_);
    }
    void executar(const char* sql) {
        if (sqlite3_exec(bd_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            falhar(Texto(sqlite3_errmsg(bd_)) + " in " + sql);
    }
    void anular() noexcept { sqlite3_exec(bd_, "ROLLBACK", nullptr, nullptr, nullptr); }
    Instrucao& q(const char* sql) {
        auto& i = instrucoes_[sql];
        if (!i)
            i = std::make_unique<Instrucao>(bd_, sql);
        return *i;
    }

  private:
    sqlite3* bd_ = nullptr;
    std::unordered_map<const char*, std::unique_ptr<Instrucao>> instrucoes_;
};

// One transaction; rolled back unless confirmed.
class Transaccao {
  public:
    explicit Transaccao(Bd& bd) : bd_(bd) { bd_.executar("BEGIN IMMEDIATE"); }
    ~Transaccao() {
        if (!feita_)
            bd_.anular();
    }
    void confirmar() {
        bd_.executar("COMMIT");
        feita_ = true;
    }

  private:
    Bd& bd_;
    bool feita_ = false;
};

// ---- the run ----

// The tables of the built-in accounting system: db/accounting.sql, built into this program as
// into marelo-sync.
std::string esquemaDaContabilidade() {
    QFile f(QStringLiteral(":/marelo/accounting.sql"));
    if (!f.open(QIODevice::ReadOnly))
        falhar("the accounting schema is not built in");
    return f.readAll().toStdString();
}

struct Empresa {
    Texto codigo, tipoDoc, sector, artPortes, armazem;
    int serie = 1;
    std::unique_ptr<Bd> bd;
};

struct Execucao {
    const Ini& ini;
    std::map<Texto, Empresa> empresas;
    FILE* log = nullptr;
    long contactosEnviados = 0, contactosImportados = 0, encomendasGravadas = 0, falhas = 0;

    explicit Execucao(const Ini& i) : ini(i) {}

    Empresa& empresa(const Texto& codigo) {
        auto it = empresas.find(codigo);
        if (it != empresas.end())
            return it->second;
        Empresa e;
        e.codigo = codigo;
        e.tipoDoc = ini.ler(codigo, "Tipo Doc");
        e.sector = ini.ler(codigo, "Sector");
        e.artPortes = ini.ler(codigo, "ARTPORTES");
        e.armazem = ini.ler(codigo, "Armazem");
        e.serie = std::atoi(ini.ler(codigo, "Serie").c_str());
        const Texto nome = ini.ler(codigo, "NomeSQL");
        if (nome.empty())
            falhar("unknown company " + codigo);
        e.bd = std::make_unique<Bd>(juntar(ini.ler("SQL", "Servidor"), nome + ".db"));
        e.bd->executar(esquemaDaContabilidade().c_str());
        return empresas.emplace(codigo, std::move(e)).first->second;
    }

    void registar(const Texto& linha) {
        const QByteArray agora = QDateTime::currentDateTime()
                                     .toString(QStringLiteral("[dd-MM-yyyy][HH:mm:ss] "))
                                     .toUtf8();
        std::fprintf(log, "%s%s\r\n", agora.constData(), linha.c_str());
    }

    void enviarAlterados();
    void importarContactos();
    void importarEncomendas();
};

void Execucao::enviarAlterados() {
    const Texto pasta = ini.ler("Contactos", "Directoria Saida");
    const Texto padrao = ini.ler("Contactos", "Ficheiro Saida");
    std::vector<std::pair<Texto, Texto>> marcas;
    for (const char* codigo : {"SR", "QF"}) {
        Empresa& e = empresa(codigo);
        const long ultimo = std::atol(ini.ler(codigo, "UltimoEnviado").c_str());
        Instrucao& q = e.bd->q(
            "SELECT e.IDnet, c.Numero, CAST(c.dbts AS bigint), c.Vendedor, c.Nome, c.Email, "
            "c.NContrib, c.Contacto, c.Morada, c.CdPostal, c.Local, c.Telef, c.Fax, c.TelCom, "
            "c.Telfim, c.Sitio, c.Id_Unico, "
            "(SELECT ec.Class_id FROM vek_EntidadesClassificacao ec JOIN vek_Classe k ON "
            "ec.Class_id = k.class_Id WHERE ec.Tipo = 3 AND ec.Codigo = c.Numero LIMIT 1), "
            "(SELECT k.CampoLivre FROM vek_EntidadesClassificacao ec JOIN vek_Classe k ON "
            "ec.Class_id = k.class_Id WHERE ec.Tipo = 3 AND ec.Codigo = c.Numero LIMIT 1) "
            "FROM vek_contactos c LEFT JOIN vek_BDC_EquivalenciaOnlineDesktop e "
            "ON c.Numero = e.numero WHERE CAST(c.dbts AS bigint) > ? ORDER BY c.dbts");
        q.com(sqlite3_int64(ultimo));
        long marca = 0;
        Texto xml;
        while (q.linha()) {
            static const char* const elementos[][3] = {
                {"IDNET", "Id do Cliente Online", "int"},
                {"CODEMPRESA", "Coigo de Empresa", "String"},
                {"IDCONTACTO", "Id do Cliente na Tabela de Contactos VEK", "int"},
                {"TIPO", "Tipo de Cliente", "int"},
                {"DESC", "Desconto Geral deste Tipo de Cliente - Percentagem 0 a 100", "float"},
                {"VENDEDOR", "Id do Vendedor na Tabela de Vendedores", "string"},
                {"NOME", "Nome do CLiente", "String"},
                {"EMAIL", "E-mail do Cliente", "String"},
                {"NIF", "Nif do Cliente", "String"},
                {"RESPONSAVEL", "Responsável no Cliente", "String"},
                {"MORADA", "Morada do Cliente", "String"},
                {"CODPOSTAL", "Cod Postal", "String"},
                {"LOCALIDADE", "Localidade", "String"},
                {"TELEFONE", "Telefone Geral", "String"},
                {"FAX", "Fax Geral", "String"},
                {"COMERCIAL", "Telefone do Comercial", "String"},
                {"FINANCEIRO", "Telefone do Financeiro", "String"},
                {"SITE", "Url do Website do Cliente", "String"},
                {"Id_Unico", "Id_Unico", "String"},
            };
            const Texto numero = std::to_string(q.inteiro(1));
            const Texto valores[19] = {q.texto(0),  codigo,      numero,      q.texto(17),
                                       q.texto(18), q.texto(3),  q.texto(4),  q.texto(5),
                                       q.texto(6),  q.texto(7),  q.texto(8),  q.texto(9),
                                       q.texto(10), q.texto(11), q.texto(12), q.texto(13),
                                       q.texto(14), q.texto(15), q.texto(16)};
            xml = "<?xml version='1.0' encoding='UTF-8'?><CLIENTES><PRP>";
            for (int i = 0; i < 19; ++i) {
                xml += '<';
                xml += elementos[i][0];
                xml += " Descr=\"";
                xml += elementos[i][1];
                xml += "\" tipo=\"";
                xml += elementos[i][2];
                xml += "\">";
                escapar(xml, valores[i]);
                xml += "</";
                xml += elementos[i][0];
                xml += '>';
            }
            xml += "</PRP></CLIENTES>";
            Texto nome = padrao;
            if (const auto estrela = nome.find('*'); estrela != Texto::npos)
                nome.replace(estrela, 1, " " + Texto(codigo) + "_" + numero);
            gravarAtomicamente(juntar(pasta, nome), xml.data(), xml.size());
            marca = long(q.inteiro(2));
            ++contactosEnviados;
        }
        if (marca > ultimo)
            marcas.emplace_back(codigo, std::to_string(marca));
    }
    if (marcas.empty())
        return;
    // The watermarks into the settings file, rewritten atomically.
    std::vector<Texto> linhas = ini.linhas;
    for (const auto& [codigo, marca] : marcas) {
        bool dentro = false, feito = false;
        size_t fim = linhas.size();
        for (size_t i = 0; i < linhas.size() && !feito; ++i) {
            const Texto t = aparar(linhas[i]);
            if (t.size() >= 2 && t.front() == '[') {
                if (dentro) {
                    fim = i;
                    break;
                }
                dentro = minusculas(t) == "[" + minusculas(codigo) + "]";
            } else if (dentro && minusculas(t).rfind("ultimoenviado", 0) == 0) {
                linhas[i] = "UltimoEnviado=" + marca;
                feito = true;
            }
        }
        if (!feito)
            linhas.insert(linhas.begin() + long(fim), "UltimoEnviado=" + marca);
    }
    Texto dados;
    for (const Texto& l : linhas)
        dados += l + "\n";
    gravarAtomicamente(ini.caminho, dados.data(), dados.size());
}

// The direct children of the first element named `pai`, by upper-case name.
using Campos = std::map<Texto, Texto>;

void importarUmContacto(Execucao& ex, const Texto& pasta, const Texto& nome) {
    const Texto caminho = juntar(pasta, nome);
    const QByteArray dados = lerFicheiro(caminho);
    QXmlStreamReader leitor(dados);
    Campos c;
    int profundidade = 0, nivelPrp = -1;
    while (!leitor.atEnd()) {
        const auto t = leitor.readNext();
        if (t == QXmlStreamReader::StartElement) {
            ++profundidade;
            if (nivelPrp < 0 && leitor.name() == QLatin1String("PRP"))
                nivelPrp = profundidade;
            else if (nivelPrp > 0 && profundidade == nivelPrp + 1) {
                const Texto nome = leitor.name().toString().toUpper().toStdString();
                c[nome] = leitor.readElementText().toStdString();
                --profundidade;
            }
        } else if (t == QXmlStreamReader::EndElement) {
            if (profundidade-- == nivelPrp)
                break;
        }
    }
    if (leitor.hasError() || nivelPrp < 0) {
        ++ex.falhas;
        ex.registar("bad contact file " + nome);
        return;
    }
    char* fim = nullptr;
    const long idNet = std::strtol(c["IDNET"].c_str(), &fim, 10);
    if (c["IDNET"].empty() || *fim) {
        ++ex.falhas;
        ex.registar("contact file without IDNET " + nome);
        return;
    }
    Empresa& e = ex.empresa(c["CODEMPRESA"]);
    Bd& bd = *e.bd;
    Transaccao tr(bd);
    Instrucao& conhecido = bd.q(
        "SELECT c.Codigo FROM vek_BDC_EquivalenciaOnlineDesktop e JOIN vek_contactos c ON "
        "e.numero = c.Numero WHERE e.IDnet = ?");
    const bool jaConhecido = conhecido.com(sqlite3_int64(idNet)).linha();
    sqlite3_int64 numero = 1;
    if (!jaConhecido) {
        Instrucao& maximo = bd.q("SELECT MAX(Numero) + 1 FROM vek_contactos");
        if (maximo.com().linha() && !maximo.nulo(0))
            numero = maximo.inteiro(0);
        Instrucao& ocupado = bd.q("SELECT 1 FROM vek_contactos WHERE Codigo = ?");
        while (ocupado.com(std::to_string(numero)).linha())
            ++numero;
        bd.q("INSERT INTO vek_contactos (Codigo, Numero, Nome, Contacto, Morada, Local, CdPostal, "
             "Telef, Fax, telex, NContrib, Cae, TelGer, TelCom, Telfim, Email, Sitio, ZonaGeo, "
             "CodPais, ContGer, ContCom, ContFin, Observ, Obs2, Vendedor, GesCnt) VALUES (?, ?, "
             "?, ?, ?, ?, ?, ?, ?, ?, ?, '', '', ?, ?, ?, ?, '', '', '', '', '', '', '', '', '')")
            .com(std::to_string(numero), numero, c["NOME"], c["RESPONSAVEL"], c["MORADA"],
                 c["LOCALIDADE"], c["CODPOSTAL"], c["TELEFONE"], c["FAX"], c["TELEMOVEL"], c["NIF"],
                 c["COMERCIAL"], c["FINANCEIRO"], c["EMAIL"], c["SITE"])
            .executar();
        bd.q("INSERT INTO vek_BDC_EquivalenciaOnlineDesktop (IDnet, numero) VALUES (?, ?)")
            .com(sqlite3_int64(idNet), numero)
            .executar();
    }
    tr.confirmar();
    if (std::rename(caminho.c_str(), (caminho + ".bak").c_str()) != 0)
        ex.registar("could not keep " + nome + " as a backup");
    if (!jaConhecido) {
        ++ex.contactosImportados;
        ex.registar(std::to_string(numero) + "\t" + c["NOME"]);
    }
}

void Execucao::importarContactos() {
    const Texto pasta = ini.ler("Contactos", "Directoria Entrada");
    for (const Texto& nome : listar(pasta, ini.ler("Contactos", "Ficheiro Entrada"))) {
        try {
            importarUmContacto(*this, pasta, nome);
        } catch (const std::exception& erro) {
            ++falhas;
            registar(nome + ": " + erro.what());
        }
    }
}

struct Linha {
    Texto artigo, descricao, descontoTxt;
    double quantidade = 0, preco = 0, desconto = 0;
    bool temDescricao = false, temPreco = false;
};

double montante(Texto t) {
    std::replace(t.begin(), t.end(), ',', '.');
    return std::strtod(t.c_str(), nullptr);
}

struct Encomenda {
    Campos cab;
    std::vector<Linha> linhas;
    bool jaGravada = false;
};

bool lerEncomenda(const QByteArray& dados, Encomenda& enc) {
    QXmlStreamReader leitor(dados);
    int profundidade = 0, nivelEnc = -1;
    bool emLinhas = false;
    while (!leitor.atEnd()) {
        const auto t = leitor.readNext();
        if (t == QXmlStreamReader::StartElement) {
            ++profundidade;
            const QString nome = leitor.name().toString().toUpper();
            if (nivelEnc < 0) {
                if (nome == QLatin1String("ENC"))
                    nivelEnc = profundidade;
            } else if (profundidade == nivelEnc + 1 && nome == QLatin1String("LINHAS")) {
                emLinhas = true;
            } else if (profundidade == nivelEnc + 1 && nome == QLatin1String("IDENCSAGE")) {
                enc.jaGravada = true;
                leitor.skipCurrentElement();
                --profundidade;
            } else if (profundidade == nivelEnc + 1) {
                enc.cab[nome.toStdString()] = leitor.readElementText().toStdString();
                --profundidade;
            } else if (emLinhas && profundidade == nivelEnc + 2) {
                if (nome != QLatin1String("LINHA")) {
                    leitor.skipCurrentElement();
                    --profundidade;
                    continue;
                }
                Linha l;
                while (leitor.readNextStartElement()) {
                    const QString campo = leitor.name().toString().toUpper();
                    const Texto valor = leitor.readElementText().toStdString();
                    if (campo == QLatin1String("CODIGO"))
                        l.artigo = valor;
                    else if (campo == QLatin1String("NOME"))
                        l.descricao = valor, l.temDescricao = true;
                    else if (campo == QLatin1String("QUANTIDADE"))
                        l.quantidade = montante(valor);
                    else if (campo == QLatin1String("PRECO"))
                        l.preco = montante(valor), l.temPreco = true;
                    else if (campo == QLatin1String("DESCONTO"))
                        l.desconto = montante(valor);
                    else if (campo == QLatin1String("DESCONTOTXT"))
                        l.descontoTxt = valor;
                }
                --profundidade;
                enc.linhas.push_back(std::move(l));
            }
        } else if (t == QXmlStreamReader::EndElement) {
            if (profundidade == nivelEnc + 1)
                emLinhas = false;
            if (profundidade-- == nivelEnc)
                break;
        }
    }
    return !leitor.hasError() && nivelEnc > 0;
}

struct LinhaDoc {
    int tipo = 1;
    Texto artigo, armazem, descricao, unidade, desconto;
    double quantidade = 0, preco = 0, taxa = 0;
    int relacionada = 0;
};

// The prospect made a customer from the template customer; gives the customer's code.
Texto converter(Bd& bd, const Texto& empresa, const Texto& encomenda, const Texto& contacto,
                Texto& guid) {
    Instrucao& c = bd.q(
        "SELECT Nome, Contacto, Morada, Local, CdPostal, Telef, Fax, telex, NContrib, Cae, "
        "TelGer, TelCom, Telfim, Email, Sitio, ZonaGeo, CodPais, ContGer, ContCom, ContFin, "
        "Observ, Obs2, Vendedor, GesCnt, Id_Unico FROM vek_contactos WHERE Codigo = ?");
    if (!c.com(contacto).linha()) {
        Instrucao& feito = bd.q(
            "SELECT CodigoCliente, Id_Unico FROM vek_ConversoesDeEncomendas WHERE Empresa = ? AND "
            "IdEncomenda = ? AND CodigoContacto = ?");
        if (!feito.com(empresa, encomenda, contacto).linha())
            return {};
        guid = feito.texto(1);
        return feito.texto(0);
    }
    Instrucao& modelo = bd.q(
        "SELECT CONDPAG, MOEDA, TIPOPRECO, DESCONTO, ZONA, LIMITECRED, INACTIVO, NOTAS FROM "
        "CLIENTES WHERE NUMERO = -1");
    if (!modelo.com().linha())
        return {};
    Instrucao& maximo = bd.q("SELECT MAX(NUMERO) + 1 FROM CLIENTES");
    sqlite3_int64 numero = 1;
    if (maximo.com().linha() && !maximo.nulo(0))
        numero = maximo.inteiro(0);
    Instrucao& ocupado = bd.q("SELECT 1 FROM CLIENTES WHERE CODIGO = ?");
    sqlite3_int64 codigo = numero;
    while (ocupado.com(std::to_string(codigo)).linha())
        ++codigo;
    const Texto cod = std::to_string(codigo);
    Instrucao& ins = bd.q(
        "INSERT INTO CLIENTES (NUMERO, CODIGO, NOME, CONTACTO, MORADA, LOCAL, CDPOSTAL, TELEF, "
        "FAX, TELEX, NCONTRIB, CAE, TELGER, TELCOM, TELFIN, EMAIL, SITIO, ZONAGEO, CODPAIS, "
        "CONTGER, CONTCOME, CONTFIN, OBSERV, OBS2, VENDEDOR, GESTCNT, CONDPAG, MOEDA, TIPOPRECO, "
        "DESCONTO, ZONA, LIMITECRED, INACTIVO, NOTAS) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    ins.com(numero, cod);
    for (int i = 0; i < 24; ++i)
        ins.ligar(3 + i, c.texto(i));
    for (int i = 0; i < 8; ++i)
        ins.ligar(27 + i, modelo.valor(i));
    ins.executar();
    guid = c.texto(24);
    bd.q("UPDATE vek_Incidentes SET Entidade_Tipo = 1, Entidade_Codigo = ? WHERE Entidade_Tipo = "
         "3 AND Entidade_Codigo = ?")
        .com(cod, contacto)
        .executar();
    bd.q("UPDATE vek_EntidadesClassificacao SET Tipo = 1, Codigo = ? WHERE Tipo = 3 AND Codigo = "
         "?")
        .com(cod, contacto)
        .executar();
    bd.q("UPDATE vek_TabelasEntidades SET ext_Tipo = 1, ext_Codigo = ? WHERE ext_Tipo = 3 AND "
         "ext_Codigo = ?")
        .com(cod, contacto)
        .executar();
    bd.q("DELETE FROM vek_contactos WHERE Codigo = ?").com(contacto).executar();
    bd.q("INSERT INTO vek_ConversoesDeEncomendas (Empresa, IdEncomenda, CodigoContacto, "
         "CodigoCliente, Id_Unico, Data) VALUES (?, ?, ?, ?, ?, ?)")
        .com(empresa, encomenda, contacto, cod, guid,
             QDateTime::currentDateTime().toString(Qt::ISODate).toStdString())
        .executar();
    return cod;
}

void importarUmaEncomenda(Execucao& ex, const Texto& entrada, const Texto& saida,
                          const Texto& nome) {
    const Texto origem = juntar(entrada, nome);
    const Texto destino = juntar(saida, nome);
    const QByteArray dados = lerFicheiro(origem);
    Encomenda enc;
    if (!lerEncomenda(dados, enc)) {
        ++ex.falhas;
        ex.registar("bad order file " + nome);
        return;
    }
    if (enc.jaGravada) {
        std::rename(origem.c_str(), destino.c_str());
        return;
    }
    Empresa& e = ex.empresa(enc.cab["CODEMPRESA"]);
    Bd& bd = *e.bd;
    const Texto processo = "Web " + enc.cab["IDENCOMENDA"];
    const int ano = QDate::currentDate().year();

    Transaccao tr(bd);
    Texto tipo = e.tipoDoc, cliente = enc.cab["IDCLIENTE"], novoCliente, guid;
    sqlite3_int64 numero = 0;
    Instrucao& feito = bd.q(
        "SELECT TipoDocumento, Numero FROM ct_Documentos WHERE Processo = ? ORDER BY rowid DESC");
    if (feito.com(processo).linha()) {
        tipo = feito.texto(0);
        numero = feito.inteiro(1);
    } else {
        if (enc.cab["FLAGPROSPECT"] != "0") {
            novoCliente =
                converter(bd, enc.cab["CODEMPRESA"], enc.cab["IDENCOMENDA"], cliente, guid);
            if (novoCliente.empty()) {
                ++ex.falhas;
                ex.registar("order " + nome + ": unknown prospect " + cliente);
                return;
            }
            cliente = novoCliente;
        }
        bd.q("UPDATE TpDoc SET AutEco = ? WHERE Codigo = ?").com(-1, e.tipoDoc).executar();
        Instrucao& tp = bd.q("SELECT Codigo FROM TpDoc WHERE UPPER(Codigo) = UPPER(?)");
        if (!tp.com(e.tipoDoc).linha())
            falhar("unknown document type");
        tipo = tp.texto(0);
        if (!bd.q("SELECT NUMERO FROM CLIENTES WHERE CODIGO = ? AND NUMERO <> -1")
                 .com(cliente)
                 .linha())
            falhar("unknown customer " + cliente);

        Instrucao& artigo =
            bd.q("SELECT Descricao, PrecoUnitario, Unidade FROM ct_Artigos WHERE Codigo = ?");
        Instrucao& pack = bd.q("SELECT Factor, Quantida FROM OperaFac WHERE Artigo = ?");
        std::vector<LinhaDoc> doc;
        const auto sugerir = [&](LinhaDoc& l) {
            if (l.artigo.empty())
                return;
            if (!artigo.com(l.artigo).linha())
                falhar("unknown article " + l.artigo);
            l.descricao = artigo.texto(0);
            l.preco = artigo.real(1);
            l.unidade = artigo.texto(2);
        };
        for (const Linha& l : enc.linhas) {
            LinhaDoc d;
            d.artigo = l.artigo;
            d.armazem = e.armazem;
            sugerir(d);
            if (l.temDescricao)
                d.descricao = l.descricao;
            if (l.temPreco)
                d.preco = l.preco;
            d.quantidade = l.quantidade;
            d.taxa = l.desconto;
            d.desconto = l.descontoTxt.empty() ? "0" : l.descontoTxt;
            doc.push_back(d);
            const int relacionada = int(doc.size());
            std::vector<std::pair<Texto, double>> componentes;
            for (pack.com(l.artigo); pack.linha();)
                componentes.emplace_back(pack.texto(0), pack.real(1));
            for (const auto& [factor, q] : componentes) {
                LinhaDoc c;
                c.artigo = factor;
                c.armazem = e.armazem;
                sugerir(c);
                c.preco = 0;
                c.quantidade = q * l.quantidade;
                c.desconto = "0";
                c.relacionada = relacionada;
                doc.push_back(c);
            }
        }
        if (const double portes = montante(enc.cab["PORTES"]); portes > 0) {
            LinhaDoc d;
            d.tipo = 2;
            d.artigo = e.artPortes;
            sugerir(d);
            d.preco = portes;
            d.quantidade = 1;
            d.desconto = "0";
            doc.push_back(d);
        }
        if (const double voucher = montante(enc.cab["VOUCHER"]); voucher != 0) {
            LinhaDoc d;
            d.descricao = "Voucher no valor de " + std::to_string(std::abs(voucher)) + " €";
            d.quantidade = 1;
            d.desconto = "0";
            doc.push_back(d);
        }
        const Texto hoje =
            QDate::currentDate().toString(QStringLiteral("dd-MM-yyyy")).toStdString();
        const Texto agora = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
        bd.q("INSERT INTO ct_Documentos (TipoDocumento, Serie, Ano, Numero, Sector, Terceiro, "
             "TipoTerceiro, AreaGestao, TipoPreco, Moeda, Data, Processo, Observacoes, Origem, "
             "Utilizador, GravadoEm) SELECT ?, ?, ?, COALESCE(MAX(Numero), 0) + 1, ?, ?, 2, 2, 0, "
             "'EUR', ?, ?, ?, 3, ?, ? FROM ct_Documentos WHERE TipoDocumento = ? AND Serie = ? "
             "AND Ano = ?")
            .com(tipo, e.serie, ano, e.sector, cliente, hoje, processo, enc.cab["OBS"],
                 ex.ini.ler("Next", "Username"), agora, tipo, e.serie, ano)
            .executar();
        Instrucao& n = bd.q(
            "SELECT MAX(Numero) FROM ct_Documentos WHERE TipoDocumento = ? AND Serie = ? AND "
            "Ano = ?");
        n.com(tipo, e.serie, ano).linha();
        numero = n.inteiro(0);
        Instrucao& ins = bd.q(
            "INSERT INTO ct_LinhasDocumento (TipoDocumento, Serie, Ano, Numero, NumeroDaLinha, "
            "TipoDeLinha, Artigo, Armazem, Descricao, Unidade, Quantidade, QuantidadeOrigem, "
            "PrecoUnitario, TaxaDesconto, Desconto, EcoTaxaProcessada, LinhaRelacionada) VALUES "
            "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?)");
        int i = 0;
        for (const LinhaDoc& l : doc)
            ins.com(tipo, e.serie, ano, numero, ++i, l.tipo, l.artigo, l.armazem, l.descricao,
                    l.unidade, l.quantidade, l.quantidade, l.preco, l.taxa, l.desconto,
                    l.relacionada)
                .executar();
        bd.q("UPDATE TpDoc SET AutEco = ? WHERE Codigo = ?").com(0, e.tipoDoc).executar();
    }
    tr.confirmar();

    // The identity of the document just before the end of ENC, then the file to the outbox.
    Texto texto(dados.constData(), size_t(dados.size()));
    const auto fimDeEnc = texto.rfind("</ENC>");
    if (fimDeEnc == Texto::npos)
        falhar("no end of ENC in " + nome);
    Texto bloco = "<IDENCSAGE><TPDOC>" + tipo + "</TPDOC><NNUMDOC>" + std::to_string(numero) +
                  "</NNUMDOC><SERIE>" + std::to_string(e.serie) + "</SERIE><ANO>" +
                  std::to_string(ano) + "</ANO>";
    if (!novoCliente.empty())
        bloco += "<IDCLIENTE>" + novoCliente + "</IDCLIENTE><Id_Unico>" + guid + "</Id_Unico>";
    bloco += "</IDENCSAGE>";
    texto.insert(fimDeEnc, bloco);
    gravarAtomicamente(origem, texto.data(), texto.size());
    if (std::rename(origem.c_str(), destino.c_str()) != 0)
        ex.registar("could not move " + nome);
    ++ex.encomendasGravadas;
    ex.registar(" Empresa: " + e.codigo + " documento " + tipo + "/" + std::to_string(e.serie) +
                "/" + std::to_string(numero) + "/" + std::to_string(ano));
}

void Execucao::importarEncomendas() {
    const Texto entrada = ini.ler("Encomenda", "Directoria Entrada");
    const Texto saida = ini.ler("Encomenda", "Directoria Saida");
    for (const Texto& nome : listar(entrada, ini.ler("Encomenda", "Ficheiro Entrada"))) {
        try {
            importarUmaEncomenda(*this, entrada, saida, nome);
        } catch (const std::exception& erro) {
            ++falhas;
            registar(nome + ": " + erro.what());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SETTINGS-FILE\n", argv[0]);
        return 2;
    }
    try {
        const Ini ini(argv[1]);
        Execucao ex(ini);
        const Texto pastaLog = ini.ler("Log", "Directoria");
        const Texto ficheiroLog = juntar(
            pastaLog, "BASELINE_" +
                          QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toStdString() +
                          ".txt");
        ex.log = std::fopen(ficheiroLog.c_str(), "ab");
        if (!ex.log)
            falhar("cannot write " + ficheiroLog);
        ex.enviarAlterados();
        ex.importarContactos();
        ex.importarEncomendas();
        std::fclose(ex.log);
        std::printf("sent %ld, imported %ld contacts, wrote %ld orders, %ld failures\n",
                    ex.contactosEnviados, ex.contactosImportados, ex.encomendasGravadas, ex.falhas);
        return ex.falhas == 0 ? 0 : 1;
    } catch (const std::exception& erro) {
        std::fprintf(stderr, "baseline: %s\n", erro.what());
        return 1;
    }
}
