#pragma once

#include <QString>
#include <QtGlobal>

// A data folder the size of a large hospital, built through the project's own schema and filled
// with deterministic rows from a seed. The generated folder is cached: a folder that already
// holds the data of the same seed, size and generator version is reused as it is.
namespace ScaleData {

// Bump when the rows the generator writes change, so that cached folders are rebuilt.
constexpr int kVersion = 2;

struct Size
{
    int items = 100000;
    int locations = 300;      // the first five are the stores and pharmacies, the rest wards
    int stockRows = 1000000;  // tbInvent
    int staff = 5000;
    int requests = 150000;
    int requestRows = 1500000;
    int openRequests = 15000; // the most recent requests, most of them still pending
    int kits = 500;

    // The full size divided by the factor (at least the rows the facts below need).
    static Size scaledDown(int factor);
    // The same hospital with its request history (requests and lines) the given number of times
    // as long; the open requests stay the same.
    Size withLongerHistory(int times) const;
};

// Facts of a generated folder that the benchmarks and the tests rely on.
struct Facts
{
    static constexpr const char *Employee = "100001";   // assigned to ten locations, may verify
    static constexpr const char *Password = "bench";    // every employee's password
    static constexpr const char *Pharmacy = "95";       // a store the employee is assigned to
    static constexpr const char *Ward = "100";          // a requesting ward of the employee
    static constexpr int UserLocations = 10;

    static constexpr int Lines200 = 200;
    static constexpr int Lines2000 = 2000;

    // Two pending, unverified requests from Ward to Pharmacy, of Lines200 and Lines2000 lines.
    QString request200;
    QString request2000;
};

Facts factsFor(const Size &size);

// Builds the two database files in the folder (which must not hold them yet). Throws Error.
void generate(const QString &folder, quint64 seed, const Size &size);

// The folder under root for the seed and size; generated first when it is missing. Generation
// writes to a temporary folder that is renamed when complete, so an interrupted run leaves no
// half-built cache behind.
QString cachedFolder(const QString &root, quint64 seed, const Size &size);

} // namespace ScaleData
