#pragma once

#include <QString>

// Turns a text and a key into the scrambled form the staff register stores (mode "E") and back
// (mode "D"). Characters count by their single-byte (Latin-1) code; one outside it counts as '?'.
// Any other mode, an empty key with a non-empty text, or a malformed scrambled text in mode "D"
// gives the empty text.
QString ScrambleText(const QString &mode, const QString &key, const QString &text);

// A typed password in the form the staff register stores and compares: scrambled (mode "E") with
// the register's key.
QString StaffPasswordForm(const QString &password);
