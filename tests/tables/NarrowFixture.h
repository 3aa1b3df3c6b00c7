#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>

// Small narrow-table databases for the table model tests and benchmark:
// the application schema (Devices, Parameters, Data, Events) with its indexes,
// made by the schema code itself.
namespace NarrowFixture {

// Creates the schema in an empty database. False (with the error in
// *error) when a statement fails.
bool createSchema(QSqlDatabase db, QString *error = nullptr);

// Fixed times of the small fixture, ms since 1970-01-01 UTC (all above 2^31).
constexpr qint64 T0 = 1700000000000; // 2023-11-14 22:13:20 UTC
constexpr qint64 Step = 60000;

// Two instruments, "Meter A" and "Meter B", each with a parameter "U1" [V];
// "Meter A" also has "I1" [A] and "Meter B" the unit-less "it's". Ids 1 to 4
// in that order: U1@A, I1@A, U1@B, it's@B.
// Data: at T0 + k*Step, k = 0..4, one value of each parameter, value
// 10*id + k, flag k % 3 (0, 1, 2, 0, 1). Then two extra U1@A rows at
// T0 + 5*Step + 999 ms (values 1 and 2, flag 0): 22 rows in all.
bool writeSmall(QSqlDatabase db, QString *error = nullptr);
constexpr int SmallRowCount = 22;
constexpr int SmallTimeCount = 6;

// Fills Data with `rows` values spread over `parameters` parameters of one
// instrument, one time stamp per `parameters` rows, 1 s apart.
bool writeLarge(QSqlDatabase db, qint64 rows, int parameters, QString *error = nullptr);

} // namespace NarrowFixture
