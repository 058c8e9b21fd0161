#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

// The web folders are shared with strangers: what lies there under a name may be a link to any
// file, a pipe that never ends, a device without end, or a file that grows while it is read.

// What a folder holds under a name, not following a link.
enum class TipoDeEntrada { NaoExiste, Ficheiro, Ligacao, Pasta, Pipe, Dispositivo, Socket, Outro };
TipoDeEntrada tipoDeEntrada(const QString& caminho);
// Every name the folder holds but "." and "..", with what it is, in the folder's order; read from
// the folder itself where the file system says the type there. Raises Falha when the folder
// cannot be read.
QList<std::pair<QString, TipoDeEntrada>> entradasDaPasta(const QString& pasta);
// "uma ligação simbólica", "um pipe", ...: how a message names what is not a regular file.
QString descricaoDoTipo(TipoDeEntrada tipo);

// The bytes of the regular file at caminho, opened without following a link and without
// waiting on a pipe; its type and size are those of the opened file, and no more than limite
// bytes are ever read. Raises Falha: FicheiroNaoEncontrado or PermissaoNegada when it cannot be
// opened, FicheiroNaoNormal when it is not a regular file, FicheiroDemasiadoGrande when it holds
// more than limite bytes; each names the file.
QByteArray lerFicheiroLimitado(const QString& caminho, qint64 limite);
