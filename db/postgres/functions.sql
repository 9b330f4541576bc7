-- Functions of the INVENTORY schema on a PostgreSQL server: the SQL Server functions the client's
-- statements call (GetDate, PatIndex, Convert to a character type), and the five stored
-- procedures. A procedure call "INVENTORY..sp_Inv_UserLocation '1001'" runs as
-- SELECT * FROM inventory.sp_inv_userlocation('1001'); every argument arrives as text. A key is
-- compared as citext (rtrim(x)::citext), as the columns compare: letter case is ignored and the
-- key's index finds the row (citext = text would compare as text, reading every row).

-- @database INVENTORY
SET search_path = inventory, public;

-- Local time without fractions of a second, as the embedded files keep it.
CREATE FUNCTION getdate() RETURNS timestamp(0) LANGUAGE sql STABLE
    AS $$ SELECT LOCALTIMESTAMP(0) $$;

-- A Like pattern ('%', '_', [abc], [a-c], [^abc]) as a regular expression that matches the whole
-- text.
CREATE FUNCTION like_regex(pattern text) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
    result text := '';
    i integer := 1;
    c text;
    close integer;
BEGIN
    WHILE i <= length(pattern) LOOP
        c := substr(pattern, i, 1);
        IF c = '%' THEN
            result := result || '.*';
        ELSIF c = '_' THEN
            result := result || '.';
        ELSIF c = '[' AND strpos(substr(pattern, i + 2), ']') > 0 THEN
            close := i + 1 + strpos(substr(pattern, i + 2), ']');
            result := result || '[' || regexp_replace(substr(pattern, i + 1, close - i - 1), '([\\\]\[])', '\\\1', 'g') || ']';
            i := close;
        ELSE
            result := result || regexp_replace(c, '([.^$*+?()\[\]{}|\\])', '\\\1', 'g');
        END IF;
        i := i + 1;
    END LOOP;
    RETURN '^' || result || '$';
END $$;

-- SQL Server's PATINDEX: the 1-based position of the first match of the pattern, 0 when none;
-- letter case ignored.
CREATE FUNCTION patindex(pattern text, value text) RETURNS integer LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
    body text := pattern;
BEGIN
    IF body = '' THEN
        RETURN 0;
    END IF;
    IF left(body, 1) <> '%' THEN
        RETURN CASE WHEN value ~* like_regex(body) THEN 1 ELSE 0 END;
    END IF;
    body := ltrim(body, '%');
    IF body = '' THEN
        RETURN CASE WHEN value = '' THEN 0 ELSE 1 END;
    END IF;
    FOR start IN 1 .. length(value) LOOP
        IF substr(value, start) ~* like_regex(body) THEN
            RETURN start;
        END IF;
    END LOOP;
    RETURN 0;
END $$;

-- Convert(VarChar(n), value): a number that does not fit in n characters is an overflow, as on
-- SQL Server; a text is cut to n characters.
CREATE FUNCTION convert_varchar(value numeric, size integer DEFAULT 30) RETURNS text LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE
    result text := CASE WHEN value = trunc(value) THEN trunc(value)::text ELSE value::text END;
BEGIN
    IF value IS NULL THEN
        RETURN NULL;
    END IF;
    IF length(result) > size THEN
        RAISE EXCEPTION 'Arithmetic overflow error converting expression to data type varchar.';
    END IF;
    RETURN result;
END $$;
CREATE FUNCTION convert_varchar(value double precision, size integer DEFAULT 30) RETURNS text LANGUAGE sql IMMUTABLE
    AS $$ SELECT convert_varchar(value::numeric, size) $$;
CREATE FUNCTION convert_varchar(value bigint, size integer DEFAULT 30) RETURNS text LANGUAGE sql IMMUTABLE
    AS $$ SELECT convert_varchar(value::numeric, size) $$;
CREATE FUNCTION convert_varchar(value integer, size integer DEFAULT 30) RETURNS text LANGUAGE sql IMMUTABLE
    AS $$ SELECT convert_varchar(value::numeric, size) $$;
CREATE FUNCTION convert_varchar(value text, size integer DEFAULT 30) RETURNS text LANGUAGE sql IMMUTABLE
    AS $$ SELECT left(value, size) $$;
CREATE FUNCTION convert_varchar(value citext, size integer DEFAULT 30) RETURNS text LANGUAGE sql IMMUTABLE
    AS $$ SELECT left(value::text, size) $$;
CREATE FUNCTION convert_varchar(value timestamp, size integer DEFAULT 30) RETURNS text LANGUAGE sql IMMUTABLE
    AS $$ SELECT left(to_char(value, 'Mon DD YYYY HH12:MIAM'), size) $$;

-- A code given as a bare number (123 for item '00123') matches an all-digit code by value.
CREATE FUNCTION same_code(code citext, given text) RETURNS boolean LANGUAGE sql IMMUTABLE
    AS $$ SELECT code = rtrim(given)::citext
              OR (code ~ '^[0-9]+$' AND rtrim(given) ~ '^[0-9]+$' AND length(code) < 19
                  AND length(rtrim(given)) < 19 AND code::bigint = rtrim(given)::bigint) $$;

-- Active locations assigned to an employee, by name.
CREATE FUNCTION sp_inv_userlocation(employee text)
    RETURNS TABLE ("Location" citext, "LocationID" citext) LANGUAGE sql STABLE AS $$
SELECT L.Location, L.LocationID
  FROM tbinvUserLocation U
  JOIN tbInvLocation L ON L.LocationID = U.LocationID
 WHERE U.UserID = rtrim(employee)::citext
   AND (L.Status IS NULL OR NOT L.Status = 'I')
 ORDER BY L.Location $$;

