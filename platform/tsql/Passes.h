#pragma once

// The translation passes: each rewrites the statement where its rule applies and leaves it alone
// elsewhere. An engine's passes run in the order its list gives (SqlitePasses, PostgresPasses):
// first those that make a statement mean on the engine what it means on SQL Server, then those
// that only make it faster, which may be switched off (TsqlAdapter::setSpeedPasses).

#include "platform/tsql/Statement.h"

#include <optional>

struct AdaptedStatement;

namespace TsqlPasses {

// A statement that starts with a name that is not a SQL keyword is a call (ProcedureCall.cpp).
std::optional<AdaptedStatement> procedureCall(const Statement &statement);

// Passes that make a statement correct.
void missingKeywords(Statement &statement);  // Insert t -> Insert Into t (Names.cpp)
void databaseNames(Statement &statement);    // INVENTORY..t, [name], N'text' (Names.cpp)
void functions(Statement &statement);        // IsNull, SubString, Len, Convert (Functions.cpp)
void topAsLimit(Statement &statement);       // Select Top n (Top.cpp)
void likeOnServer(Statement &statement);     // Like as ILIKE or ~* (Like.cpp)
void monthFirstDates(Statement &statement);  // '12/07/2026 03:05:09 PM' (Dates.cpp)
void comparedTexts(Statement &statement);    // 'abc ' = x as SQL Server compares (Comparisons.cpp)
void textJoins(Statement &statement);        // 'a' + b -> 'a' || b (TextJoins.cpp)

// Passes that only make a statement faster: the same rows, found through an index.
void likePrefixRanges(Statement &statement);   // the embedded files (IndexRanges.cpp)
void equalityRanges(Statement &statement);     // the embedded files (IndexRanges.cpp)
void notEmptyAsGreater(Statement &statement);  // the server (ServerIndexes.cpp)
void likeAsLoweredText(Statement &statement);  // the server (ServerIndexes.cpp)
void orderByLoweredNames(Statement &statement); // the server (ServerIndexes.cpp)

} // namespace TsqlPasses
