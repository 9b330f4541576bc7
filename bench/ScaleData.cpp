#include "bench/ScaleData.h"

#include "pickers/core/modEncryption.h"
#include "platform/sqlite/DataFolder.h"
#include "platform/DatabaseScripts.h"
#include "platform/Error.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <vector>

namespace ScaleData {
namespace {

constexpr int kStores = 5;
constexpr int kFirstItemCode = 200001;
constexpr int kFirstEmployee = 100001;
constexpr int kFirstWard = 100;
const char *const kStoreIds[kStores] = {"94", "95", "96", "97", "98"};
const char *const kStoreNames[kStores] = {"CENTRAL SUPPLY", "MAIN PHARMACY", "ER PHARMACY", "OR PHARMACY",
                                          "SATELLITE STORE"};
// Share of the requests addressed to each store, in percent; the rest go ward to ward.
constexpr int kStoreShare[kStores] = {30, 20, 8, 6, 6};

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("ScaleData"), description);
}

// splitmix64: the same numbers on every platform and standard library.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }
    double cents(int low, int high) { return between(low * 100, high * 100) / 100.0; }

private:
    quint64 m_state;
};

class Statement
{
public:
    Statement(sqlite3 *db, const char *sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            fail(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral("\nin: ") + QString::fromUtf8(sql));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &text(int index, const std::string &value)
    {
        sqlite3_bind_text(m_statement, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &text(int index, const char *value)
    {
        sqlite3_bind_text(m_statement, index, value, -1, SQLITE_TRANSIENT);
        return *this;
    }
    Statement &number(int index, double value)
    {
        sqlite3_bind_double(m_statement, index, value);
        return *this;
    }
    Statement &integer(int index, qint64 value)
    {
        sqlite3_bind_int64(m_statement, index, value);
        return *this;
    }
    Statement &null(int index)
    {
        sqlite3_bind_null(m_statement, index);
        return *this;
    }
    void run()
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            fail(QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
};

void exec(sqlite3 *db, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        fail(reason);
    }
}

std::string format(const char *pattern, auto... values)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

std::string itemId(int index)
{
    return std::to_string(kFirstItemCode + index);
}

std::string employeeId(int index)
{
    return std::to_string(kFirstEmployee + index);
}

std::string locationId(int index)
{
    return index < kStores ? kStoreIds[index] : std::to_string(kFirstWard + index - kStores);
}

// 'yyyy-MM-dd HH:mm:ss' for a minute count after 2024-01-01 00:00 (months of 30 days are
// close enough for spreading dates; the day is kept valid).
std::string dateTime(qint64 minutes)
{
    const qint64 days = minutes / (24 * 60);
    const int year = 2024 + int(days / 360);
    const int month = 1 + int(days % 360) / 30;
    const int day = 1 + int(days % 30) % 28;
    const int hour = int(minutes / 60 % 24);
    const int minute = int(minutes % 60);
    return format("%04d-%02d-%02d %02d:%02d:00", year, month, day, hour, minute);
}

// Item names: syllables, so that one, two and three typed letters narrow the catalogue the way
// they do in a real one (about 1/18, 1/90 and 1/1,600 of it).
std::string itemName(Random &random)
{
    static const char consonants[] = "BCDFGHJKLMNPRSTVXZ";
    static const char vowels[] = "AEIOU";
    static const char *const suffixes[] = {"", "", "", "", " SODIUM", " HCL", " FORTE", " PLUS", " RETARD",
                                           " COMPOUND"};
    std::string name;
    const int syllables = random.between(2, 4);
    for (int s = 0; s < syllables; ++s) {
        name += consonants[random.below(18)];
        name += vowels[random.below(5)];
    }
    if (random.percent(50))
        name += "NLRST"[random.below(5)];
    name += suffixes[random.below(10)];
    return name;
}

std::string itemDescription(Random &random)
{
    static const char *const strengths[] = {"5MG", "10MG", "20MG", "50MG", "100MG", "250MG", "500MG", "1G",
                                            "2%", "0.9%", "10ML", "1L"};
    static const char *const forms[] = {"TABLET", "CAPSULE", "VIAL", "AMPULE", "SYRUP 60ML", "BOTTLE",
                                        "SACHET", "TUBE", "PIECE", "BOX OF 100"};
    return std::string(strengths[random.below(12)]) + " " + forms[random.below(10)];
}

// Picks count distinct values of [0, n) in increasing order.
std::vector<int> sample(Random &random, int n, int count)
{
    count = std::min(count, n);
    std::vector<char> taken(size_t(n), 0);
    std::vector<int> picked;
    picked.reserve(size_t(count));
    // Floyd's method: count steps, no retries.
    for (int j = n - count; j < n; ++j) {
        const int t = random.below(j + 1);
        const int value = taken[size_t(t)] ? j : t;
        taken[size_t(value)] = 1;
        picked.push_back(value);
    }
    std::sort(picked.begin(), picked.end());
    return picked;
}

struct Generator
{
    sqlite3 *db;
    Random random;
    Size size;

    int wards() const { return size.locations - kStores; }
    int kitItemsFrom() const { return size.items - size.kits; }

    void hospital()
    {
        exec(db, "INSERT INTO tbHospitalInfo (HospitalID, Company, Address1, Address2, TelNum, ClientName, "
                 "AllowWDZeroOnHand, isAutoWithdrawRequestNumber) VALUES (1, 'QUORVANE REGIONAL MEDICAL "
                 "CENTER', '1 Hospital Road, Quorvane City', 'Quorvane Province 4100', '(045) 900-0000', '', 0, "
                 "0)");
        exec(db, "INSERT INTO tbPharmaSwitch (idkey, KeyValue, Description) VALUES "
                 "('2', '0', 'Document numbers of new requests are typed by the user'), "
                 "('3', '0', 'Every request line is for consumption'), "
                 "('4', '0', 'Requests always go to the default location'), "
                 "('5', '0', 'Quantities above the stock on hand are refused')");
        exec(db, "INSERT INTO tbInvTerms (TermsID, Terms, NoDays, Status) VALUES (1, 'CASH', 0, 'A'), "
                 "(2, 'NET 30 DAYS', 30, 'A'), (3, 'NET 60 DAYS', 60, 'A')");
        exec(db, "INSERT INTO tbInvUnitOfMeasure (UnitOfMeasureID, UnitOfMeasure, Status) VALUES "
                 "(1, 'TABLET', 'A'), (2, 'CAPSULE', 'A'), (3, 'BOTTLE', 'A'), (4, 'VIAL', 'A'), "
                 "(5, 'AMPULE', 'A'), (6, 'PIECE', 'A'), (7, 'BOX', 'A'), (8, 'PACK', 'A'), (9, 'ROLL', 'A'), "
                 "(10, 'BAG', 'A'), (11, 'TUBE', 'A'), (12, 'SET', 'A')");
        exec(db, "INSERT INTO tbInvClassification (ItemClassificationID, ItemClassificationName, Status, "
                 "IsFixedAsset) VALUES ('A', 'MEDICINES', 'A', 0), ('B', 'MEDICAL SUPPLIES', 'A', 0), "
                 "('C', 'LABORATORY SUPPLIES', 'A', 0), ('D', 'OFFICE SUPPLIES', 'I', 0), "
                 "('E', 'MEDICAL EQUIPMENT', 'A', 1)");
        Statement supplier(db, "INSERT INTO tbInvSupplier (SupplierID, SupplierName, Status, SupplierType, "
                               "TermsID) VALUES (?1, ?2, ?3, ?4, ?5)");
        for (int s = 1; s <= 200; ++s)
            supplier.text(1, std::to_string(s))
                .text(2, format("%s %s TRADING %d", s % 4 == 0 ? "MEDICAL" : "PHARMA", itemName(random).c_str(), s))
                .text(3, random.percent(95) ? "A" : "I")
                .text(4, s % 5 == 0 ? "M" : "S")
                .integer(5, 1 + s % 3)
                .run();
        Statement generic(db, "INSERT INTO tbforGeneric (GenericID, GenericName, Node_Key) VALUES (?1, ?2, ?3)");
        for (int g = 1; g <= 500; ++g)
            generic.text(1, format("G%04d", g)).text(2, itemName(random)).text(3, format("%d.%d", 1 + g % 12, g))
                .run();
    }

    void locations()
    {
        static const char *const units[] = {"MEDICAL WARD", "SURGICAL WARD", "PEDIATRIC WARD", "NURSING STATION",
                                            "CLINIC", "OPERATING ROOM", "DIALYSIS UNIT", "LABORATORY"};
        Statement location(db, "INSERT INTO tbInvLocation (LocationID, Location, Status, isWarehouse, "
                               "isDispensingArea, AllowOrder, InventoryType) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        for (int l = 0; l < size.locations; ++l) {
            location.text(1, locationId(l));
            if (l < kStores) {
                location.text(2, kStoreNames[l]).text(3, "A").integer(4, 1).integer(5, l == 1 || l == 2)
                    .integer(6, 1).text(7, "MLS");
            } else {
                const int ward = l - kStores;
                location.text(2, format("%s %d", units[ward % 8], 1 + ward / 8));
                // The benchmark employee's wards stay active.
                const int state = ward < Facts::UserLocations ? 0 : random.below(100);
                if (state < 95)
                    location.text(3, "A");
                else if (state < 98)
                    location.text(3, "I");
                else
                    location.null(3);
                location.integer(4, 0).integer(5, 0).integer(6, 1).text(7, "M");
            }
            location.run();
        }
    }

    void staff()
    {
        const QString scrambled =
            ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), QString::fromLatin1(Facts::Password));
        const std::string password = scrambled.toStdString();
        static const char *const lastNames[] = {"SANTOS", "REYES", "CRUZ", "BAUTISTA", "OCAMPO", "GARCIA",
                                                "MENDOZA", "TORRES", "TOMAS", "ANDRES", "O'NEIL", "DELA CRUZ"};
        static const char *const firstNames[] = {"MARIA", "JOSE", "ANA", "RAMON", "LUIS", "ELENA", "PAOLO",
                                                 "GRACE", "CARLO", "LIZA"};
        Statement employee(db, "INSERT INTO Password.tbPasswordMain (EmployeeID, LastName, FirstName, Password, "
                               "departmentid, Right_Code1, Right_Code2) VALUES (?1, ?2, ?3, ?4, ?5, 'A', ?6)");
        Statement assigned(db, "INSERT OR IGNORE INTO tbinvUserLocation (UserID, LocationID) VALUES (?1, ?2)");
        Statement settings(db, "INSERT INTO tbInvUserSettings (UserID, isVerifyInventoryRequest) VALUES (?1, ?2)");
        for (int e = 0; e < size.staff; ++e) {
            const std::string id = employeeId(e);
            const bool supervisor = e == 0 || random.percent(10);
            employee.text(1, id).text(2, lastNames[random.below(12)]).text(3, firstNames[random.below(10)])
                .text(4, password).text(5, std::to_string(random.between(1, 40))).text(6, supervisor ? "S" : "C")
                .run();
            if (e == 0) {
                // The benchmark employee: the main pharmacy and nine wards.
                assigned.text(1, id).text(2, Facts::Pharmacy).run();
                for (int w = 0; w < Facts::UserLocations - 1; ++w)
                    assigned.text(1, id).text(2, locationId(kStores + w)).run();
            } else {
                const int count = random.between(1, 4);
                for (int a = 0; a < count; ++a) {
                    const int l = random.percent(15) ? random.below(kStores) : kStores + random.below(wards());
                    assigned.text(1, id).text(2, locationId(l)).run();
                }
            }
            if (supervisor || random.percent(20))
                settings.text(1, id).integer(2, supervisor ? 1 : 0).run();
        }
    }

    void items()
    {
        Statement item(db,
            "INSERT INTO tbInvMaster (ItemID, ItemName, ItemDesc, SupplierID, ManufacturerID, MarkupIn, MarkupOut, "
            "DownTime, ListCost, Freight, SalesTax, ItemStatus, Packing, VAT, BarCode, ItemClassificationID, "
            "ItemClass, UnitOfMeasureID, OralInject, AverageCost, GenericID, IsSeniorDiscounted, WithLotNumber, "
            "MedicareType, MedicareCategory, GLCode, IncludeInStatement, KitID) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
            "?7, 0, ?8, 0, 0, ?9, ?10, 0, ?11, ?12, ?12, ?13, ?14, ?15, ?16, 1, 1, '1', 'A', ?17, 1, ?18)");
        const int kitFrom = kitItemsFrom();
        for (int i = 0; i < size.items; ++i) {
            const bool kit = i >= kitFrom;
            const int kind = random.below(100);
            const char *classification = kit ? "B" : kind < 60 ? "A" : kind < 85 ? "B" : kind < 95 ? "C" : "E";
            const double cost = random.cents(1, 900);
            item.text(1, itemId(i))
                .text(2, kit ? format("%s KIT", itemName(random).c_str()) : itemName(random))
                .text(3, kit ? std::string("SET") : itemDescription(random))
                .text(4, std::to_string(random.between(1, 200)))
                .text(5, std::to_string(random.between(1, 200)))
                .integer(6, 20)
                .integer(7, 30)
                .number(8, cost);
            const int status = random.below(100);
            if (status < 97)
                item.integer(9, 0);
            else if (status < 99)
                item.integer(9, 1);
            else
                item.null(9);
            item.integer(10, kind % 3 == 0 ? 100 : kind % 3 == 1 ? 10 : 1)
                .text(11, format("480%010d", kFirstItemCode + i))
                .text(12, classification)
                .integer(13, random.between(1, 12))
                .text(14, kind % 2 ? "O" : "I")
                .number(15, cost * 0.8);
            if (classification[0] == 'A')
                item.text(16, format("G%04d", random.between(1, 500)));
            else
                item.null(16);
            item.text(17, classification[0] == 'E' ? "1501" : "5101");
            if (kit)
                item.integer(18, 1 + i - kitFrom);
            else
                item.null(18);
            item.run();
        }

        Statement kit(db, "INSERT INTO tbInvKit (KitID, KitName, Active) VALUES (?1, ?2, ?3)");
        Statement component(db, "INSERT INTO tbInvKitItem (KitID, ItemID, Qty, UnitCost, RetailType) "
                                "VALUES (?1, ?2, ?3, ?4, 'N')");
        for (int k = 1; k <= size.kits; ++k) {
            kit.integer(1, k).text(2, format("KIT %d", k)).text(3, random.percent(95) ? "A" : "I").run();
            for (int c : sample(random, kitFrom, random.between(3, 10)))
                component.integer(1, k).text(2, itemId(c)).integer(3, random.between(1, 4))
                    .number(4, random.cents(1, 200)).run();
        }
    }

    // The catalogue share each location keeps: the stores most of it, the wards the items in
    // common use (the first 40% of the codes), so that searching from a ward finds stock.
    std::vector<std::vector<int>> stockedItems()
    {
        const int storeCounts[kStores] = {size.items, size.items * 6 / 10, size.items * 3 / 10,
                                          size.items / 5, size.items / 5};
        std::vector<std::vector<int>> stocked(size_t(size.locations));
        qint64 total = 0;
        for (int s = 0; s < kStores; ++s) {
            stocked[size_t(s)].resize(size_t(storeCounts[s]));
            std::iota(stocked[size_t(s)].begin(), stocked[size_t(s)].end(), 0);
            total += storeCounts[s];
        }
        const qint64 wardRows = std::max<qint64>(0, size.stockRows - total);
        const int perWard = int((wardRows + wards() - 1) / wards());
        const int common = std::min(size.items, std::max(size.items * 4 / 10, perWard));
        for (int w = 0; w < wards(); ++w) {
            const int count = int(wardRows / wards() + (w < wardRows % wards() ? 1 : 0));
            stocked[size_t(kStores + w)] = sample(random, common, count);
        }
        return stocked;
    }

    void stock()
    {
        const std::vector<std::vector<int>> stocked = stockedItems();
        // Rows go in in key order (item, then location as the key compares), which keeps the
        // primary key's index appending.
        std::vector<int> locationOrder(size_t(size.locations));
        std::iota(locationOrder.begin(), locationOrder.end(), 0);
        std::sort(locationOrder.begin(), locationOrder.end(),
                  [](int a, int b) { return locationId(a) < locationId(b); });
        std::vector<std::vector<int>> byItem(size_t(size.items));
        for (int l : locationOrder)
            for (int i : stocked[size_t(l)])
                byItem[size_t(i)].push_back(l);

        Statement row(db,
            "INSERT INTO tbInvent (ItemID, LocationID, Markup_In, Markup_Out, NetAmount, OnHand, OnOrder, "
            "SellingPriceIn, SellingPriceOut, ItemStatus, AverageCost, MinStockLevel, MaxStockLevel, "
            "AveConsumption, LastInventoryCount, ExpiryDate, NewGLCode, POMonthsToDeliver, MinimumOrAverage, "
            "StartDate, EndDate, IsFloor, IsCeiling, Floor, Ceiling, IsADSStock, ADSStock, LastDeliveryDate, "
            "LastDeliveryQty) VALUES (?1, ?2, 20, 30, ?3, ?4, 0, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
            "'2025-12-31 17:00:00', '2027-06-30 00:00:00', '5101', 1, 0, '2026-01-01', '2026-12-31', 0, 0, 0, 0, "
            "?12, ?13, '2026-01-15 10:30:00', ?14)");
        for (int i = 0; i < size.items; ++i) {
            const std::string id = itemId(i);
            for (int l : byItem[size_t(i)]) {
                const double cost = random.cents(1, 900);
                const int onHand = random.percent(5) ? 0 : random.between(1, 2000);
                const int minimum = random.between(5, 100);
                const bool ads = random.percent(3);
                row.text(1, id).text(2, locationId(l)).number(3, cost * onHand).integer(4, onHand)
                    .number(5, cost * 1.2).number(6, cost * 1.3).integer(7, random.percent(4) ? 1 : 0)
                    .number(8, cost).integer(9, minimum).integer(10, minimum * 5).number(11, minimum / 2.0)
                    .integer(12, ads).integer(13, ads ? 24 : 0).integer(14, minimum * 4).run();
            }
        }
    }

    // Lines per request: ten on average, the two large requests as the facts say, the total
    // exactly requestRows.
    std::vector<int> lineCounts(const Facts &facts)
    {
        std::vector<int> lines(size_t(size.requests));
        qint64 total = 0;
        for (int &count : lines) {
            count = random.between(2, 18);
            total += count;
        }
        const int large200 = facts.request200.toInt() - 1;
        const int large2000 = facts.request2000.toInt() - 1;
        total += Facts::Lines200 - lines[size_t(large200)] + Facts::Lines2000 - lines[size_t(large2000)];
        lines[size_t(large200)] = Facts::Lines200;
        lines[size_t(large2000)] = Facts::Lines2000;
        while (total != size.requestRows) {
            const int r = random.below(size.requests);
            if (r == large200 || r == large2000)
                continue;
            if (total > size.requestRows && lines[size_t(r)] > 1) {
                --lines[size_t(r)];
                --total;
            } else if (total < size.requestRows && lines[size_t(r)] < 30) {
                ++lines[size_t(r)];
                ++total;
            }
        }
        return lines;
    }

    void requests()
    {
        const Facts facts = factsFor(size);
        const std::vector<int> lines = lineCounts(facts);
        const int common = std::max(1, size.items * 4 / 10);
        const qint64 span = qint64(3 * 360 - 30) * 24 * 60; // 2024-01 to 2026-11
        static const char *const remarks[] = {"Weekly replenishment", "Stock for the weekend's duty",
                                              "Emergency request", "Monthly requisition", "For admitted patients",
                                              ""};
        Statement row(db,
            "INSERT INTO tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, ForRetail, isADS, "
            "LocationID, TargetLocationID, TransDate, UserID, Remarks, Verifiedby, verifiedDate, Status, "
            "ProcessDate, ProcessBy) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, "
            "?16)");
        for (int r = 0; r < size.requests; ++r) {
            const std::string document = std::to_string(r + 1);
            const bool large = QString::fromStdString(document) == facts.request200
                               || QString::fromStdString(document) == facts.request2000;
            std::string addressed;
            std::string requesting;
            if (large) {
                addressed = Facts::Pharmacy;
                requesting = Facts::Ward;
            } else {
                int pick = random.below(100);
                int store = 0;
                while (store < kStores && pick >= kStoreShare[store])
                    pick -= kStoreShare[store++];
                const int ward = random.below(wards());
                requesting = locationId(kStores + ward);
                addressed = store < kStores ? locationId(store)
                                            : locationId(kStores + (ward + 1 + random.below(wards() - 1)) % wards());
            }
            const qint64 minute = span * r / size.requests + random.below(600);
            const std::string transDate = dateTime(minute);
            const std::string user = large ? std::string(Facts::Employee) : employeeId(random.below(size.staff));
            const std::string remark = remarks[random.below(6)];

            // Recent requests are still open; older ones were mostly processed.
            enum { PendingUnverified, PendingVerified, Processed, Deleted } state;
            const int p = random.below(100);
            if (large)
                state = PendingUnverified;
            else if (r >= size.requests - size.openRequests)
                state = p < 35 ? PendingUnverified : p < 70 ? PendingVerified : p < 90 ? Processed : Deleted;
            else
                state = p < 1 ? PendingUnverified : p < 2 ? PendingVerified : p < 92 ? Processed : Deleted;
            const bool verified = state == PendingVerified || state == Processed
                                  || (state == Deleted && random.percent(50));
            const std::string verifier = employeeId(random.below(size.staff));
            const std::string later = dateTime(minute + 30);
            const bool emptyNotNull = random.percent(50);

            const std::vector<int> picked =
                sample(random, large ? std::max(size.items * 6 / 10, Facts::Lines2000) : common, lines[size_t(r)]);
            int line = 0;
            for (int item : picked) {
                // The two large requests have the same lines' retail pattern in every data set, its
                // first line for consumption: their load sets the retail option and moves it, as
                // loading such a request does, so every set measures the same work.
                const bool retail = random.percent(30);
                const bool forRetail = large ? line++ % 10 >= 7 : retail;
                row.text(1, document)
                    .text(2, itemId(item))
                    .integer(3, random.between(1, 200))
                    .number(4, random.cents(1, 900))
                    .text(5, forRetail ? "Y" : "N")
                    .integer(6, random.percent(3))
                    .text(7, addressed)
                    .text(8, requesting)
                    .text(9, transDate)
                    .text(10, user)
                    .text(11, remark);
                if (verified)
                    row.text(12, verifier).text(13, later);
                else if (emptyNotNull)
                    row.text(12, "").null(13);
                else
                    row.null(12).null(13);
                if (state == Processed)
                    row.text(14, "P").text(15, dateTime(minute + 120)).text(16, verifier);
                else if (state == Deleted)
                    row.text(14, "D").text(15, dateTime(minute + 60)).text(16, user);
                else if (emptyNotNull)
                    row.text(14, "").null(15).null(16);
                else
                    row.null(14).null(15).null(16);
                row.run();
            }
        }
    }
};

QString cacheName(quint64 seed, const Size &size)
{
    return QStringLiteral("seed%1-v%2-i%3-l%4-s%5-e%6-r%7-w%8-k%9")
        .arg(seed)
        .arg(kVersion)
        .arg(size.items)
        .arg(size.locations)
        .arg(size.stockRows)
        .arg(size.staff)
        .arg(size.requests)
        .arg(size.requestRows)
        .arg(size.kits)
        + QStringLiteral("-o%1").arg(size.openRequests)
        // A change of the schema (an index, a procedure) builds the data set anew.
        + QStringLiteral("-db%1").arg(qHash(DatabaseScripts::text(QStringLiteral("schema.sql")) +
                                            DatabaseScripts::text(QStringLiteral("procedures.sql"))),
                                      0, 16);
}

} // namespace

