#pragma once

class QSqlDatabase;

// SQLite's own NOCASE folds the letters A to Z only: "Émilie" and "émilie"
// differ under it. This replaces NOCASE on one connection with a comparison
// that ignores letter case in every alphabet, so that the meet's names sort and
// match as the operator reads them. Statements keep writing COLLATE NOCASE; on a
// connection without the replacement they still ignore case for A to Z.
namespace CaselessCollation {

// False when the connection is no SQLite connection of the system's library.
bool install(const QSqlDatabase& db);

// The comparison itself, for UTF-8 texts: negative, 0 or positive.
int compare(const char* left, int leftLength, const char* right, int rightLength);

} // namespace CaselessCollation
