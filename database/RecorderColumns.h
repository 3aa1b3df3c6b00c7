#pragma once
// The columns of recorder instruments in the wide tables (DataMoxB,
// DataMoxA): the value of parameter P of the instrument named N is in the
// column "P (N)". SQLite compares column names ignoring the case of ASCII
// letters, so pairs whose names differ only in that case share one column,
// and a name that ends in " (" and another instrument's name makes the two
// instruments' column names run into each other ("Q (a)" of "b" and "Q" of
// "a) (b" are both "Q (a) (b)"). The rules here keep every column one pair's.
#include <QHash>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace recorderColumns {

// The wide tables, in the order they are worked on.
QStringList wideTables();

// " (<instrument>)", the end of every column of the instrument.
QString mark(const QString &instrument);
QString columnName(const QString &parameter, const QString &instrument);
// A name as SQLite compares column names: ASCII letters in lower case.
QString foldCase(const QString &name);

// The first two names (in list order) that SQLite takes for one column,
// differing only in the case of ASCII letters: false when there are none.
bool findCaseTwins(const QStringList &names, QString *earlier, QString *later);

// Why a name may not stand beside another instrument's name.
enum class NameClash {
    None,
    Same,       // equal
    LetterCase, // equal ignoring letter case
    Mark,       // one ends in " (" and the other, ignoring letter case
};
NameClash nameClash(const QString &name, const QString &other);

// Columns that hold values, as opposed to the row's id, date and time and a
// reader's record number, which no instrument owns.
bool isValueColumn(const QString &column);

// "the column holds a value": not NULL, not '' and not the single blank ' '.
// True for a row in which any of the columns does; false ("0") for none.
QString hasValueExpression(const QStringList &columns);

// The instruments of an application database and their parameters, and
// which of them a wide-table column belongs to.
class Owners
{
public:
    struct Pair
    {
        QString parameter;
        int deviceId = 0;
    };

    bool load(QSqlDatabase db);
    QString errorText() const { return m_error; }

    QString name(int deviceId) const { return m_names.value(deviceId); }
    // The instruments a column belongs to: those with a parameter whose
    // column it is as SQLite resolves names; for a column of no registered
    // parameter, the instruments with the longest name whose mark ends it.
    QList<int> ownersOf(const QString &column) const;
    // Columns among columns that belong to the instrument; alone: only those
    // that belong to no other instrument as well.
    QStringList columnsOf(const QStringList &columns, int deviceId, bool alone) const;
    // Registered pairs whose column, as SQLite resolves names, is column.
    QList<Pair> pairsAt(const QString &column) const { return m_pairs.value(foldCase(column)); }

private:
    QMap<int, QString> m_names;
    QHash<QString, QList<Pair>> m_pairs; // folded column name -> pairs
    QString m_error;
};

// A column of the instrument that the table already has for another
// (parameter, instrument) pair, as SQLite resolves column names.
struct Collision
{
    QString column;     // the instrument's column
    QString existing;   // the table's column of that name
    QString parameter;  // the other pair
    QString instrument;
};
// Looks for the first collision of the parameters' columns; found->column
// stays empty without one. False when the database cannot be read.
bool findCollision(QSqlDatabase db, const QString &table, int deviceId, const QString &instrument,
                   const QStringList &parameters, Collision *found, QString *error);

// Column names of a table of the main schema, in order; empty (and no error)
// when there is no such table.
bool tableColumns(QSqlDatabase db, const QString &table, QStringList *columns, QString *error);

// Rebuilds table without the columns drop and without the rows in which no
// value column is left with a value; the rows keep their order with ids
// 1, 2, … The table keeps its definition otherwise (types, key,
// autoincrement, indexes). Runs in the caller's transaction.
bool dropColumns(QSqlDatabase db, const QString &table, const QStringList &drop, QString *error);

// Renames columns (each ending in the mark of from) to end in the mark of to.
// Refused, with the existing column in clash, when a new name would be that
// of a column that is not renamed. Runs in the caller's transaction.
bool renameColumns(QSqlDatabase db, const QString &table, const QStringList &columns, const QString &from,
                   const QString &to, QString *clash, QString *error);

// "yyyy-MM-dd HH:mm:ss[.zzz]" of a wide table, taken as UTC wall-clock.
bool parseWideTime(const QString &text, qint64 *msecs);

// First, last and count of the rows of a wide table ("yyyy-MM-dd" date and
// "HH:mm:ss[.zzz]" time, taken as UTC) in which one of columns holds a
// value; every row when columns is empty. found: the first and last times
// could be read.
struct Span
{
    bool found = false;
    qint64 first = 0;
    qint64 last = 0;
    quint64 count = 0;
};
bool rowSpan(QSqlDatabase db, const QString &table, const QStringList &columns, Span *span, QString *error);
// The same first and last times from the (date, time) index, a few page
// reads where rowSpan reads every row; span->count stays 0. exists: such a
// row exists (also one whose time cannot be read).
bool rowBounds(QSqlDatabase db, const QString &table, const QStringList &columns, Span *span, bool *exists,
               QString *error);

} // namespace recorderColumns
