-- Company database, embedded edition (SQLite): the CRM tables (vek_...) and the accounting
-- tables the synchronizer reads and writes. Run on an empty database file.
--
-- dbts / DBTS behave as SQL Server row versions: one counter per database (vek_RowVersion),
-- advanced on every insert and every update of a row that carries the column. The AFTER
-- UPDATE triggers skip the update that sets the version itself (NEW.dbts IS NOT OLD.dbts),
-- so they never feed each other.

CREATE TABLE vek_RowVersion (
    Id integer PRIMARY KEY CHECK (Id = 1),
    Valor integer NOT NULL
);
INSERT INTO vek_RowVersion (Id, Valor) VALUES (1, 0);

-- CRM contacts --------------------------------------------------------------------------------

CREATE TABLE vek_contactos (
    Codigo nvarchar(15) NOT NULL,
    Numero int NOT NULL PRIMARY KEY,
    Nome nvarchar(100),
    Contacto nvarchar(50),
    Morada nvarchar(100),
    Local nvarchar(50),
    CdPostal nvarchar(20),
    Telef nvarchar(20),
    Fax nvarchar(20),
    telex nvarchar(20),
    NContrib nvarchar(20),
    Cae nvarchar(10),
    TelGer nvarchar(20),
    TelCom nvarchar(20),
    Telfim nvarchar(20),
    Email nvarchar(100),
    Sitio nvarchar(100),
    ZonaGeo nvarchar(10),
    CodPais nvarchar(5),
    ContGer nvarchar(50),
    ContCom nvarchar(50),
    ContFin nvarchar(50),
    Observ nvarchar(255),
    Obs2 nvarchar(255),
    Vendedor nvarchar(10),
    GesCnt nvarchar(10),
    FuncaoEntidades_Id int,
    Id_Unico nvarchar(36),
    dbts bigint
);
CREATE UNIQUE INDEX vek_contactos_Codigo ON vek_contactos (Codigo);
CREATE INDEX vek_contactos_dbts ON vek_contactos (dbts);

CREATE TRIGGER vek_contactos_versao_ins AFTER INSERT ON vek_contactos
BEGIN
    UPDATE vek_RowVersion SET Valor = Valor + 1 WHERE Id = 1;
    UPDATE vek_contactos
       SET dbts = (SELECT Valor FROM vek_RowVersion WHERE Id = 1),
           Id_Unico = COALESCE(NEW.Id_Unico,
               (SELECT substr(h, 1, 8) || '-' || substr(h, 9, 4) || '-4' || substr(h, 14, 3) || '-'
                       || substr('89AB', 1 + (abs(random()) % 4), 1) || substr(h, 18, 3) || '-'
                       || substr(h, 21, 12)
                  FROM (SELECT upper(hex(randomblob(16))) AS h)))
     WHERE rowid = NEW.rowid;
END;

CREATE TRIGGER vek_contactos_versao_upd AFTER UPDATE ON vek_contactos
WHEN NEW.dbts IS OLD.dbts
BEGIN
    UPDATE vek_RowVersion SET Valor = Valor + 1 WHERE Id = 1;
    UPDATE vek_contactos SET dbts = (SELECT Valor FROM vek_RowVersion WHERE Id = 1)
     WHERE rowid = NEW.rowid;
END;

-- Web contacts the CRM knows: web identifier -> contact number.
CREATE TABLE vek_BDC_EquivalenciaOnlineDesktop (
    IDnet int NOT NULL,
    numero int NOT NULL,
    PRIMARY KEY (IDnet, numero)
);
CREATE INDEX vek_BDC_EquivalenciaOnlineDesktop_numero
    ON vek_BDC_EquivalenciaOnlineDesktop (numero);

-- Classes and the classification of entities (Tipo 3: CRM contact, 1: customer).
CREATE TABLE vek_Classe (
    class_Id int NOT NULL PRIMARY KEY,
    Descricao nvarchar(50),
    CampoLivre nvarchar(50)
);

CREATE TABLE vek_EntidadesClassificacao (
    Class_id int NOT NULL,
    Tipo smallint NOT NULL,
    Codigo nvarchar(15) NOT NULL,
    PRIMARY KEY (Tipo, Codigo, Class_id)
);

CREATE TABLE vek_Incidentes (
    Id integer PRIMARY KEY,
    Entidade_Tipo smallint NOT NULL,
    Entidade_Codigo nvarchar(15) NOT NULL,
    Data datetime,
    Assunto nvarchar(100),
    Descricao nvarchar(255)
);
CREATE INDEX vek_Incidentes_Entidade ON vek_Incidentes (Entidade_Tipo, Entidade_Codigo);

