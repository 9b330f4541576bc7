-- Tables of the inventory-request databases.
--
-- The script is run on SQLite with the MSSQL collation registered (case ignored, trailing blanks
-- ignored), so that text keys compare the way the client expects of a SQL Server. Dates are kept
-- as ISO text 'yyyy-MM-dd HH:mm:ss' in DATETIME columns so that ordering by them is chronological.
-- Flags are integers 0/1 (the location record writes -1 for true, which reads as true as well).
--
-- A line "-- @database NAME" starts the part of the script that belongs to that database file.

-- @database INVENTORY

CREATE TABLE tbInvSchemaVersion (
    Version     INTEGER NOT NULL,
    AppliedOn   DATETIME NOT NULL
);
INSERT INTO tbInvSchemaVersion (Version, AppliedOn) VALUES (1, strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime'));

-- Stored procedures: one SELECT with positional parameters ?1, ?2 each, run by the gateway when a
-- statement calls the procedure by name.
CREATE TABLE tbInvProcedure (
    ProcName    TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    Body        TEXT NOT NULL
);

CREATE TABLE tbHospitalInfo (
    HospitalID                  INTEGER PRIMARY KEY,
    Company                     TEXT COLLATE MSSQL,
    Address1                    TEXT COLLATE MSSQL,
    Address2                    TEXT COLLATE MSSQL,
    TelNum                      TEXT COLLATE MSSQL,
    ClientName                  TEXT COLLATE MSSQL,
    AllowWDZeroOnHand           INTEGER,
    isAutoWithdrawRequestNumber INTEGER
);

CREATE TABLE tbPharmaSwitch (
    idkey       TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    KeyValue    TEXT COLLATE MSSQL,
    Description TEXT COLLATE MSSQL
);

CREATE TABLE tbInvUserSettings (
    UserID                      TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    isVerifyInventoryRequest    INTEGER
);

CREATE TABLE tbInvLocation (
    LocationID          TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    Location            TEXT COLLATE MSSQL,
    Status              TEXT COLLATE MSSQL,
    isWarehouse         INTEGER,
    isDispensingArea    INTEGER,
    AllowOrder          INTEGER,
    InventoryType       TEXT COLLATE MSSQL
);
CREATE INDEX ixInvLocation_Location ON tbInvLocation (Location);

CREATE TABLE tbinvUserLocation (
    UserID      TEXT COLLATE MSSQL NOT NULL,
    LocationID  TEXT COLLATE MSSQL NOT NULL,
    PRIMARY KEY (UserID, LocationID)
);
CREATE INDEX ixInvUserLocation_Location ON tbinvUserLocation (LocationID);

CREATE TABLE tbInvTerms (
    TermsID     INTEGER NOT NULL PRIMARY KEY,
    Terms       TEXT COLLATE MSSQL,
    NoDays      INTEGER,
    Status      TEXT COLLATE MSSQL
);
CREATE INDEX ixInvTerms_Terms ON tbInvTerms (Terms);

-- Suppliers and manufacturers share this table (SupplierType 'S' or 'M').
CREATE TABLE tbInvSupplier (
    SupplierID      TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    SupplierName    TEXT COLLATE MSSQL,
    Status          TEXT COLLATE MSSQL,
    SupplierType    TEXT COLLATE MSSQL,
    Address1        TEXT COLLATE MSSQL,
    Address2        TEXT COLLATE MSSQL,
    Address3        TEXT COLLATE MSSQL,
    TermsID         INTEGER,
    TelNum          TEXT COLLATE MSSQL,
    FreeGoods       INTEGER,
    isVAT           INTEGER,
    ContactPerson   TEXT COLLATE MSSQL
);
CREATE INDEX ixInvSupplier_Name ON tbInvSupplier (SupplierName);

CREATE TABLE tbInvUnitOfMeasure (
    UnitOfMeasureID INTEGER NOT NULL PRIMARY KEY,
    UnitOfMeasure   TEXT COLLATE MSSQL,
    Status          TEXT COLLATE MSSQL
);
CREATE INDEX ixInvUnitOfMeasure_Name ON tbInvUnitOfMeasure (UnitOfMeasure);

CREATE TABLE tbInvClassification (
    ItemClassificationID    TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    ItemClassificationName  TEXT COLLATE MSSQL,
    Status                  TEXT COLLATE MSSQL,
    IsFixedAsset            INTEGER
);

-- Generic names sit in a classification tree: Node_Key '12.3' lies under node '12'.
CREATE TABLE tbforClassification (
    Node_Key            TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    ClassificationName  TEXT COLLATE MSSQL
);

CREATE TABLE tbforGeneric (
    GenericID   TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    GenericName TEXT COLLATE MSSQL,
    Node_Key    TEXT COLLATE MSSQL
);

CREATE TABLE tbInvKit (
    KitID       INTEGER NOT NULL PRIMARY KEY,
    KitName     TEXT COLLATE MSSQL,
    Active      TEXT COLLATE MSSQL
);

CREATE TABLE tbInvKitItem (
    KitID       INTEGER NOT NULL,
    ItemID      TEXT COLLATE MSSQL NOT NULL,
    Qty         REAL NOT NULL DEFAULT 1,
    UnitCost    NUMERIC NOT NULL DEFAULT 0,
    RetailType  TEXT COLLATE MSSQL,
    PRIMARY KEY (KitID, ItemID)
);

-- The hospital-wide item catalogue.
CREATE TABLE tbInvMaster (
    ItemID                  TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    ItemName                TEXT COLLATE MSSQL,
    ItemDesc                TEXT COLLATE MSSQL,
    SupplierID              TEXT COLLATE MSSQL,
    ManufacturerID          TEXT COLLATE MSSQL,
    MarkupIn                INTEGER,
    MarkupOut               INTEGER,
    DownTime                REAL,
    ListCost                NUMERIC,
    Freight                 REAL,
    SalesTax                REAL,
    ItemStatus              INTEGER,
    Packing                 INTEGER,
    VAT                     INTEGER,
    BarCode                 TEXT COLLATE MSSQL,
    ItemClassificationID    TEXT COLLATE MSSQL,
    ItemClass               TEXT COLLATE MSSQL,
    UnitOfMeasureID         INTEGER,
    OralInject              TEXT COLLATE MSSQL,
    AverageCost             NUMERIC,
    GenericID               TEXT COLLATE MSSQL,
    IsSeniorDiscounted      INTEGER,
    WithLotNumber           INTEGER,
    MedicareType            TEXT COLLATE MSSQL,
    MedicareCategory        TEXT COLLATE MSSQL,
    GLCode                  TEXT COLLATE MSSQL,
    IncludeInStatement      INTEGER,
    KitID                   INTEGER
);
CREATE INDEX ixInvMaster_Name ON tbInvMaster (ItemName, ItemDesc);
CREATE INDEX ixInvMaster_BarCode ON tbInvMaster (BarCode);
CREATE INDEX ixInvMaster_Kit ON tbInvMaster (KitID);

-- An item at one location: stock, prices and levels there.
CREATE TABLE tbInvent (
    ItemID              TEXT COLLATE MSSQL NOT NULL,
    LocationID          TEXT COLLATE MSSQL NOT NULL,
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
    NewGLCode           TEXT COLLATE MSSQL,
    POMonthsToDeliver   REAL,
    MinimumOrAverage    INTEGER,
    StartDate           TEXT COLLATE MSSQL,
    EndDate             TEXT COLLATE MSSQL,
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
    DocumentNumber      TEXT COLLATE MSSQL NOT NULL,
    ItemID              TEXT COLLATE MSSQL,
    Quantity            REAL,
    UnitCost            NUMERIC,
    ForRetail           TEXT COLLATE MSSQL,
    isADS               INTEGER,
    LocationID          TEXT COLLATE MSSQL,
    TargetLocationID    TEXT COLLATE MSSQL,
    TransDate           DATETIME,
    UserID              TEXT COLLATE MSSQL,
    Remarks             TEXT COLLATE MSSQL,
    Verifiedby          TEXT COLLATE MSSQL,
    verifiedDate        DATETIME,
    Status              TEXT COLLATE MSSQL,
    ProcessDate         DATETIME,
    ProcessBy           TEXT COLLATE MSSQL
);
CREATE INDEX ixInvWithdrawRequest_Document ON tbInvWithdrawRequest (DocumentNumber);
-- The request list reads the lines of the user's locations by status. Both indexes hold every
-- column the list reads, ordered by date within a location and status, so the list reads only
-- index entries, in an order that makes folding lines into requests cheap. The pending list
-- filters on isnull(Status,'') and isnull(Verifiedby,''): indexed as written.
CREATE INDEX ixInvWithdrawRequest_LocationStatus ON tbInvWithdrawRequest
    (LocationID, Status, TransDate, DocumentNumber, UserID, TargetLocationID, Verifiedby);
CREATE INDEX ixInvWithdrawRequest_LocationPending ON tbInvWithdrawRequest
    (LocationID, ifnull(Status, '') COLLATE MSSQL, ifnull(Verifiedby, '') COLLATE MSSQL, TransDate, DocumentNumber,
     UserID, TargetLocationID, Status, Verifiedby);

-- @database Password

-- The hospital's staff register; passwords are kept scrambled.
CREATE TABLE tbPasswordMain (
    EmployeeID      TEXT COLLATE MSSQL NOT NULL PRIMARY KEY,
    LastName        TEXT COLLATE MSSQL,
    FirstName       TEXT COLLATE MSSQL,
    Password        TEXT COLLATE MSSQL,
    departmentid    TEXT COLLATE MSSQL,
    Right_Code1     TEXT COLLATE MSSQL,
    Right_Code2     TEXT COLLATE MSSQL
);
