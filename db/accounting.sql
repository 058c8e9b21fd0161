-- The tables of the built-in accounting system (tables ct_...), kept in each company's embedded
-- database beside the CRM and accounting tables: its users, its articles, and the documents it
-- stores with their lines. Each is created only when missing: the program runs this script when
-- it opens a company that lacks them; scripts/create-company-db runs it on a new database.

CREATE TABLE IF NOT EXISTS ct_Utilizadores (
    Utilizador nvarchar(20) NOT NULL PRIMARY KEY,
    Password nvarchar(50) NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS ct_Artigos (
    Codigo nvarchar(15) NOT NULL PRIMARY KEY,
    Descricao nvarchar(80) NOT NULL DEFAULT '',
    PrecoUnitario numeric(18,4) NOT NULL DEFAULT 0,
    Unidade nvarchar(5) NOT NULL DEFAULT 'UN'
);
CREATE TABLE IF NOT EXISTS ct_Documentos (
    TipoDocumento nvarchar(5) NOT NULL,
    Serie smallint NOT NULL,
    Ano smallint NOT NULL,
    Numero int NOT NULL,
    Sector nvarchar(10),
    Terceiro nvarchar(10),
    TipoTerceiro smallint,
    AreaGestao smallint,
    TipoPreco smallint,
    Moeda nvarchar(3),
    Data nvarchar(10),
    Processo nvarchar(50),
    Observacoes nvarchar(4000),
    Origem int,
    Utilizador nvarchar(20),
    GravadoEm nvarchar(19),
    PRIMARY KEY (TipoDocumento, Serie, Ano, Numero)
);
CREATE INDEX IF NOT EXISTS ct_Documentos_Processo ON ct_Documentos (Processo);
CREATE TABLE IF NOT EXISTS ct_LinhasDocumento (
    TipoDocumento nvarchar(5) NOT NULL,
    Serie smallint NOT NULL,
    Ano smallint NOT NULL,
    Numero int NOT NULL,
    NumeroDaLinha smallint NOT NULL,
    TipoDeLinha smallint NOT NULL,
    Artigo nvarchar(15),
    Armazem nvarchar(10),
    Descricao nvarchar(100),
    Unidade nvarchar(5),
    Quantidade numeric(18,4),
    QuantidadeOrigem numeric(18,4),
    PrecoUnitario numeric(18,4),
    TaxaDesconto numeric(18,4),
    Desconto nvarchar(25),
    EcoTaxaProcessada smallint,
    LinhaRelacionada smallint,
    PRIMARY KEY (TipoDocumento, Serie, Ano, Numero, NumeroDaLinha)
);
