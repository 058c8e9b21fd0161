#pragma once

#include <QString>

// What a run needs from the window it runs in. The main window implements it with widgets;
// the headless front end writes to standard output and standard error instead.
class JanelaDeProgresso {
  public:
    virtual ~JanelaDeProgresso() = default;
    virtual void limparLista() = 0;
    virtual void mostrarLinha(const QString& texto) = 0;
    // A line that reports an error; a window makes it stand out.
    virtual void mostrarErro(const QString& texto) { mostrarLinha(texto); }
    // A message box with an OK button; returns once the user has closed it.
    virtual void mostrarMensagem(const QString& texto) = 0;
    // False when nobody can see a message box.
    virtual bool mensagensVisiveis() const = 0;
    // Lets waiting window messages through, so the window stays painted.
    virtual void processarEventos() = 0;
};

// Progress lines to standard output, message boxes to standard error.
class JanelaDeConsola : public JanelaDeProgresso {
  public:
    void limparLista() override {}
    void mostrarLinha(const QString& texto) override;
    void mostrarMensagem(const QString& texto) override;
    bool mensagensVisiveis() const override { return false; }
    void processarEventos() override {}
};
