-- Demonstration data of the built-in accounting system: its user and articles, with the
-- document type and the pack the demonstration orders use. Runs on a company database made from
-- company-sqlite.sql and accounting.sql.

INSERT OR REPLACE INTO ct_Utilizadores (Utilizador, Password) VALUES ('demo', 'demo');

INSERT OR REPLACE INTO ct_Artigos (Codigo, Descricao, PrecoUnitario, Unidade) VALUES
    ('AZEITE05', 'Azeite virgem extra Quintaflor 0,5 l', 7.95, 'UN'),
    ('MEL250', 'Mel de rosmaninho 250 g', 4.5, 'UN'),
    ('CABAZ01', 'Cabaz Quintaflor: 2 azeites e meio mel', 18.9, 'UN'),
    ('VINHO75', 'Vinho tinto Quintaflor 0,75 l', 9.75, 'UN'),
    ('DOCE300', 'Doce de figo 300 g', 3.8, 'UN'),
    ('CABAZ02', 'Cabaz pequeno-almoço: mel e dois doces', 12, 'UN'),
    ('PORTES', 'Portes de envio', 0, 'SV');

INSERT OR IGNORE INTO TpDoc (Codigo, Descricao, AutEco) VALUES ('ENCW', 'Encomenda Web', 0);

INSERT OR IGNORE INTO vek_Packs (Codigo, Descricao) VALUES
    ('CABAZ01', 'Cabaz Quintaflor: 2 azeites e meio mel');
INSERT OR IGNORE INTO OperaFac (Artigo, Factor, Quantida) VALUES
    ('CABAZ01', 'AZEITE05', 2),
    ('CABAZ01', 'MEL250', 0.5);
