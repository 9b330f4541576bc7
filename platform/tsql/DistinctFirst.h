#pragma once

#include <QString>

#include <functional>

// A plan for SELECT DISTINCT statements that look something up for every row they read: the
// request list reads every line of the requests it lists, and for each line the requester's name
// (a subquery in the select list) and two location names (left joins that only add columns),
// before DISTINCT folds the lines into requests.
//
// The rewritten statement first folds the rows of the main table (with the joins and the filter
// that choose them) into their distinct values of the columns the lookups and the result need,
// then looks up once per distinct row and folds again:
//
//   SELECT DISTINCT <select list> FROM (SELECT DISTINCT A.c1, A.c2, ... FROM <main table> A
//   <joins that filter> WHERE <filter>) A <left joins that only add columns> <ORDER BY / LIMIT>
//
// Every value of the result is a function of the main table's columns the inner select keeps, so
// the rows, once folded again, are the same set. A statement of any other shape gives an empty
// text. A name that the inner select no longer offers makes the rewritten statement fail to
// compile, never resolve to something else; the caller then runs the statement as it was.
//
// Where a column compares without regard to case through a costly comparison (the server's
// citext lower-cases both texts at every comparison and hash), the inner select may fold by the
// column's exact text instead, and the rows are turned back into the column's type above it:
//
//   ... FROM (SELECT A.c1::citext AS c1, ... FROM (SELECT DISTINCT A.c1::text AS c1, ...) A) A ...
//
// The exact fold is a finer one: rows that differ in letter case only stay apart in it, and the
// outer DISTINCT, which compares as the column does, folds them.
//
// A server that joins by hashing may also look up by joining: a lookup of the select list of the
// form "(SELECT expr FROM t WHERE key = A.c LIMIT 1)" becomes a left join, one hash of t instead
// of an index descent per folded row:
//
//   SELECT DISTINCT ..., lookup1.v, ... FROM (...) A ... LEFT JOIN (SELECT DISTINCT ON (key) key AS k,
//   expr AS v FROM t) lookup1 ON lookup1.k = A.c
//
// Each row finds at most one row of t, as the LIMIT 1 did: one of the rows with that key, any one
// (DISTINCT ON is left out where the key is unique).
namespace DistinctFirst {

struct Options
{
    // Whether the main table's column (both names in lower case) folds by its exact text.
    std::function<bool(const QString &table, const QString &column)> exactText;
    QString toExactText; // the cast appended to fold by exact text, e.g. "::text"
    QString back;        // the cast appended to return to the column's type, e.g. "::citext"

    bool lookupsAsJoins = false;
    // Whether a table's column (both names in lower case) holds no value twice.
    std::function<bool(const QString &table, const QString &column)> uniqueKey;
};

QString rewrite(const QString &sql, const Options &options = {});

} // namespace DistinctFirst
