#include "platform/ini/clsIni.h"
#include "tests/apoio/Apoio.h"

// Writing changes only the bytes of the values written, in the file's own encoding and line
// ends, and takes over what a save killed half-way left; a value the file cannot hold leaves it
// as it was.
TEST(clsIni, GravarMudaSoOsValoresNaCodificacaoENosFinsDeLinhaDoFicheiro) {
    const struct {
        const char* nome;
        QByteArray antes;
        QList<clsIni::Valor> valores;
        QByteArray depois;  // null: refused, the file unchanged
    } casos[] = {
        {"utf8 with BOM and CR LF",
         "\xEF\xBB\xBF[Contactos]\r\n  Directoria Entrada =  C:\\Dados\\Web "
         "\r\n[Log]\r\nX=\"a\"\r\n",
         {{u"contactos"_s, u"directoria entrada"_s, u"D:\\Ação"_s},
          {u"Log"_s, u"X"_s, u"a"_s},
          {u"Nova"_s, u"K"_s, u"v"_s}},
         "\xEF\xBB\xBF[Contactos]\r\n  Directoria Entrada =  D:\\A\xC3\xA7\xC3\xA3o \r\n[Log]\r\n"
         "X=\"a\"\r\n\r\n[Nova]\r\nK=v\r\n"},
        {"windows-1252 without an end to its last line",
         "; Par\xE2metros\r\n[QF]\nNomeSQL=Concei\xE7\xE3o\r\n[SR]\r\nNomeSQL=SR",
         {{u"QF"_s, u"NomeSQL"_s, u"São € “x”"_s}, {u"SR"_s, u"UltimoEnviado"_s, u"4294967397"_s}},
         "; Par\xE2metros\r\n[QF]\nNomeSQL=S\xE3o \x80 \x93x\x94\r\n[SR]\r\nNomeSQL=SR\r\n"
         "UltimoEnviado=4294967397"},
        {"CR only", "[A]\rB=1\r", {{u"A"_s, u"C"_s, u"2"_s}}, "[A]\rB=1\rC=2\r"},
        {"a character windows-1252 has not", "[A]\r\nB=\xE7\r\n", {{u"A"_s, u"B"_s, u"→"_s}}, {}},
        {"a value of several lines", "[A]\nB=1\n", {{u"A"_s, u"B"_s, u"1\n[X]"_s}}, {}},
        {"utf8 stays utf8",
         "[A]\nB=\xC3\xA7\n",
         {{u"A"_s, u"B"_s, u"→"_s}},
         "[A]\nB=\xE2\x86\x92\n"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Espaco e;
        clsIni ini;
        ini.Ficheiro(e.escrever(u"q.vek"_s, c.antes));
        e.escrever(u".q.vek.tmp"_s, "[A");  // left by a save killed half-way
        EXPECT_EQ(ini.GravarValores(c.valores), !c.depois.isNull());
        EXPECT_EQ(e.existe(u".q.vek.tmp"_s), c.depois.isNull());
        EXPECT_EQ(e.ler(u"q.vek"_s), c.depois.isNull() ? c.antes : c.depois);
        for (const clsIni::Valor& v : c.depois.isNull() ? QList<clsIni::Valor>{} : c.valores) {
            clsIni lido;
            lido.Ficheiro(e.caminho(u"q.vek"_s));
            EXPECT_EQ(lido.LerValor(v.seccao, v.chave), v.texto);
        }
    }
}
