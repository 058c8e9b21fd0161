// Contacts made from a seed, over several runs: web contacts arriving (some twice), prospects
// made customers by their orders (the highest numbers first, so that the next contact takes the
// number again), contacts made by hand in the CRM, and numbers an earlier version left with the
// web identifier of a contact that is gone. After every run, each contact file sent carries the
// web identifier of the contact that holds the number now, or none; a contact whose number has
// several identifiers is not sent, and the log names it with them; no contact is sent twice.
//   MARELO_SEED=n repeats one seed; without it, a few fixed seeds run.
#include <QDomDocument>

#include "tests/apoio/ExecucaoGerada.h"

namespace {

class ContactosGerados : public ExecucaoGerada {
  protected:
    void SetUp() override {
        ExecucaoGerada::SetUp();
        // The identity of every contact, by its name: the web identifier it must be sent with.
        for (const QStringList& c :
             e.consultar(u"QF"_s,
                         u"SELECT c.Nome, e.IDnet FROM vek_contactos c LEFT JOIN "
                         "vek_BDC_EquivalenciaOnlineDesktop e ON e.numero = c.Numero"_s))
            identidade.insert(c[0], c[1]);
    }

    QString valor(const QString& sql) { return e.valor(u"QF"_s, sql); }
    qint32 proximo() {
        return valor(u"SELECT COALESCE(MAX(Numero), 0) + 1 FROM vek_contactos"_s).toInt();
    }

    void novoDaWeb() {
        const int id = ++identificadores;
        const QByteArray nome = "Web " + QByteArray::number(id);
        identidade.insert(QString::fromLatin1(nome), QString::number(id));
        e.escrever(u"ce/PRP_%1.xml"_s.arg(id), contactoWeb(QByteArray::number(id), nome));
        if (chance(20))  // the web side sends it twice
            e.escrever(u"ce/PRP_%1b.xml"_s.arg(id), contactoWeb(QByteArray::number(id), nome));
    }

    void feitoAMao() {
        const QString nome = u"CRM %1"_s.arg(++manuais);
        identidade.insert(nome, QString());
        const qint32 n = proximo();
        e.sql(u"QF"_s, u"INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES (?, ?, ?)"_s,
              {QString::number(n), n, nome});
    }

    // The highest contact ordered as a prospect: the run makes it a customer and frees its
    // number.
    void converterOMaisAlto() {
        const QString codigo = valor(u"SELECT Codigo FROM vek_contactos ORDER BY Numero DESC"_s);
        const int n = ++encomendas;
        e.escrever(u"ee/ENC_%1.xml"_s.arg(n),
                   encomendaWeb(QByteArray::number(700 + n), codigo.toUtf8(),
                                linhaWeb("MEL250", "1", "2,5"), "<FLAGPROSPECT>1</FLAGPROSPECT>"));
    }

    // As an earlier version left a contact made a customer: gone, its web identifier kept on its
    // number. The next run forgets it, or the next contact the program adds under the number
    // drops it; one that the earlier version added beside it leaves the number with two.
    void versaoAnterior() {
        const QString numero = valor(u"SELECT MAX(Numero) FROM vek_contactos"_s);
        if (numero.isEmpty() ||
            valor(u"SELECT COUNT(*) FROM vek_BDC_EquivalenciaOnlineDesktop WHERE numero = "_s +
                  numero) == u"0"_s)
            return;
        e.sql(u"QF"_s, u"DELETE FROM vek_contactos WHERE Numero = ?"_s, {numero});
        if (chance(50))
            return;
        const int id = ++identificadores;
        const QString nome = u"Web %1"_s.arg(id);
        identidade.insert(nome, QString::number(id));
        ambiguos.insert(nome);
        e.sql(u"QF"_s, u"INSERT INTO vek_contactos (Codigo, Numero, Nome) VALUES (?, ?, ?)"_s,
              {numero, numero, nome});
        e.sql(u"QF"_s, u"INSERT INTO vek_BDC_EquivalenciaOnlineDesktop VALUES (?, ?)"_s,
              {id, numero});
    }