-- One item at one location: stock figures there, with the catalogue's list cost, packing and unit
-- of measure.
CREATE FUNCTION sp_inv_searchitem_in_invent(item text, location text)
    RETURNS TABLE ("LocationID" citext, "ItemID" citext, "Markup_In" integer, "Markup_Out" integer,
                   "NetAmount" numeric, "OnHand" double precision, "OnOrder" double precision,
                   "SellingPriceIn" numeric, "SellingPriceOut" numeric, "ItemStatus" integer,
                   "AverageCost" numeric, "MinStockLevel" double precision, "MaxStockLevel" double precision,
                   "AveConsumption" double precision, "LastInventoryCount" timestamp(0),
                   "ExpiryDate" timestamp(0), "NewGLCode" citext, "POMonthsToDeliver" double precision,
                   "MinimumOrAverage" integer, "StartDate" citext, "EndDate" citext, "ListCost" numeric,
                   "UnitOfMeasureID" integer, "UnitOfMeasure" citext, "Last DDate" timestamp(0),
                   "Last Qty" double precision, "Packing" integer, "IsFloor" integer, "IsCeiling" integer,
                   "Floor" double precision, "Ceiling" double precision, "IsADSStock" integer,
                   "ADSStock" double precision, "ItemName" citext, "ItemDesc" citext)
    LANGUAGE sql STABLE AS $$
SELECT I.LocationID, I.ItemID, I.Markup_In, I.Markup_Out, I.NetAmount, I.OnHand, I.OnOrder,
       I.SellingPriceIn, I.SellingPriceOut, I.ItemStatus, I.AverageCost, I.MinStockLevel,
       I.MaxStockLevel, I.AveConsumption, I.LastInventoryCount, I.ExpiryDate, I.NewGLCode,
       I.POMonthsToDeliver, I.MinimumOrAverage, I.StartDate, I.EndDate, M.ListCost,
       M.UnitOfMeasureID, U.UnitOfMeasure, I.LastDeliveryDate, I.LastDeliveryQty, M.Packing,
       I.IsFloor, I.IsCeiling, I.Floor, I.Ceiling, I.IsADSStock, I.ADSStock, M.ItemName, M.ItemDesc
  FROM tbInvent I
  JOIN tbInvMaster M ON M.ItemID = I.ItemID
  LEFT JOIN tbInvUnitOfMeasure U ON U.UnitOfMeasureID = M.UnitOfMeasureID
 WHERE I.ItemID = rtrim(item)::citext AND I.LocationID = rtrim(location)::citext $$;

-- The lines of one request in the order they were saved; the header columns repeat on every line.
-- "NEW" is the number of a request not yet saved: no lines.
CREATE FUNCTION sp_inv_loadwithdrawalrequest(document text)
    RETURNS TABLE ("LocationID" citext, "Location" citext, "TargetLocationID" citext, "TLocation" citext,
                   "DocumentNumber" citext, "ItemID" citext, "Description" text, "Quantity" double precision,
                   "UnitCost" numeric, "ForRetail" citext, "isADS" integer)
    LANGUAGE sql STABLE AS $$
SELECT R.LocationID, L.Location, R.TargetLocationID, T.Location, R.DocumentNumber, R.ItemID,
       coalesce(M.ItemName, '') || ' ' || coalesce(M.ItemDesc, ''),
       R.Quantity, R.UnitCost, R.ForRetail, R.isADS
  FROM tbInvWithdrawRequest R
  LEFT JOIN tbInvLocation L ON L.LocationID = R.LocationID
  LEFT JOIN tbInvLocation T ON T.LocationID = R.TargetLocationID
  LEFT JOIN tbInvMaster M ON M.ItemID = R.ItemID
 WHERE R.DocumentNumber = rtrim(document)::citext AND NOT upper(trim(document)) = 'NEW'
 ORDER BY R.WithdrawRequestID $$;

-- Components of the active kit that the kit item carries.
CREATE FUNCTION sp_inv_kitofitems(kit text)
    RETURNS TABLE ("ItemID" citext, "ItemName" citext, "Qty" double precision, "UnitCost" numeric,
                   "Amount" double precision, "RetailType" citext, "Packing" integer)
    LANGUAGE sql STABLE AS $$
SELECT C.ItemID, C.ItemName, KI.Qty, KI.UnitCost, KI.Qty * KI.UnitCost::double precision,
       KI.RetailType, C.Packing
  FROM tbInvMaster M
  JOIN tbInvKit K ON K.KitID = M.KitID
  JOIN tbInvKitItem KI ON KI.KitID = K.KitID
  JOIN tbInvMaster C ON C.ItemID = KI.ItemID
 WHERE same_code(M.ItemID, kit)
   AND NOT K.Active = 'I'
 ORDER BY C.ItemID $$;

-- One component of the kit that the kit item carries; codes match as above.
CREATE FUNCTION sp_inv_kitofitems_peritem(kit text, item text)
    RETURNS TABLE ("ItemID" citext, "ItemName" citext, "Qty" double precision, "UnitCost" numeric,
                   "Amount" double precision, "RetailType" citext, "Packing" integer)
    LANGUAGE sql STABLE AS $$
SELECT * FROM sp_inv_kitofitems(kit) K WHERE same_code(K."ItemID", item) $$;

-- What the report definitions use beside the tables: IFNULL as in the embedded files, and the
-- staff names (the embedded files make the view for the report's own connection).
CREATE FUNCTION ifnull(value anycompatible, fallback anycompatible) RETURNS anycompatible LANGUAGE sql IMMUTABLE
    AS $$ SELECT coalesce(value, fallback) $$;
CREATE VIEW tbInvStaff AS SELECT EmployeeID, LastName, FirstName FROM password.tbPasswordMain;
