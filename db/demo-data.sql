-- A demonstration company: run after company-sqlite.sql.

-- The template every new customer starts from, and a few customers.
INSERT INTO CLIENTES (NUMERO, CODIGO, NOME, MORADA, LOCAL, CDPOSTAL, CODPAIS, ZONAGEO, VENDEDOR,
                      CONDPAG, MOEDA, TIPOPRECO, DESCONTO, ZONA, LIMITECRED, INACTIVO, NOTAS)
VALUES (-1, 'MODELO', 'Modelo de cliente web', '', '', '', 'PT', 'NAC', '',
        '30D', 'EUR', 1, 0, 'WEB', 500, 0, NULL);
INSERT INTO CLIENTES (NUMERO, CODIGO, NOME, CONTACTO, MORADA, LOCAL, CDPOSTAL, TELEF, NCONTRIB,
                      EMAIL, CODPAIS, ZONAGEO, VENDEDOR, CONDPAG, MOEDA, TIPOPRECO, DESCONTO, ZONA,
                      LIMITECRED, INACTIVO)
VALUES (1, '1', 'Mercearia do Largo, Lda.', 'Ana Ribeiro', 'Largo da Igreja, 3', 'Tavira',
        '8800-301', '281000111', '501234560', 'encomendas@mercearialargo.pt', 'PT', 'SUL', 'V01',
        '30D', 'EUR', 1, 10, 'ALG', 2000, 0);
INSERT INTO CLIENTES (NUMERO, CODIGO, NOME, CONTACTO, MORADA, LOCAL, CDPOSTAL, TELEF, NCONTRIB,
                      EMAIL, CODPAIS, ZONAGEO, VENDEDOR, CONDPAG, MOEDA, TIPOPRECO, DESCONTO, ZONA,
                      LIMITECRED, INACTIVO)
VALUES (2, '2', 'Hotel Serra Azul', 'Rui Matos', 'Estrada Nacional 2, km 40', 'Castro Daire',
        '3600-010', '232000222', '502345670', 'compras@serraazul.pt', 'PT', 'NRT', 'V02',
        '60D', 'EUR', 2, 5, 'CEN', 5000, 0);
INSERT INTO CLIENTES (NUMERO, CODIGO, NOME, MORADA, LOCAL, CDPOSTAL, NCONTRIB, EMAIL, CODPAIS,
                      ZONAGEO, VENDEDOR, CONDPAG, MOEDA, TIPOPRECO, DESCONTO, ZONA, LIMITECRED,
                      INACTIVO)
VALUES (3, '3', 'Delicatessen Ribeira', 'Cais da Ribeira, 12', 'Porto', '4050-510', '503456780',
        'geral@deliribeira.pt', 'PT', 'NRT', 'V01', '30D', 'EUR', 1, 0, 'NRT', 1500, 0);

-- Classes of entities; CampoLivre holds the class's general discount.
INSERT INTO vek_Classe (class_Id, Descricao, CampoLivre) VALUES (1, 'Revendedor', '10');
INSERT INTO vek_Classe (class_Id, Descricao, CampoLivre) VALUES (2, 'Consumidor final', '0');
INSERT INTO vek_Classe (class_Id, Descricao, CampoLivre) VALUES (3, 'Hotelaria', '5');

-- CRM contacts (prospects); dbts and Id_Unico come from the database.
INSERT INTO vek_contactos (Codigo, Numero, Nome, Contacto, Morada, Local, CdPostal, Telef, Fax,
                           telex, NContrib, Cae, TelGer, TelCom, Telfim, Email, Sitio, ZonaGeo,
                           CodPais, ContGer, ContCom, ContFin, Observ, Obs2, Vendedor, GesCnt)
VALUES ('1', 1, 'Padaria Flor de Sal', 'Marta Sousa', 'Rua Direita, 45', 'Olhão', '8700-123',
        '289000123', '', '912000123', '504567890', '10711', '', '289000124', '', 'marta@flordesal.pt',
        'www.flordesal.pt', 'SUL', 'PT', 'Marta Sousa', 'Marta Sousa', '', 'Pediu tabela de revenda',
        '', 'V01', 'G01');