Size Size::scaledDown(int factor)
{
    Size size;
    if (factor <= 1)
        return size;
    size.items = std::max(2500, size.items / factor);
    size.locations = std::max(Facts::UserLocations + 10, size.locations / factor);
    size.stockRows = size.stockRows / factor;
    size.staff = std::max(10, size.staff / factor);
    size.requests = std::max(400, size.requests / factor);
    size.requestRows = std::max(size.requests * 10, Facts::Lines200 + Facts::Lines2000 + size.requests * 2);
    size.kits = std::max(5, size.kits / factor);
    size.openRequests = size.requests / 10;
    return size;
}

Size Size::withLongerHistory(int times) const
{
    Size size = *this;
    size.requests = requests * times;
    size.requestRows = requestRows * times;
    return size;
}

Facts factsFor(const Size &size)
{
    Facts facts;
    facts.request200 = QString::number(qint64(size.requests) * 149 / 150);
    facts.request2000 = QString::number(qint64(size.requests) * 299 / 300);
    return facts;
}

void generate(const QString &folder, quint64 seed, const Size &size)
{
    if (size.locations <= kStores + Facts::UserLocations || size.items < Facts::Lines2000
        || size.requestRows < size.requests + Facts::Lines200 + Facts::Lines2000
        || size.requestRows > qint64(size.requests) * 30)
        fail(QStringLiteral("The data set size is not one the generator can fill."));
    if (DataFolder::hasDatabases(folder))
        fail(QStringLiteral("The folder %1 already holds databases.").arg(folder));
    DataFolder::create(folder, DataFolder::Content::SchemaOnly);

    const QString name = QStringLiteral("ir-scale-data-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        connection.setDatabaseName(QDir(folder).filePath(QStringLiteral("INVENTORY.sqlite")));
        if (!connection.open())
            fail(connection.lastError().text());
        registerSqlServerDialect(connection);
        sqlite3 *db = sqliteHandle(connection);
        const std::string password = QDir(folder).filePath(QStringLiteral("Password.sqlite")).toStdString();
        {
            Statement attach(db, "ATTACH DATABASE ?1 AS Password");
            attach.text(1, password).run();
        }
        // A throw-away load: nothing to recover if it is interrupted, the folder is discarded.
        exec(db, "PRAGMA main.synchronous=OFF; PRAGMA Password.synchronous=OFF; PRAGMA cache_size=-262144");
        exec(db, "BEGIN");
        Generator generator{db, Random(seed), size};
        generator.hospital();
        generator.locations();
        generator.staff();
        generator.items();
        generator.stock();
        generator.requests();
        exec(db, "COMMIT");
        exec(db, "PRAGMA main.journal_mode=WAL; PRAGMA Password.journal_mode=WAL");
        connection.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString cachedFolder(const QString &root, quint64 seed, const Size &size)
{
    const QDir base(root);
    const QString target = base.filePath(cacheName(seed, size));
    if (DataFolder::hasDatabases(target))
        return target;
    const QString building = target + QStringLiteral(".building");
    QDir(building).removeRecursively();
    if (!base.mkpath(building))
        fail(QStringLiteral("Cannot create the folder %1.").arg(building));
    generate(building, seed, size);
    QDir(target).removeRecursively();
    if (!QDir().rename(building, target))
        fail(QStringLiteral("Cannot rename %1 to %2.").arg(building, target));
    return target;
}

} // namespace ScaleData