CREATE TABLE vek_TabelasEntidades (
    Id integer PRIMARY KEY,
    ext_Tipo smallint NOT NULL,
    ext_Codigo nvarchar(15) NOT NULL,
    Tabela nvarchar(30),
    Valor nvarchar(50)
);
CREATE INDEX vek_TabelasEntidades_ext ON vek_TabelasEntidades (ext_Tipo, ext_Codigo);

-- Accounting ----------------------------------------------------------------------------------

-- Customers. NUMERO -1 is the template every new customer starts from.
CREATE TABLE CLIENTES (
    NUMERO int NOT NULL PRIMARY KEY,
    CODIGO nvarchar(10) NOT NULL UNIQUE,
    NOME nvarchar(100),
    CONTACTO nvarchar(50),
    MORADA nvarchar(100),
    LOCAL nvarchar(50),
    CDPOSTAL nvarchar(20),
    TELEF nvarchar(20),
    FAX nvarchar(20),
    TELEX nvarchar(20),
    NCONTRIB nvarchar(20),
    CAE nvarchar(10),
    TELGER nvarchar(20),
    TELCOM nvarchar(20),
    TELFIN nvarchar(20),
    EMAIL nvarchar(100),
    SITIO nvarchar(100),
    ZONAGEO nvarchar(10),
    CODPAIS nvarchar(5),
    CONTGER nvarchar(50),
    CONTCOME nvarchar(50),
    CONTFIN nvarchar(50),
    OBSERV nvarchar(255),
    OBS2 nvarchar(255),
    VENDEDOR nvarchar(10),
    GESTCNT nvarchar(10),
    CONDPAG nvarchar(5),
    MOEDA nvarchar(3),
    TIPOPRECO smallint,
    DESCONTO numeric(18,4),
    ZONA nvarchar(10),
    LIMITECRED numeric(18,2),
    INACTIVO smallint NOT NULL DEFAULT 0,
    NOTAS nvarchar(255),
    DBTS bigint
);

CREATE TRIGGER CLIENTES_versao_ins AFTER INSERT ON CLIENTES
BEGIN
    UPDATE vek_RowVersion SET Valor = Valor + 1 WHERE Id = 1;
    UPDATE CLIENTES SET DBTS = (SELECT Valor FROM vek_RowVersion WHERE Id = 1)
     WHERE rowid = NEW.rowid;
END;

CREATE TRIGGER CLIENTES_versao_upd AFTER UPDATE ON CLIENTES
WHEN NEW.DBTS IS OLD.DBTS
BEGIN
    UPDATE vek_RowVersion SET Valor = Valor + 1 WHERE Id = 1;
    UPDATE CLIENTES SET DBTS = (SELECT Valor FROM vek_RowVersion WHERE Id = 1)
     WHERE rowid = NEW.rowid;
END;

-- Document types; AutEco lets the accounting add the eco-tax lines itself.
CREATE TABLE TpDoc (
    Codigo nvarchar(5) PRIMARY KEY,
    Descricao nvarchar(50),
    AutEco smallint NOT NULL DEFAULT 0
);

-- Articles sold as packs, and what one pack holds.
CREATE TABLE vek_Packs (
    Codigo nvarchar(15) PRIMARY KEY,
    Descricao nvarchar(80)
);

CREATE TABLE OperaFac (
    Artigo nvarchar(15),
    Factor nvarchar(15),
    Quantida numeric(18,4),
    PRIMARY KEY (Artigo, Factor)
);

-- Prospects turned into customers, by the web order that caused each conversion (company and
-- web order number), written in the conversion's own transaction: an order whose document could
-- not be written after its prospect was converted is written, at a later run, for the customer
-- made for that very order. Contact codes are given again, so they key nothing here. A row with
-- an empty CodigoCliente is an order whose contact did not exist when it was first read: a
-- contact given that code later is not taken for it.
CREATE TABLE vek_ConversoesDeEncomendas (
    Empresa nvarchar(20) NOT NULL,
    IdEncomenda int NOT NULL,
    CodigoContacto nvarchar(15) NOT NULL,
    CodigoCliente nvarchar(10) NOT NULL,
    Id_Unico nvarchar(36),
    Data nvarchar(19),
    PRIMARY KEY (Empresa, IdEncomenda)
);
