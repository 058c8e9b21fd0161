#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "platform/ListagemDeFicheiros.h"
#include "platform/clsBd.h"
#include "support/cl_log.h"

class EncNext;
class JanelaDeProgresso;
class xmlContacto;

// The synchronization run and the services its steps share. The main window and the headless
// front end both drive it; what it shows goes through the JanelaDeProgresso it is given.
class Sincronizacao : public QObject {
    Q_OBJECT

  public:
    Sincronizacao(JanelaDeProgresso& janela, QString ficheiroIni, QObject* parent = nullptr);
    ~Sincronizacao() override;

    const QString FicheiroIni;

    // One run: steps 1 to 8. Two runs of one settings file never overlap, not even across
    // processes: a second one says so and ends without touching anything.
    void sincronizar();
    // True when a step of the last run reported an error (or the run could not start).
    bool houveErros() const { return erros_ > 0; }

    void AddLista(const QString& texto);
    // Shows and logs a failure, and counts it as an error of the run.
    void AddErro(const QString& texto);
    // A message box (standard error when nobody can see one); its text goes to the run log too.
    void MostrarMensagem(const QString& texto);
    // Lets waiting window messages through.
    void Pump();

    // The contact export's watermark of the company: a row version, a 64-bit whole number.
    qint64 LerUltimoContacto(const QString& Empresa);
    bool GravarUltimoContacto(const QString& Empresa, qint64 valor);
    void ArquivarFicheiro(const QString& pasta, const QString& nome);
    bool MoverFicheiro(const QString& origem, const QString& destino);
    static QString TextoDoCampo(const QVariant& valor);
    // Web files larger than this are refused unread: one contact or one order is a few
    // kilobytes, and a file read whole into memory must not be able to exhaust it.
    static constexpr qint64 TamanhoMaximoDeFicheiro = 4 * 1024 * 1024;
    // False, with the reason shown and logged, when the file is too large to be read.
    bool TamanhoAceitavel(const QString& caminho, const QString& nome);
    // "Erro " + numero + CR LF + "(" + descricao + ")" + CR LF + "Na função " + funcao + " do " +
    // dono
    static QString TextoDoErro(int numero, const QString& descricao, const QString& funcao,
                               const QString& dono = QStringLiteral("frmMarelo"));

    // The three steps of the run.
    void EnviarAltareados();
    void ImpContactos();
    void ImportarEncomendas(const QString& PathOrigem, const QString& pathDestino);

    std::unique_ptr<cl_log> oLog;
    ListagemDeFicheiros ListaDeFicheiros;
    // The company-database connection of the order import; kept for the life of the program.
    std::unique_ptr<clsBd> bd;
    // The order writer of the order under way, and the contact file reader of the import.
    std::unique_ptr<EncNext> n;
    std::unique_ptr<xmlContacto> oNewContacto;

    // What the order step carries from one order to the next.
    struct PassoDeEncomendas;

  public slots:
    void n_Evolucao(const QString& Descricao);
    void n_Erros(const QString& Descricao);
    void oNewContacto_Erro(const QString& DescricaoDoErro, const QString& LocalDoErro);

  private:
    void exportarEmpresa(const QString& empresa, const QString& pasta, const QString& padrao);
    void importarEncomenda(const QString& PathOrigem, const QString& pathDestino,
                           const QString& nome, PassoDeEncomendas& passo);
    // Runs one part of an order's work; a failure is shown and logged with the file's name and
    // ends only that order.
    void tentarEncomenda(const QString& nome, const std::function<void()>& parte);
    void executarPasso(const QString& funcao, const std::function<void()>& passo);

    JanelaDeProgresso& janela_;
    int erros_ = 0;
};
