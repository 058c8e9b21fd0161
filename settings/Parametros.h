#pragma once

#include <QString>
#include <array>
#include <memory>

class clsIni;

// The program's typed view of the settings file: 34 text settings, plus the per-company
// watermark of the contact export ("UltimoEnviado"). A run reads it once (Ler) and hands it to
// its steps, which find there every setting they need, those of any company section included.
class Parametros {
  public:
    Parametros();
    ~Parametros();
    Parametros(const Parametros&);
    Parametros& operator=(const Parametros&);

    QString FicheiroIni;

    QString Contactos_Directoria;
    QString Contactos_Ficheiro;
    QString Contactos_SaidaDirectoria;
    QString Contactos_SaidaFicheiro;
    QString Encomendas_Directoria;
    QString Encomendas_Ficheiro;
    QString Encomendas_saidaDirectoria;
    QString Encomendas_SaidaFicheiro;
    QString email_Origem;
    QString email_OrigemNome;
    QString email_Assunto;
    QString email_destino;
    QString Log_Directoria;
    QString Sql_Servidor;
    QString SQL_Username;
    QString Sql_Password;
    QString Next_PercursoNext;
    QString Next_PercursoLog;
    QString Next_Utilizador;
    QString Next_Password;
    QString Empresa0_CodigoNext;
    QString Empresa0_BdSQL;
    QString Empresa0_TipoDoc;
    QString Empresa0_Sector;
    QString Empresa0_Serie;
    QString Empresa0_ArtPortes;
    QString Empresa0_Armazem;
    QString Empresa1_CodigoNext;
    QString Empresa1_BdSql;
    QString Empresa1_TipoDoc;
    QString Empresa1_Sector;
    QString Empresa1_Serie;
    QString Empresa1_ArtPortes;
    QString Empresa1_Armazem;

    // Fills the 34 settings, and keeps the file as read for LerValor and UltimoContacto_Get;
    // false (and the rest left as they were) when the file cannot be read, with the reason in
    // UltimoErro for the caller to report.
    bool Ler();
    // Writes the 34 settings; false when a value could not be stored.
    bool Escrever();
    // Why the last Ler failed.
    QString UltimoErro;
    // Any setting of the file as the last Ler read it; empty when absent (or before Ler).
    QString LerValor(const QString& seccao, const QString& chave) const;
    // The connection string of the company's database: server, user and password of section
    // "SQL", database "NomeSQL" of the company's section. A server that names a folder beside
    // the settings file is that folder.
    QString StringLigacao(const QString& Empresa) const;

    // A folder of the settings as the run uses it: a relative one lies in the settings file's
    // folder (not in the folder the program was started from); an empty one stays empty.
    QString Pasta(const QString& valor) const;
    // The folder of the setting (Contactos_Directoria, ...) that a step needs: set and existing.
    // Raises Falha naming the section and key otherwise.
    QString PastaNecessaria(QString Parametros::*propriedade) const;
    // The file pattern of the setting that a step needs; raises Falha naming the section and key
    // when it is empty.
    QString PadraoNecessario(QString Parametros::*propriedade) const;
    // The contacts output pattern (Contactos_SaidaFicheiro) that the export needs: each "*"
    // becomes the contact's own part, so it must have one, and it names a file of the outbox,
    // not of another folder. Raises Falha naming the section and key otherwise.
    QString PadraoDeSaidaDosContactos() const;
    // Why a contacts output pattern cannot be used, in words for the user; empty when it can.
    static QString problemaDoPadraoDeSaida(const QString& padrao);
    // "[Contactos] Directoria Saida": how messages name the setting.
    static QString nomeDaChave(QString Parametros::*propriedade);

    // The company's watermark, a row version: 64 bits, as decimal digits (a value stored when it
    // was kept in 32 bits reads the same), as the last Ler read it (or as the file is now, before
    // any Ler). 0 when absent. Raises Falha when the stored text is not a whole number or the
    // file cannot be read.
    qint64 UltimoContacto_Get(const QString& Empresa) const;
    // Writes the watermark into the file (not into the settings already read).
    bool UltimoContacto_Put(const QString& Empresa, qint64 valor) const;

    struct Chave {
        const char* seccao;
        const char* chave;
        QString Parametros::*propriedade;
    };
    // The 34 keys in the order in which they are read and written.
    static const std::array<Chave, 34>& Chaves();

  private:
    std::shared_ptr<clsIni> lido_;  // the file as the last Ler read it
};
