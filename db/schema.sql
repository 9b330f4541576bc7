-- Tables of the inventory-request databases.
--
-- Text columns use SQLite's own NOCASE collation, so that any SQLite tool can query the files
-- without registering anything; the client adds the rest of SQL Server's comparison rules in the
-- statements it sends (trailing blanks of compared texts, letter case beyond ASCII). Dates are kept
-- as ISO text 'yyyy-MM-dd HH:mm:ss' in DATETIME columns so that ordering by them is chronological.
-- Flags are integers 0/1 (the location record writes -1 for true, which reads as true as well).
--
-- A line "-- @database NAME" starts the part of the script that belongs to that database file.

-- @database INVENTORY

CREATE TABLE tbInvSchemaVersion (
    Version     INTEGER NOT NULL,
    AppliedOn   DATETIME NOT NULL
);
INSERT INTO tbInvSchemaVersion (Version, AppliedOn) VALUES (2, strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'));

-- Stored procedures: one SELECT with positional parameters ?1, ?2 each, run by the gateway when a
-- statement calls the procedure by name.
CREATE TABLE tbInvProcedure (
    ProcName    TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    Body        TEXT NOT NULL
);

CREATE TABLE tbHospitalInfo (
    HospitalID                  INTEGER PRIMARY KEY,
    Company                     TEXT COLLATE NOCASE,
    Address1                    TEXT COLLATE NOCASE,
    Address2                    TEXT COLLATE NOCASE,
    TelNum                      TEXT COLLATE NOCASE,
    ClientName                  TEXT COLLATE NOCASE,
    AllowWDZeroOnHand           INTEGER,
    isAutoWithdrawRequestNumber INTEGER
);

CREATE TABLE tbPharmaSwitch (
    idkey       TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    KeyValue    TEXT COLLATE NOCASE,
    Description TEXT COLLATE NOCASE
);

CREATE TABLE tbInvUserSettings (
    UserID                      TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    isVerifyInventoryRequest    INTEGER
);

CREATE TABLE tbInvLocation (
    LocationID          TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    Location            TEXT COLLATE NOCASE,
    Status              TEXT COLLATE NOCASE,
    isWarehouse         INTEGER,
    isDispensingArea    INTEGER,
    AllowOrder          INTEGER,
    InventoryType       TEXT COLLATE NOCASE
);
CREATE INDEX ixInvLocation_Location ON tbInvLocation (Location);

CREATE TABLE tbinvUserLocation (
    UserID      TEXT COLLATE NOCASE NOT NULL,
    LocationID  TEXT COLLATE NOCASE NOT NULL,
    PRIMARY KEY (UserID, LocationID)
);
CREATE INDEX ixInvUserLocation_Location ON tbinvUserLocation (LocationID);

CREATE TABLE tbInvTerms (
    TermsID     INTEGER NOT NULL PRIMARY KEY,
    Terms       TEXT COLLATE NOCASE,
    NoDays      INTEGER,
    Status      TEXT COLLATE NOCASE
);
CREATE INDEX ixInvTerms_Terms ON tbInvTerms (Terms);

-- Suppliers and manufacturers share this table (SupplierType 'S' or 'M').
CREATE TABLE tbInvSupplier (
    SupplierID      TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    SupplierName    TEXT COLLATE NOCASE,
    Status          TEXT COLLATE NOCASE,
    SupplierType    TEXT COLLATE NOCASE,
    Address1        TEXT COLLATE NOCASE,
    Address2        TEXT COLLATE NOCASE,
    Address3        TEXT COLLATE NOCASE,
    TermsID         INTEGER,
    TelNum          TEXT COLLATE NOCASE,
    FreeGoods       INTEGER,
    isVAT           INTEGER,
    ContactPerson   TEXT COLLATE NOCASE
);
CREATE INDEX ixInvSupplier_Name ON tbInvSupplier (SupplierName);

CREATE TABLE tbInvUnitOfMeasure (
    UnitOfMeasureID INTEGER NOT NULL PRIMARY KEY,
    UnitOfMeasure   TEXT COLLATE NOCASE,
    Status          TEXT COLLATE NOCASE
);
CREATE INDEX ixInvUnitOfMeasure_Name ON tbInvUnitOfMeasure (UnitOfMeasure);

CREATE TABLE tbInvClassification (
    ItemClassificationID    TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    ItemClassificationName  TEXT COLLATE NOCASE,
    Status                  TEXT COLLATE NOCASE,
    IsFixedAsset            INTEGER
);

-- Generic names sit in a classification tree: Node_Key '12.3' lies under node '12'.
CREATE TABLE tbforClassification (
    Node_Key            TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    ClassificationName  TEXT COLLATE NOCASE
);

CREATE TABLE tbforGeneric (
    GenericID   TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    GenericName TEXT COLLATE NOCASE,
    Node_Key    TEXT COLLATE NOCASE
);

CREATE TABLE tbInvKit (
    KitID       INTEGER NOT NULL PRIMARY KEY,
    KitName     TEXT COLLATE NOCASE,
    Active      TEXT COLLATE NOCASE
);

CREATE TABLE tbInvKitItem (
    KitID       INTEGER NOT NULL,
    ItemID      TEXT COLLATE NOCASE NOT NULL,
    Qty         REAL NOT NULL DEFAULT 1,
    UnitCost    NUMERIC NOT NULL DEFAULT 0,
    RetailType  TEXT COLLATE NOCASE,
    PRIMARY KEY (KitID, ItemID)
);

-- The hospital-wide item catalogue.
CREATE TABLE tbInvMaster (
    ItemID                  TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    ItemName                TEXT COLLATE NOCASE,
    ItemDesc                TEXT COLLATE NOCASE,
    SupplierID              TEXT COLLATE NOCASE,
    ManufacturerID          TEXT COLLATE NOCASE,
    MarkupIn                INTEGER,
    MarkupOut               INTEGER,
    DownTime                REAL,
    ListCost                NUMERIC,
    Freight                 REAL,
    SalesTax                REAL,
    ItemStatus              INTEGER,
    Packing                 INTEGER,
    VAT                     INTEGER,
    BarCode                 TEXT COLLATE NOCASE,
    ItemClassificationID    TEXT COLLATE NOCASE,
    ItemClass               TEXT COLLATE NOCASE,
    UnitOfMeasureID         INTEGER,
    OralInject              TEXT COLLATE NOCASE,
    AverageCost             NUMERIC,
    GenericID               TEXT COLLATE NOCASE,
    IsSeniorDiscounted      INTEGER,
    WithLotNumber           INTEGER,
    MedicareType            TEXT COLLATE NOCASE,
    MedicareCategory        TEXT COLLATE NOCASE,
    GLCode                  TEXT COLLATE NOCASE,
    IncludeInStatement      INTEGER,
    KitID                   INTEGER
);
-- Product Search reads items by the start of their name, in name order. The index also holds every
-- column of the item the search shows or filters on, so a search reads only index entries, never
-- the wide item rows behind them.
CREATE INDEX ixInvMaster_Name ON tbInvMaster (ItemName, ItemDesc, ItemStatus, ItemID, SupplierID,
    ItemClassificationID, MarkupIn, MarkupOut, Packing, ListCost);
CREATE INDEX ixInvMaster_BarCode ON tbInvMaster (BarCode);
CREATE INDEX ixInvMaster_Kit ON tbInvMaster (KitID);

-- An item at one location: stock, prices and levels there.
CREATE TABLE tbInvent (
    ItemID              TEXT COLLATE NOCASE NOT NULL,
    LocationID          TEXT COLLATE NOCASE NOT NULL,
    Markup_In           INTEGER,
    Markup_Out          INTEGER,
    NetAmount           NUMERIC,
    OnHand              REAL,
    OnOrder             REAL,
    SellingPriceIn      NUMERIC,
    SellingPriceOut     NUMERIC,
    ItemStatus          INTEGER,
    AverageCost         NUMERIC,
    MinStockLevel       REAL,
    MaxStockLevel       REAL,
    AveConsumption      REAL,
    LastInventoryCount  DATETIME,
    ExpiryDate          DATETIME,
    NewGLCode           TEXT COLLATE NOCASE,
    POMonthsToDeliver   REAL,
    MinimumOrAverage    INTEGER,
    StartDate           TEXT COLLATE NOCASE,
    EndDate             TEXT COLLATE NOCASE,
    IsFloor             INTEGER,
    IsCeiling           INTEGER,
    Floor               REAL,
    Ceiling             REAL,
    IsADSStock          INTEGER,
    ADSStock            REAL,
    LastDeliveryDate    DATETIME,
    LastDeliveryQty     REAL,
    PRIMARY KEY (ItemID, LocationID)
);
CREATE INDEX ixInvent_Location ON tbInvent (LocationID, ItemStatus);

-- One row per request line; every row of a request carries its header values.
CREATE TABLE tbInvWithdrawRequest (
    WithdrawRequestID   INTEGER PRIMARY KEY,
    DocumentNumber      TEXT COLLATE NOCASE NOT NULL,
    ItemID              TEXT COLLATE NOCASE,
    Quantity            REAL,
    UnitCost            NUMERIC,
    ForRetail           TEXT COLLATE NOCASE,
    isADS               INTEGER,
    LocationID          TEXT COLLATE NOCASE,
    TargetLocationID    TEXT COLLATE NOCASE,
    TransDate           DATETIME,
    UserID              TEXT COLLATE NOCASE,
    Remarks             TEXT COLLATE NOCASE,
    Verifiedby          TEXT COLLATE NOCASE,
    verifiedDate        DATETIME,
    Status              TEXT COLLATE NOCASE,
    ProcessDate         DATETIME,
    ProcessBy           TEXT COLLATE NOCASE
);
CREATE INDEX ixInvWithdrawRequest_Document ON tbInvWithdrawRequest (DocumentNumber);
-- The request list reads the lines of the user's locations by status. Both indexes hold every
-- column the list reads, ordered by date within a location and status, so the list reads only
-- index entries, in an order that makes folding lines into requests cheap. The pending list
-- filters on isnull(Status,'') and isnull(Verifiedby,''): indexed as written.
CREATE INDEX ixInvWithdrawRequest_LocationStatus ON tbInvWithdrawRequest
    (LocationID, Status, TransDate, DocumentNumber, UserID, TargetLocationID, Verifiedby);
CREATE INDEX ixInvWithdrawRequest_LocationPending ON tbInvWithdrawRequest
    (LocationID, ifnull(Status, '') COLLATE NOCASE, ifnull(Verifiedby, '') COLLATE NOCASE, TransDate, DocumentNumber,
     UserID, TargetLocationID, Status, Verifiedby);

-- The restock suggestion sums a department's open requests by item: by requesting department, with
-- every column it reads.
CREATE INDEX ixInvWithdrawRequest_Target ON tbInvWithdrawRequest
    (TargetLocationID, Status, DocumentNumber, ItemID, Quantity);

-- @database Password

-- The hospital's staff register; passwords are kept scrambled.
CREATE TABLE tbPasswordMain (
    EmployeeID      TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    LastName        TEXT COLLATE NOCASE,
    FirstName       TEXT COLLATE NOCASE,
    Password        TEXT COLLATE NOCASE,
    departmentid    TEXT COLLATE NOCASE,
    Right_Code1     TEXT COLLATE NOCASE,
    Right_Code2     TEXT COLLATE NOCASE
);
