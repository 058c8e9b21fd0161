#include "settings/Parametros.h"

#include <QDir>
#include <QFileInfo>

#include "base/Falha.h"
#include "platform/bd/clsStringLigacao.h"
#include "platform/ini/clsIni.h"

Parametros::Parametros() = default;
Parametros::~Parametros() = default;
Parametros::Parametros(const Parametros&) = default;
Parametros& Parametros::operator=(const Parametros&) = default;

const std::array<Parametros::Chave, 34>& Parametros::Chaves() {
    static const std::array<Chave, 34> chaves{{
        {"Contactos", "Directoria Entrada", &Parametros::Contactos_Directoria},
        {"Contactos", "Ficheiro Entrada", &Parametros::Contactos_Ficheiro},
        {"Contactos", "Directoria Saida", &Parametros::Contactos_SaidaDirectoria},
        {"Contactos", "Ficheiro Saida", &Parametros::Contactos_SaidaFicheiro},
        {"Encomenda", "Directoria Entrada", &Parametros::Encomendas_Directoria},
        {"Encomenda", "Ficheiro Entrada", &Parametros::Encomendas_Ficheiro},
        {"Encomenda", "Directoria Saida", &Parametros::Encomendas_saidaDirectoria},
        {"Encomenda", "Ficheiro Saida", &Parametros::Encomendas_SaidaFicheiro},
        {"email", "Origem", &Parametros::email_Origem},
        {"email", "Origem Nome", &Parametros::email_OrigemNome},
        {"email", "Assunto", &Parametros::email_Assunto},
        {"email", "Destino", &Parametros::email_destino},
        {"Log", "Directoria", &Parametros::Log_Directoria},
        {"SQL", "Servidor", &Parametros::Sql_Servidor},
        {"SQL", "Username", &Parametros::SQL_Username},
        {"SQL", "Password", &Parametros::Sql_Password},
        {"Next", "PercursoNext", &Parametros::Next_PercursoNext},
        {"Next", "PercursoLog", &Parametros::Next_PercursoLog},
        {"Next", "Username", &Parametros::Next_Utilizador},
        {"Next", "Password", &Parametros::Next_Password},
        {"QF", "CodigoNext", &Parametros::Empresa0_CodigoNext},
        {"QF", "NomeSQL", &Parametros::Empresa0_BdSQL},
        {"QF", "Tipo Doc", &Parametros::Empresa0_TipoDoc},
        {"QF", "Sector", &Parametros::Empresa0_Sector},
        {"QF", "Serie", &Parametros::Empresa0_Serie},
        {"QF", "ARTPORTES", &Parametros::Empresa0_ArtPortes},
        {"QF", "Armazem", &Parametros::Empresa0_Armazem},
        {"SR", "CodigoNext", &Parametros::Empresa1_CodigoNext},
        {"SR", "NomeSQL", &Parametros::Empresa1_BdSql},
        {"SR", "Tipo Doc", &Parametros::Empresa1_TipoDoc},
        {"SR", "Sector", &Parametros::Empresa1_Sector},
        {"SR", "Serie", &Parametros::Empresa1_Serie},
        {"SR", "ARTPORTES", &Parametros::Empresa1_ArtPortes},
        {"SR", "Armazem", &Parametros::Empresa1_Armazem},
    }};
    return chaves;
}

bool Parametros::Ler() {
    UltimoErro.clear();
    try {
        auto ini = std::make_shared<clsIni>();
        ini->Ficheiro(FicheiroIni);
        for (const Chave& c : Chaves())
            this->*c.propriedade =
                ini->LerValor(QString::fromUtf8(c.seccao), QString::fromUtf8(c.chave));
        lido_ = std::move(ini);
        return true;
    } catch (const Falha& f) {
        UltimoErro = f.descricao();
        return false;
    }
}

bool Parametros::Escrever() {
    clsIni ini;
    ini.Ficheiro(FicheiroIni);
    QList<clsIni::Valor> valores;
    for (const Chave& c : Chaves())
        valores.append(
            {QString::fromUtf8(c.seccao), QString::fromUtf8(c.chave), this->*c.propriedade});
    return ini.GravarValores(valores);
}

QString Parametros::LerValor(const QString& seccao, const QString& chave) const {
    return lido_ ? lido_->LerValor(seccao, chave) : QString();
}

QString Parametros::StringLigacao(const QString& Empresa) const {
    clsStringLigacao s;
    s.Provider = QStringLiteral("MSDataShape");
    s.Opcao = 1;
    // A host name or a connection string stays as it is.
    const QString pasta = Pasta(Sql_Servidor);
    s.Servidor = !Sql_Servidor.isEmpty() && QFileInfo(pasta).isDir() ? pasta : Sql_Servidor;
    s.BaseDeDados = LerValor(Empresa, QStringLiteral("NomeSQL"));
    s.Utilizador = SQL_Username;
    s.Password = Sql_Password;
    return s.StringLigacao();
}

