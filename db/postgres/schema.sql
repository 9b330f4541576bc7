-- Tables of the inventory-request databases on a PostgreSQL server: the two databases of the
-- embedded files are the schemas "inventory" and "password" of one PostgreSQL database.
--
-- Text columns are citext, so that comparison, ordering and Like ignore letter case as SQL
-- Server's default collation does; texts are stored without trailing blanks (trailing-blanks.sql),
-- and the client's statements lose the trailing blanks of the texts they compare. Dates are timestamp(0). The columns and indexes follow db/schema.sql, the embedded
-- files' schema, column for column.
--
-- A line "-- @database NAME" starts the part of the script that belongs to that database.

CREATE EXTENSION IF NOT EXISTS citext;

-- @database INVENTORY
CREATE SCHEMA inventory;
SET search_path = inventory, public;

CREATE TABLE tbInvSchemaVersion (
    Version     integer NOT NULL,
    AppliedOn   timestamp(0) NOT NULL
);
INSERT INTO tbInvSchemaVersion (Version, AppliedOn) VALUES (5, LOCALTIMESTAMP(0));

CREATE TABLE tbHospitalInfo (
    HospitalID                  integer PRIMARY KEY,
    Company                     citext,
    Address1                    citext,
    Address2                    citext,
    TelNum                      citext,
    ClientName                  citext,
    AllowWDZeroOnHand           integer,
    isAutoWithdrawRequestNumber integer
);

CREATE TABLE tbPharmaSwitch (
    idkey       citext NOT NULL PRIMARY KEY,
    KeyValue    citext,
    Description citext
);

CREATE TABLE tbInvUserSettings (
    UserID                      citext NOT NULL PRIMARY KEY,
    isVerifyInventoryRequest    integer
);

CREATE TABLE tbInvLocation (
    LocationID          citext NOT NULL PRIMARY KEY,
    Location            citext,
    Status              citext,
    isWarehouse         integer,
    isDispensingArea    integer,
    AllowOrder          integer,
    InventoryType       citext
);
CREATE INDEX ixInvLocation_Location ON tbInvLocation (Location);

CREATE TABLE tbinvUserLocation (
    UserID      citext NOT NULL,
    LocationID  citext NOT NULL,
    PRIMARY KEY (UserID, LocationID)
);
CREATE INDEX ixInvUserLocation_Location ON tbinvUserLocation (LocationID);

CREATE TABLE tbInvTerms (
    TermsID     integer NOT NULL PRIMARY KEY,
    Terms       citext,
    NoDays      integer,
    Status      citext
);
CREATE INDEX ixInvTerms_Terms ON tbInvTerms (Terms);

-- Suppliers and manufacturers share this table (SupplierType 'S' or 'M').
CREATE TABLE tbInvSupplier (
    SupplierID      citext NOT NULL PRIMARY KEY,
    SupplierName    citext,
    Status          citext,
    SupplierType    citext,
    Address1        citext,
    Address2        citext,
    Address3        citext,
    TermsID         integer,
    TelNum          citext,
    FreeGoods       integer,
    isVAT           integer,
    ContactPerson   citext
);
CREATE INDEX ixInvSupplier_Name ON tbInvSupplier (SupplierName);

CREATE TABLE tbInvUnitOfMeasure (
    UnitOfMeasureID integer NOT NULL PRIMARY KEY,
    UnitOfMeasure   citext,
    Status          citext
);
CREATE INDEX ixInvUnitOfMeasure_Name ON tbInvUnitOfMeasure (UnitOfMeasure);

CREATE TABLE tbInvClassification (
    ItemClassificationID    citext NOT NULL PRIMARY KEY,
    ItemClassificationName  citext,
    Status                  citext,
    IsFixedAsset            integer
);

-- Generic names sit in a classification tree: Node_Key '12.3' lies under node '12'.
CREATE TABLE tbforClassification (
    Node_Key            citext NOT NULL PRIMARY KEY,
    ClassificationName  citext
);

CREATE TABLE tbforGeneric (
    GenericID   citext NOT NULL PRIMARY KEY,
    GenericName citext,
    Node_Key    citext
);

CREATE TABLE tbInvKit (
    KitID       integer NOT NULL PRIMARY KEY,
    KitName     citext,
    Active      citext
);

CREATE TABLE tbInvKitItem (
    KitID       integer NOT NULL,
    ItemID      citext NOT NULL,
    Qty         double precision NOT NULL DEFAULT 1,
    UnitCost    numeric NOT NULL DEFAULT 0,
    RetailType  citext,
    PRIMARY KEY (KitID, ItemID)
);

-- The hospital-wide item catalogue.
CREATE TABLE tbInvMaster (
    ItemID                  citext NOT NULL PRIMARY KEY,
    ItemName                citext,
    ItemDesc                citext,
    SupplierID              citext,
    ManufacturerID          citext,
    MarkupIn                integer,
    MarkupOut               integer,
    DownTime                double precision,
    ListCost                numeric,
    Freight                 double precision,
    SalesTax                double precision,
    ItemStatus              integer,
    Packing                 integer,
    VAT                     integer,
    BarCode                 citext,
    ItemClassificationID    citext,
    ItemClass               citext,
    UnitOfMeasureID         integer,
    OralInject              citext,
    AverageCost             numeric,
    GenericID               citext,
    IsSeniorDiscounted      integer,
    WithLotNumber           integer,
    MedicareType            citext,
    MedicareCategory        citext,
    GLCode                  citext,
    IncludeInStatement      integer,
    KitID                   integer
);
CREATE INDEX ixInvMaster_Name ON tbInvMaster (ItemName, ItemDesc);
-- ---- The product search --------------------------------------------------------------------------
-- A name search "ItemName Like 'G%'" reaches the server as the match ILIKE makes, written out:
-- "lower(ItemName::citext::text) LIKE lower('G%')", which this index serves (in any collation:
-- text_pattern_ops compares bytes), so a search reads only the names that match.
CREATE INDEX ixInvMaster_NameSearch ON tbInvMaster (lower(ItemName::text) text_pattern_ops);
-- ---- end of the product search's indexes ---------------------------------------------------------
CREATE INDEX ixInvMaster_BarCode ON tbInvMaster (BarCode);
CREATE INDEX ixInvMaster_Kit ON tbInvMaster (KitID);

