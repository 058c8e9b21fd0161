-- What a SQL Server company database needs besides the CRM and accounting tables it already
-- has (see db/company-sqlite.sql). Safe to run again: each table is created only when missing.
--
-- Prospects turned into customers, by the web order that caused each conversion; an empty
-- CodigoCliente marks an order whose contact did not exist when it was first read.
IF OBJECT_ID(N'dbo.vek_ConversoesDeEncomendas', N'U') IS NULL
CREATE TABLE dbo.vek_ConversoesDeEncomendas (
    Empresa nvarchar(20) NOT NULL,
    IdEncomenda int NOT NULL,
    CodigoContacto nvarchar(15) NOT NULL,
    CodigoCliente nvarchar(10) NOT NULL,
    Id_Unico nvarchar(36) NULL,
    Data nvarchar(19) NULL,
    CONSTRAINT PK_vek_ConversoesDeEncomendas PRIMARY KEY (Empresa, IdEncomenda)
);
-- vek_ContactosConvertidos, which an earlier version kept by contact code, is no longer written
-- and is left as it is: its rows are only shown to the office when an order names a contact
-- that no longer exists.
