-- What a SQL Server company database needs besides the CRM and accounting tables it already
-- has: the record of prospects turned into customers (see db/company-sqlite.sql).
IF OBJECT_ID(N'dbo.vek_ContactosConvertidos', N'U') IS NULL
CREATE TABLE dbo.vek_ContactosConvertidos (
    Codigo nvarchar(15) NOT NULL PRIMARY KEY,
    ClienteCodigo nvarchar(10) NOT NULL,
    Id_Unico nvarchar(36) NULL,
    Data nvarchar(19) NULL
);
