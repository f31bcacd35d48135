-- The host database tables that the reports read, with the columns they use.
-- Runs on SQLite as it stands; the demo database generator strips the
-- COLLATE NOCASE clauses for SQL Server, whose default collation already
-- compares text without regard to case.
-- Dates are DATETIME; on SQLite they hold ISO yyyy-MM-dd text.
-- Money, quantity and ratio columns are declared REAL DECIMAL(p, s): SQLite
-- then stores them as REAL, so that Price*DiscRatio/100 divides as decimals do
-- on SQL Server (a plain DECIMAL column would keep 67 as an integer and 67*10/100
-- would give 6). The SQL Server form drops the word REAL.

CREATE TABLE Companies (
    CompanyId    INTEGER NOT NULL PRIMARY KEY,
    CompanyName  VARCHAR(60) COLLATE NOCASE NOT NULL
);

CREATE TABLE Units (
    UnitID    INTEGER NOT NULL PRIMARY KEY,
    UnitName  VARCHAR(20) COLLATE NOCASE NOT NULL
);

CREATE TABLE Parties (
    PartyId     INTEGER NOT NULL PRIMARY KEY,
    PartyName   VARCHAR(60) COLLATE NOCASE NOT NULL,
    City        VARCHAR(40) COLLATE NOCASE,
    Address     VARCHAR(100) COLLATE NOCASE,
    Phone       VARCHAR(20) COLLATE NOCASE,
    IsVendor    INTEGER NOT NULL DEFAULT 0,
    IsCustomer  INTEGER NOT NULL DEFAULT 0,
    IsBroker    INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE Products (
    ProductId    INTEGER NOT NULL PRIMARY KEY,
    ProductName  VARCHAR(60) COLLATE NOCASE NOT NULL,
    CompanyId    INTEGER NOT NULL REFERENCES Companies (CompanyId),
    UnitID       INTEGER REFERENCES Units (UnitID),
    IsCrop       INTEGER NOT NULL DEFAULT 0,
    IsBardana    INTEGER NOT NULL DEFAULT 0,
    IsBroker     INTEGER NULL
);

CREATE TABLE purchase (
    PurchaseId    INTEGER NOT NULL PRIMARY KEY,
    PurchaseDate  DATETIME NOT NULL,
    VendorId      INTEGER NOT NULL REFERENCES Parties (PartyId),
    BillNo        VARCHAR(20) COLLATE NOCASE,
    PaidAmount    REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    Narration     VARCHAR(100) COLLATE NOCASE
);

CREATE TABLE purchasebody (
    PurchaseId   INTEGER NOT NULL REFERENCES purchase (PurchaseId),
    LineNo       INTEGER NOT NULL,
    ProductId    INTEGER NOT NULL REFERENCES Products (ProductId),
    Qty          REAL DECIMAL(18, 3) NOT NULL DEFAULT 0,
    Bonus        REAL DECIMAL(18, 3) NOT NULL DEFAULT 0,
    Price        REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    DiscRatio    REAL DECIMAL(9, 4) NOT NULL DEFAULT 0,
    DiscValue    REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    STRatio      REAL DECIMAL(9, 4) NOT NULL DEFAULT 0,
    STValue      REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    Multiplier   REAL DECIMAL(18, 3) NOT NULL DEFAULT 1,
    TTLValue     REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    TTLSalesTax  REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    PRIMARY KEY (PurchaseId, LineNo)
);

CREATE TABLE purreturns (
    PurReturnId     INTEGER NOT NULL PRIMARY KEY,
    PurReturnDate   DATETIME NOT NULL,
    PurchaseId      INTEGER REFERENCES purchase (PurchaseId),
    VendorId        INTEGER NOT NULL REFERENCES Parties (PartyId),
    Narration       VARCHAR(100) COLLATE NOCASE,
    ExpPlus         REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    ExpMinus        REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    ComRatio        REAL DECIMAL(9, 4) NOT NULL DEFAULT 0,
    ReceivedAmount  REAL DECIMAL(18, 2) NOT NULL DEFAULT 0
);

CREATE TABLE purreturnsbody (
    PurReturnId  INTEGER NOT NULL REFERENCES purreturns (PurReturnId),
    LineNo       INTEGER NOT NULL,
    ProductId    INTEGER NOT NULL REFERENCES Products (ProductId),
    Qty          REAL DECIMAL(18, 3) NOT NULL DEFAULT 0,
    Bonus        REAL DECIMAL(18, 3) NOT NULL DEFAULT 0,
    Price        REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    DiscRatio    REAL DECIMAL(9, 4) NOT NULL DEFAULT 0,
    DiscValue    REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    STRatio      REAL DECIMAL(9, 4) NOT NULL DEFAULT 0,
    STValue      REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    Multiplier   REAL DECIMAL(18, 3) NOT NULL DEFAULT 1,
    TTLValue     REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    TTLSalesTax  REAL DECIMAL(18, 2) NOT NULL DEFAULT 0,
    PRIMARY KEY (PurReturnId, LineNo)
);

CREATE TABLE Project_registry (
    registrykey  VARCHAR(50) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Value        VARCHAR(200) COLLATE NOCASE
);

CREATE TABLE registry (
    registrykey    VARCHAR(50) COLLATE NOCASE NOT NULL PRIMARY KEY,
    registryvalue  VARCHAR(200) COLLATE NOCASE
);

CREATE INDEX purchase_date ON purchase (PurchaseDate);
CREATE INDEX purchasebody_product ON purchasebody (ProductId);
CREATE INDEX purreturns_date ON purreturns (PurReturnDate);
CREATE INDEX purreturnsbody_product ON purreturnsbody (ProductId);
CREATE INDEX parties_name ON Parties (PartyName);
CREATE INDEX products_name ON Products (ProductName);
