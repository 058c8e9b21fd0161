#pragma once

#include <QStringList>

#include "platform/JanelaDeProgresso.h"

// Keeps what a run shows, as the list and the message boxes would hold it.
class JanelaDeTeste : public JanelaDeProgresso {
  public:
    QStringList lista;
    QStringList mensagens;
    int limpezas = 0;

    void limparLista() override {
        lista.clear();
        ++limpezas;
    }
    void mostrarLinha(const QString& texto) override { lista << texto; }
    void mostrarMensagem(const QString& texto) override { mensagens << texto; }
    bool mensagensVisiveis() const override { return false; }
    void processarEventos() override {}
};
