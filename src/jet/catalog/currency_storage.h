// jet/catalog/currency_storage: bringing a file made before Currency was stored exactly (REAL amounts,
// rounded by triggers) to the INTEGER ten-thousandths form, and telling the two apart. A file
// converts when it is opened exclusively or compacted; before that it opens read-only.
#pragma once

namespace qb::jet {

class Connection;

// Rebuilds every user table with a Currency field so that the field holds ten-thousandths
// (rows, rowids, indexes, AutoNumber seeds and relationships kept) and drops the rounding
// triggers. Raises 3349 naming the table when a stored amount is outside Currency's range,
// 3421 when one is no number. REQUIRES: inside a transaction or savepoint; the jet functions
// registered on CONNECTION; its Currency fields hold amounts.
void ConvertCurrencyTables(Connection& connection);

// ConvertCurrencyTables in a transaction of its own that also records the form in MSysDbInfo.
void ConvertCurrencyStorage(Connection& connection);

// True when CONNECTION's file records no integer form: its Currency fields hold amounts.
bool HoldsCurrencyAmounts(Connection& connection);

// Why a file not yet converted is open read-only, and how to convert it (a sentence's tail).
const char* UnconvertedCurrencyAdvice();

}  // namespace qb::jet