-- An item at one location: stock, prices and levels there.
CREATE TABLE tbInvent (
    ItemID              citext NOT NULL,
    LocationID          citext NOT NULL,
    Markup_In           integer,
    Markup_Out          integer,
    NetAmount           numeric,
    OnHand              double precision,
    OnOrder             double precision,
    SellingPriceIn      numeric,
    SellingPriceOut     numeric,
    ItemStatus          integer,
    AverageCost         numeric,
    MinStockLevel       double precision,
    MaxStockLevel       double precision,
    AveConsumption      double precision,
    LastInventoryCount  timestamp(0),
    ExpiryDate          timestamp(0),
    NewGLCode           citext,
    POMonthsToDeliver   double precision,
    MinimumOrAverage    integer,
    StartDate           citext,
    EndDate             citext,
    IsFloor             integer,
    IsCeiling           integer,
    Floor               double precision,
    Ceiling             double precision,
    IsADSStock          integer,
    ADSStock            double precision,
    LastDeliveryDate    timestamp(0),
    LastDeliveryQty     double precision,
    PRIMARY KEY (ItemID, LocationID)
);
CREATE INDEX ixInvent_Location ON tbInvent (LocationID, ItemStatus);

-- One row per request line; every row of a request carries its header values.
CREATE TABLE tbInvWithdrawRequest (
    WithdrawRequestID   integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    DocumentNumber      citext NOT NULL,
    ItemID              citext,
    Quantity            double precision,
    UnitCost            numeric,
    ForRetail           citext,
    isADS               integer,
    LocationID          citext,
    TargetLocationID    citext,
    TransDate           timestamp(0),
    UserID              citext,
    Remarks             citext,
    Verifiedby          citext,
    verifiedDate        timestamp(0),
    Status              citext,
    ProcessDate         timestamp(0),
    ProcessBy           citext
);
CREATE INDEX ixInvWithdrawRequest_Document ON tbInvWithdrawRequest (DocumentNumber);

-- ---- The request list at hospital scale ---------------------------------------------------------
-- The list shows the lines of the user's locations in one of four states, each chosen by a filter
-- written the same way every time: isnull(Status,'') = '' (pending) or Status = 'P' (processed),
-- and isnull(Verifiedby,'') = '' or <> '' (which reaches the server as > ''). Each state has an
-- index of its own holding only its lines, by location and date, with every column the list folds
-- into requests: the list reads index entries only (index-only scans), and since the index holds
-- nothing but the state's lines, the server compares no Status or Verifiedby while reading (a
-- citext comparison lower-cases both texts). A line is in at most one of them, so a save or a
-- delete keeps at most one up to date. The statistics tell the planner how many lines each
-- state holds. (These replace ixInvWithdrawRequest_ListPending and _ListStatus of version 3, and
-- ixInvWithdrawRequest_LocationStatus and _LocationPending of version 2.)
CREATE INDEX ixInvWithdrawRequest_Pending ON tbInvWithdrawRequest (LocationID, TransDate)
    INCLUDE (DocumentNumber, UserID, TargetLocationID, Status, Verifiedby)
    WHERE coalesce(Status, '') = '' AND coalesce(Verifiedby, '') = '';
CREATE INDEX ixInvWithdrawRequest_PendingVerified ON tbInvWithdrawRequest (LocationID, TransDate)
    INCLUDE (DocumentNumber, UserID, TargetLocationID, Status, Verifiedby)
    WHERE coalesce(Status, '') = '' AND coalesce(Verifiedby, '') > '';
CREATE INDEX ixInvWithdrawRequest_Processed ON tbInvWithdrawRequest (LocationID, TransDate)
    INCLUDE (DocumentNumber, UserID, TargetLocationID, Status, Verifiedby)
    WHERE Status = 'P' AND coalesce(Verifiedby, '') = '';
CREATE INDEX ixInvWithdrawRequest_ProcessedVerified ON tbInvWithdrawRequest (LocationID, TransDate)
    INCLUDE (DocumentNumber, UserID, TargetLocationID, Status, Verifiedby)
    WHERE Status = 'P' AND coalesce(Verifiedby, '') > '';
CREATE STATISTICS stInvWithdrawRequest_State ON (coalesce(Status, '')), (coalesce(Verifiedby, ''))
    FROM tbInvWithdrawRequest;
-- The restock suggestion sums a department's pending lines by item: only the pending lines, by
-- requesting department, with every column it reads.
CREATE INDEX ixInvWithdrawRequest_TargetPending ON tbInvWithdrawRequest (TargetLocationID)
    INCLUDE (ItemID, Quantity, DocumentNumber, Status)
    WHERE coalesce(Status, '') = '';
-- ---- end of the request list's indexes ----------------------------------------------------------

-- @database Password
CREATE SCHEMA password;
SET search_path = password, public;

-- The hospital's staff register; passwords are kept scrambled.
CREATE TABLE tbPasswordMain (
    EmployeeID      citext NOT NULL PRIMARY KEY,
    LastName        citext,
    FirstName       citext,
    Password        citext,
    departmentid    citext,
    Right_Code1     citext,
    Right_Code2     citext
);
