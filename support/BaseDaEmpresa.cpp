#include "support/BaseDaEmpresa.h"

#include "platform/Falha.h"
#include "platform/clsIni.h"
#include "platform/clsStringLigacao.h"

std::unique_ptr<clsBd> LigarBaseDaEmpresa(const QString& ficheiroIni, const QString& empresa,
                                          const QString& accao) {
    clsIni ini;
    ini.Ficheiro(ficheiroIni);
    clsStringLigacao s;
    s.Provider = QStringLiteral("MSDataShape");
    s.Opcao = 1;
    s.Servidor = ini.LerValor(QStringLiteral("SQL"), QStringLiteral("Servidor"));
    s.BaseDeDados = ini.LerValor(empresa, QStringLiteral("NomeSQL"));
    s.Utilizador = ini.LerValor(QStringLiteral("SQL"), QStringLiteral("Username"));
    s.Password = ini.LerValor(QStringLiteral("SQL"), QStringLiteral("Password"));
    auto bd = std::make_unique<clsBd>();
    if (!bd->Ligar(s.StringLigacao()))
        throw Falha(Falha::ErroDeBaseDeDados,
                    QStringLiteral("Não foi possível %1 base de dados %2 da empresa %3: %4")
                        .arg(accao, s.BaseDeDados, empresa, bd->UltimoErro()));
    return bd;
}

clsBd& BaseDaEmpresaAberta(std::unique_ptr<clsBd>& bd, const QString& ficheiroIni,
                           const QString& empresa, const QString& accao) {
    if (bd && bd->Ligado()) {
        clsIni ini;
        ini.Ficheiro(ficheiroIni);
        const QString nomeSql = ini.LerValor(empresa, QStringLiteral("NomeSQL")).trimmed();
        if (nomeSql.isEmpty() || nomeSql.compare(bd->BaseDeDados(), Qt::CaseInsensitive) == 0)
            return *bd;
    }
    bd.reset();
    bd = LigarBaseDaEmpresa(ficheiroIni, empresa, accao);
    return *bd;
}
