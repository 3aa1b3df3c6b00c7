#pragma once
// The schema's indexes that an application database lacks: a file written by
// an older version, or by another tool to the tables alone. On millions of
// values each takes seconds, so they are built on a worker under the cancel
// flag, all in one transaction: a cancel or a failure leaves the file as it
// was, with no index half made.
#include "database/DatabaseStructure.h"

#include <QAtomicInteger>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace indexBuild {

// The indexes of the tables the database holds that it lacks, in the
// schema's order. Empty, with the reason in *error, when it cannot be read.
QList<DatabaseStructure::Index> missing(QSqlDatabase db, QString *error = nullptr);

enum class Outcome {
    Built,
    Cancelled, // nothing of the build is left in the file
    Failed,    // nothing either; *error says why
};

// Builds the indexes; before index i (from 0) starts, step(i) is called. The
// running statement stops within moments of the flag turning 1. A flag that
// turns 1 after the commit changes nothing: the indexes are there.
Outcome run(QSqlDatabase db, const QList<DatabaseStructure::Index> &indexes, QAtomicInteger<char> *cancelFlag,
            const std::function<void(int)> &step, QString *error = nullptr);

} // namespace indexBuild
