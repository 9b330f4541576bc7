-- Stored procedures of the INVENTORY database. Each body is one SQLite SELECT; the gateway binds
-- the arguments of a call such as "INVENTORY..sp_Inv_UserLocation '1001'" to ?1, ?2 in order.

-- @database INVENTORY

-- Active locations assigned to an employee (?1), by name.
INSERT INTO tbInvProcedure (ProcName, Body) VALUES ('sp_Inv_UserLocation',
'SELECT L.Location, L.LocationID
   FROM tbinvUserLocation U
   JOIN tbInvLocation L ON L.LocationID = U.LocationID
  WHERE U.UserID = ?1
    AND (L.Status IS NULL OR NOT L.Status = ''I'')
  ORDER BY L.Location');

-- One item (?1) at one location (?2): stock figures there, with the catalogue's list cost,
-- packing and unit of measure.
INSERT INTO tbInvProcedure (ProcName, Body) VALUES ('sp_Inv_SearchItem_In_Invent',
'SELECT I.LocationID, I.ItemID, I.Markup_In, I.Markup_Out, I.NetAmount, I.OnHand, I.OnOrder,
        I.SellingPriceIn, I.SellingPriceOut, I.ItemStatus, I.AverageCost, I.MinStockLevel,
        I.MaxStockLevel, I.AveConsumption, I.LastInventoryCount, I.ExpiryDate, I.NewGLCode,
        I.POMonthsToDeliver, I.MinimumOrAverage, I.StartDate, I.EndDate, M.ListCost,
        M.UnitOfMeasureID, U.UnitOfMeasure, I.LastDeliveryDate AS "Last DDate",
        I.LastDeliveryQty AS "Last Qty", M.Packing, I.IsFloor, I.IsCeiling, I.Floor, I.Ceiling,
        I.IsADSStock, I.ADSStock, M.ItemName, M.ItemDesc
   FROM tbInvent I
   JOIN tbInvMaster M ON M.ItemID = I.ItemID
   LEFT JOIN tbInvUnitOfMeasure U ON U.UnitOfMeasureID = M.UnitOfMeasureID
  WHERE I.ItemID = ?1 AND I.LocationID = ?2');

-- The lines of one request (?1) in the order they were saved; the header columns repeat on
-- every line. "NEW" is the number of a request not yet saved: no lines.
INSERT INTO tbInvProcedure (ProcName, Body) VALUES ('sp_Inv_LoadWithdrawalRequest',
'SELECT R.LocationID, L.Location, R.TargetLocationID, T.Location AS TLocation,
        R.DocumentNumber, R.ItemID,
        IFNULL(M.ItemName, '''') || '' '' || IFNULL(M.ItemDesc, '''') AS Description,
        R.Quantity, R.UnitCost, R.ForRetail, R.isADS
   FROM tbInvWithdrawRequest R
   LEFT JOIN tbInvLocation L ON L.LocationID = R.LocationID
   LEFT JOIN tbInvLocation T ON T.LocationID = R.TargetLocationID
   LEFT JOIN tbInvMaster M ON M.ItemID = R.ItemID
  WHERE R.DocumentNumber = ?1 AND NOT UPPER(TRIM(CAST(?1 AS TEXT))) = ''NEW''
  ORDER BY R.WithdrawRequestID');

-- Components of the active kit that the kit item ?1 carries. The kit code may come as a bare
-- number (123 for item '00123'), so all-digit codes also match by value.
INSERT INTO tbInvProcedure (ProcName, Body) VALUES ('sp_Inv_KitofItems',
'SELECT C.ItemID, C.ItemName, KI.Qty, KI.UnitCost, KI.Qty * KI.UnitCost AS Amount,
        KI.RetailType, C.Packing
   FROM tbInvMaster M
   JOIN tbInvKit K ON K.KitID = M.KitID
   JOIN tbInvKitItem KI ON KI.KitID = K.KitID
   JOIN tbInvMaster C ON C.ItemID = KI.ItemID
  WHERE (M.ItemID = ?1
         OR (M.ItemID <> '''' AND M.ItemID NOT GLOB ''*[^0-9]*''
             AND CAST(?1 AS TEXT) <> '''' AND CAST(?1 AS TEXT) NOT GLOB ''*[^0-9]*''
             AND CAST(M.ItemID AS INTEGER) = CAST(?1 AS INTEGER)))
    AND NOT K.Active = ''I''
  ORDER BY C.ItemID');

-- One component (?2) of the kit that the kit item ?1 carries; codes match as above.
INSERT INTO tbInvProcedure (ProcName, Body) VALUES ('sp_Inv_KitofItems_PerItem',
'SELECT C.ItemID, C.ItemName, KI.Qty, KI.UnitCost, KI.Qty * KI.UnitCost AS Amount,
        KI.RetailType, C.Packing
   FROM tbInvMaster M
   JOIN tbInvKit K ON K.KitID = M.KitID
   JOIN tbInvKitItem KI ON KI.KitID = K.KitID
   JOIN tbInvMaster C ON C.ItemID = KI.ItemID
  WHERE (M.ItemID = ?1
         OR (M.ItemID <> '''' AND M.ItemID NOT GLOB ''*[^0-9]*''
             AND CAST(?1 AS TEXT) <> '''' AND CAST(?1 AS TEXT) NOT GLOB ''*[^0-9]*''
             AND CAST(M.ItemID AS INTEGER) = CAST(?1 AS INTEGER)))
    AND (C.ItemID = ?2
         OR (C.ItemID <> '''' AND C.ItemID NOT GLOB ''*[^0-9]*''
             AND CAST(?2 AS TEXT) <> '''' AND CAST(?2 AS TEXT) NOT GLOB ''*[^0-9]*''
             AND CAST(C.ItemID AS INTEGER) = CAST(?2 AS INTEGER)))
    AND NOT K.Active = ''I''
  ORDER BY C.ItemID');
