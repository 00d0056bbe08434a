-- The catalogue of shaft steels: one row per grade, treatment and largest
-- blank, stresses and E in MPa. Rows typed by the user have UserAdded = 1;
-- the catalogue's own rows (UserAdded = 0) cannot be removed. Made and seeded
-- when a store is created, and in an older store the first time it is opened.
CREATE TABLE ShaftSteels (SteelID INTEGER PRIMARY KEY AUTOINCREMENT, Grade TEXT, Treatment TEXT,
                          BlankDiameter DOUBLE, Hardness TEXT, SigmaB DOUBLE, SigmaT DOUBLE, TauT DOUBLE,
                          SigmaM1 DOUBLE, TauM1 DOUBLE, PsiTau DOUBLE, E DOUBLE, Source TEXT,
                          UserAdded INTEGER NOT NULL DEFAULT 0);