INSERT INTO vek_contactos (Codigo, Numero, Nome, Contacto, Morada, Local, CdPostal, Telef, Email,
                           CodPais, Vendedor)
VALUES ('2', 2, 'João d''Almeida', 'João d''Almeida', 'Av. da Liberdade, 200, 3.º Esq.', 'Lisboa',
        '1250-147', '213000456', 'joao.almeida@example.pt', 'PT', 'V02');
INSERT INTO vek_contactos (Codigo, Numero, Nome, Contacto, Morada, Local, CdPostal, Telef, Email,
                           Sitio, CodPais, Vendedor, GesCnt)
VALUES ('3', 3, 'Restaurante O Pescador', 'Carlos Neves', 'Rua do Cais, 7', 'Peniche',
        '2520-230', '262000789', 'reservas@opescador.pt', 'www.opescador.pt', 'PT', 'V02', 'G01');
INSERT INTO vek_contactos (Codigo, Numero, Nome, Email, CodPais)
VALUES ('4', 4, 'Sofia Martins', 'sofia.martins@example.com', 'PT');

INSERT INTO vek_EntidadesClassificacao (Class_id, Tipo, Codigo) VALUES (1, 3, '1');
INSERT INTO vek_EntidadesClassificacao (Class_id, Tipo, Codigo) VALUES (2, 3, '2');
INSERT INTO vek_EntidadesClassificacao (Class_id, Tipo, Codigo) VALUES (3, 3, '3');
INSERT INTO vek_EntidadesClassificacao (Class_id, Tipo, Codigo) VALUES (1, 1, '1');
INSERT INTO vek_EntidadesClassificacao (Class_id, Tipo, Codigo) VALUES (3, 1, '2');

INSERT INTO vek_Incidentes (Entidade_Tipo, Entidade_Codigo, Data, Assunto, Descricao)
VALUES (3, '1', '2025-03-14 10:30:00', 'Pedido de amostras', 'Enviar amostras de azeite e mel.');
INSERT INTO vek_Incidentes (Entidade_Tipo, Entidade_Codigo, Data, Assunto, Descricao)
VALUES (3, '3', '2025-04-02 16:00:00', 'Visita', 'Visita comercial marcada.');
INSERT INTO vek_TabelasEntidades (ext_Tipo, ext_Codigo, Tabela, Valor)
VALUES (3, '1', 'Canal', 'Loja online');

-- Web contacts already known to the CRM.
INSERT INTO vek_BDC_EquivalenciaOnlineDesktop (IDnet, numero) VALUES (501, 1);
INSERT INTO vek_BDC_EquivalenciaOnlineDesktop (IDnet, numero) VALUES (502, 2);
INSERT INTO vek_BDC_EquivalenciaOnlineDesktop (IDnet, numero) VALUES (503, 3);

-- Document types.
INSERT INTO TpDoc (Codigo, Descricao, AutEco) VALUES ('ENCW', 'Encomenda web', 0);
INSERT INTO TpDoc (Codigo, Descricao, AutEco) VALUES ('FA', 'Factura', 0);

-- Packs and what they hold.
INSERT INTO vek_Packs (Codigo, Descricao) VALUES ('CABAZ01', 'Cabaz Azeite e Mel');
INSERT INTO vek_Packs (Codigo, Descricao) VALUES ('CABAZ02', 'Cabaz Pequeno-Almoço');
INSERT INTO OperaFac (Artigo, Factor, Quantida) VALUES ('CABAZ01', 'AZEITE05', 2);
INSERT INTO OperaFac (Artigo, Factor, Quantida) VALUES ('CABAZ01', 'MEL250', 0.5);
INSERT INTO OperaFac (Artigo, Factor, Quantida) VALUES ('CABAZ02', 'MEL250', 1);
INSERT INTO OperaFac (Artigo, Factor, Quantida) VALUES ('CABAZ02', 'DOCE300', 2);
