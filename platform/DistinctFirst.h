#pragma once

#include <QString>

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
namespace DistinctFirst {

QString rewrite(const QString &sqliteSql);

} // namespace DistinctFirst
