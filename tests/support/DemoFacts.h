#pragma once

// Facts of the demo hospital (db/demo.sql) that tests rely on. The demo data must keep them.

namespace Demo {

// Staff register (Password..tbPasswordMain). Passwords are stored scrambled with the key
// "DARVELQUIMSTO".
inline constexpr const char *ClerkId = "1001";         // department "12", rights "A"/"C"
inline constexpr const char *ClerkPassword = "clerk";
inline constexpr const char *SupervisorId = "2001";    // department "4", rights "A"/"S"
inline constexpr const char *SupervisorPassword = "super";
inline constexpr const char *NurseId = "1002";         // no tbInvUserSettings row, no locations
inline constexpr const char *NursePassword = "nurse";
inline constexpr const char *AdminDeptUserId = "2002"; // department "4", rights "A"/"C": not a supervisor
inline constexpr const char *AdminDeptUserPassword = "admin";

// tbInvUserSettings: the supervisor may verify (isVerifyInventoryRequest 1), the clerk may not (0).

// Locations (tbInvLocation). Clerk is assigned to 10, 11, 94; supervisor to 10, 11, 12, 94, 95.
inline constexpr const char *CentralSupplyId = "94";   // "CENTRAL SUPPLY": warehouse only, AllowOrder 1
inline constexpr const char *CentralSupply = "CENTRAL SUPPLY";
inline constexpr const char *MainPharmacyId = "95";    // "MAIN PHARMACY": warehouse and dispensing area
inline constexpr const char *MainPharmacy = "MAIN PHARMACY";
inline constexpr const char *ErPharmacyId = "96";      // "ER PHARMACY": dispensing area only
inline constexpr const char *EmergencyRoomId = "10";   // "EMERGENCY ROOM": ordinary department
inline constexpr const char *EmergencyRoom = "EMERGENCY ROOM";
inline constexpr const char *IcuId = "11";             // "INTENSIVE CARE UNIT"
inline constexpr const char *Icu = "INTENSIVE CARE UNIT";
inline constexpr const char *OperatingRoomId = "12";   // "OPERATING ROOM" (clerk not assigned)
inline constexpr const char *OperatingRoom = "OPERATING ROOM";
inline constexpr const char *InactiveStoreId = "18";   // "OLD ANNEX STORE": Status 'I'
inline constexpr const char *InactiveStore = "OLD ANNEX STORE";
inline constexpr int LocationCount = 13;               // including the inactive one

// Items (tbInvMaster): ItemIDs "10001" to "10300". Every item is stocked (tbInvent, ItemStatus 0)
// at 94, 95, 10 and 11 unless said otherwise.
inline constexpr const char *ParacetamolId = "10001";  // "PARACETAMOL" "500MG TABLET", on hand 500 at 94,
                                                       // average cost 1.2500, list cost 1.5, packing 100,
                                                       // unit "TABLET", barcode "4800010010001", not ADS
inline constexpr const char *ParacetamolBarcode = "4800010010001";
inline constexpr const char *ZeroStockId = "10002";    // "AMOXICILLIN" "500MG CAPSULE": on hand 0 at 94
inline constexpr const char *AdsItemId = "10003";      // "SALINE SOLUTION" "0.9% 1L": IsADSStock 1, ADSStock 40 at 94
inline constexpr const char *UniqueNamePrefix = "XYLO"; // only "XYLOCAINE" "2% 50ML VIAL" (10004) starts so
inline constexpr const char *XylocaineId = "10004";
inline constexpr const char *QuoteNameId = "10005";    // "O'NEIL GAUZE" "4X4 STERILE", on hand 100 at 94
inline constexpr const char *NotAtErId = "10006";      // "INSULIN GLARGINE": not stocked at 10 (nor 11)
inline constexpr const char *KitItemId = "10290";      // "SUTURE KIT": an active kit (KitID 1) of 3 components
inline constexpr const char *KitComponent1 = "10011";
inline constexpr const char *KitComponent2 = "10012";
inline constexpr const char *KitComponent3 = "10013";
inline constexpr const char *InactiveKitItemId = "10293"; // carries the KitID of the inactive kit
inline constexpr int ItemCount = 300;
// Stock levels at the wards 10, 11 and 12: items whose ItemID % 20 = 3 are at or below their
// minimum (twelve at the emergency room); items whose ItemID % 7 = 0, and those the ward holds
// none of otherwise, have no levels; every other item is above its minimum.

// Requests (tbInvWithdrawRequest), all from 10 (EMERGENCY ROOM) to 94 unless said otherwise:
inline constexpr const char *PendingDoc = "1";         // pending, unverified, 3 lines
inline constexpr const char *FiveLineDoc = "2";        // pending, unverified, 5 lines
inline constexpr const char *VerifiedDoc = "3";        // pending, verified by 2001
inline constexpr const char *ProcessedDoc = "4";       // Status 'P', verified
inline constexpr const char *DeletedDoc = "5";         // Status 'D'
inline constexpr const char *OtherDeptDoc = "6";       // pending, unverified, from 12 (OPERATING ROOM) to 94
inline constexpr const char *NotAssignedDoc = "7";     // pending, unverified, from 10 to 95 (clerk not assigned to 95)
inline constexpr int LastDocNumber = 7;

// Site (tbHospitalInfo): Company "ST. RAPHAEL GENERAL HOSPITAL", Address1 "12 Mercy Avenue, Quorvane City",
// ClientName "" , AllowWDZeroOnHand 0, isAutoWithdrawRequestNumber 0. Switches "2".."5" exist, all "0".
inline constexpr const char *Company = "ST. RAPHAEL GENERAL HOSPITAL";
inline constexpr const char *Address1 = "12 Mercy Avenue, Quorvane City";

} // namespace Demo