QString Parametros::nomeDaChave(QString Parametros::*propriedade) {
    for (const Chave& c : Chaves())
        if (c.propriedade == propriedade)
            return QStringLiteral("[%1] %2").arg(QString::fromUtf8(c.seccao),
                                                 QString::fromUtf8(c.chave));
    return {};
}

QString Parametros::Pasta(const QString& valor) const {
    QString v = valor.trimmed();
    if (v.isEmpty() || QDir::isAbsolutePath(v))
        return v;
    return QDir::cleanPath(QFileInfo(FicheiroIni).absoluteDir().filePath(v));
}

QString Parametros::PastaNecessaria(QString Parametros::*propriedade) const {
    const QString valor = this->*propriedade;
    if (valor.trimmed().isEmpty())
        throw Falha(Falha::CaminhoNaoEncontrado,
                    QStringLiteral("A pasta %1 não está definida no ficheiro de parâmetros %2")
                        .arg(nomeDaChave(propriedade), QDir::toNativeSeparators(FicheiroIni)));
    QString pasta = Pasta(valor);
    if (!QFileInfo(pasta).isDir())
        throw Falha(Falha::CaminhoNaoEncontrado,
                    QStringLiteral("A pasta \"%1\" (%2) não existe")
                        .arg(QDir::toNativeSeparators(pasta), nomeDaChave(propriedade)));
    return pasta;
}

QString Parametros::PadraoNecessario(QString Parametros::*propriedade) const {
    if ((this->*propriedade).trimmed().isEmpty())
        throw Falha(Falha::CaminhoNaoEncontrado,
                    QStringLiteral("O padrão dos ficheiros %1 não está definido no ficheiro de "
                                   "parâmetros %2")
                        .arg(nomeDaChave(propriedade), QDir::toNativeSeparators(FicheiroIni)));
    return this->*propriedade;
}

QString Parametros::problemaDoPadraoDeSaida(const QString& padrao) {
    if (!padrao.contains(QLatin1Char('*')))
        return QStringLiteral(
                   "O padrão dos ficheiros de contactos enviados (\"%1\") não tem "
                   "\"*\", que dá a cada contacto o seu ficheiro: todos os contactos "
                   "iriam para o mesmo ficheiro, e só o último ficaria.")
            .arg(padrao);
    if (padrao.contains(QLatin1Char('/')) || padrao.contains(QLatin1Char('\\')))
        return QStringLiteral(
                   "O padrão dos ficheiros de contactos enviados (\"%1\") tem uma "
                   "pasta; os ficheiros ficam na pasta de saída, e a pasta indica-se "
                   "à parte.")
            .arg(padrao);
    return {};
}

QString Parametros::PadraoDeSaidaDosContactos() const {
    PadraoNecessario(&Parametros::Contactos_SaidaFicheiro);
    if (const QString problema = problemaDoPadraoDeSaida(Contactos_SaidaFicheiro);
        !problema.isEmpty())
        throw Falha(Falha::CaminhoNaoEncontrado,
                    QStringLiteral("%1 (%2 do ficheiro de parâmetros %3)")
                        .arg(problema.chopped(1), nomeDaChave(&Parametros::Contactos_SaidaFicheiro),
                             QDir::toNativeSeparators(FicheiroIni)));
    return Contactos_SaidaFicheiro;
}

qint64 Parametros::UltimoContacto_Get(const QString& Empresa) const {
    // Settings not read yet: the file as it is now.
    clsIni agora;
    agora.Ficheiro(FicheiroIni);
    const QString texto =
        (lido_ ? *lido_ : agora).LerValor(Empresa, QStringLiteral("UltimoEnviado")).trimmed();
    if (texto.isEmpty())
        return 0;
    bool ok = false;
    const qint64 valor = texto.toLongLong(&ok);
    if (!ok)
        throw Falha(Falha::TipoIncompativel,
                    QStringLiteral("O valor \"%1\" de UltimoEnviado da empresa %2 não é um número "
                                   "inteiro")
                        .arg(texto, Empresa));
    return valor;
}

bool Parametros::UltimoContacto_Put(const QString& Empresa, qint64 valor) const {
    clsIni ini;
    ini.Ficheiro(FicheiroIni);
    return ini.GravarValor(Empresa, QStringLiteral("UltimoEnviado"), QString::number(valor));
}
