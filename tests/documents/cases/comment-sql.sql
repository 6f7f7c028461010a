-- Selects the custmer rows
SELECT "column_name", name FROM users WHERE note = 'it''s fine' /* inline
block */ AND id = 3;
