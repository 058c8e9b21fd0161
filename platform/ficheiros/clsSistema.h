#pragma once

#include <QDir>
#include <QString>

// The machine's shared data folder, without a trailing separator.
class clsSistema {
  public:
    static QString PastaComum() {
#ifdef Q_OS_WIN
        const QString programData = qEnvironmentVariable("ProgramData");
        return QDir::fromNativeSeparators(programData.isEmpty() ? QStringLiteral("C:/ProgramData")
                                                                : programData);
#else
        return QStringLiteral("/var/lib");
#endif
    }
};

class clsFicheiros {
  public:
    static bool PastaExiste(const QString& pasta) {
        return !pasta.isEmpty() && QDir(pasta).exists();
    }
};