    void alterarAlguns() {
        for (const QString& n : e.linhas(u"QF"_s, u"SELECT Numero FROM vek_contactos"_s))
            if (chance(30))
                e.sql(u"QF"_s, u"UPDATE vek_contactos SET Fax = ? WHERE Numero = ?"_s,
                      {u"%1"_s.arg(sorte(1000)), n});
    }

    // Each contact file of the outbox: its name and the identifier it carries.
    QMap<QString, QStringList> enviados() {
        QMap<QString, QStringList> r;
        for (const QString& f : e.ficheiros(u"cs"_s).filter(u" QF_"_s)) {
            QDomDocument doc;
            EXPECT_TRUE(doc.setContent(e.ler(u"cs/"_s + f)));
            const QDomElement prp = doc.documentElement().firstChildElement(u"PRP"_s);
            r[prp.firstChildElement(u"NOME"_s).text()] << prp.firstChildElement(u"IDNET"_s).text();
        }
        return r;
    }

    QHash<QString, QString> identidade;  // name -> web identifier ("" none)
    QSet<QString> ambiguos;              // names of contacts whose number has several
    int identificadores = 900, manuais = 0, encomendas = 0;
};

}  // namespace

TEST_P(ContactosGerados, CadaContactoEnviadoComASuaIdentidadeWebOuNenhuma) {
    for (int ronda = 0; ronda < 8; ++ronda) {
        SCOPED_TRACE(ronda);
        // Contacts are added before orders are read: a run that converts adds none, so that the
        // next one gives the number again.
        if (chance(50)) {
            converterOMaisAlto();
        } else {
            for (int i = 0, n = 1 + sorte(3); i < n; ++i)
                chance(70) ? novoDaWeb() : feitoAMao();
        }
        // Last: a contact made by hand in the CRM under the number of one that was deleted, before
        // any run could see it gone, would be sent under the old identifier, and nothing tells.
        if (chance(40))
            versaoAnterior();
        alterarAlguns();
        for (const QString& f : e.ficheiros(u"cs"_s))
            QFile::remove(e.caminho(u"cs/"_s + f));
        e.executar();
        // The contacts the run added are sent by the next one; their files are kept for it.
        const QString log = registoDaUltima();
        const QMap<QString, QStringList> vistos = enviados();
        for (auto i = vistos.cbegin(); i != vistos.cend(); ++i) {
            SCOPED_TRACE(i.key().toStdString());
            ASSERT_TRUE(identidade.contains(i.key()));
            EXPECT_EQ(i.value(), QStringList{identidade.value(i.key())});
            EXPECT_FALSE(ambiguos.contains(i.key()));
        }
        // Only a number an earlier version gave two identities keeps a contact from being sent.
        for (const QString& l : log.split(u"\r\n"_s)) {
            if (!l.contains(u"não foi enviado: o seu número tem os identificadores web"_s))
                continue;
            const QString nome = l.section(u'(', 1).section(u") da empresa"_s, 0, 0);
            EXPECT_TRUE(ambiguos.contains(nome)) << l.toStdString();
            EXPECT_TRUE(l.contains(identidade.value(nome))) << l.toStdString();
        }
        // Each changed contact counted once: sent, or said not to be.
        const QStringList contagem = e.janela.lista.filter(u"alterações a contactos para enviar"_s);
        ASSERT_EQ(contagem.size(), 2);
        EXPECT_EQ(contagem[1].section(u' ', 1, 1).toInt(),
                  e.ficheiros(u"cs"_s).filter(u" QF_"_s).size() +
                      log.count(u"não foi enviado: o seu número tem os identificadores web"_s))
            << contagem[1].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Sementes, ContactosGerados, ::testing::ValuesIn(sementes({3, 11, 2026})));
