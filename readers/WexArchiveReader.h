#pragma once
// The transducer archives of WexA, WexB and WexC: a header line that names
// the parameters, an empty line, then per line a date, a time, the fixed
// empty column and one value per parameter. The three readers share this
// design and differ in the header rules and the unit table.
#include "readers/LineReaderKit.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QVector>

namespace readers {

enum class WexVariant {
    A, // separator searched, "R8000" rule, unit table A
    B, // separator searched, unit table B
    C, // TAB only, unit table B
};

class WexArchiveReader
{
public:
    static constexpr int kMaxLineLength = 5000;

    WexArchiveReader(LineReaderKit &kit, WexVariant variant);

    bool checkHeader();
    bool parseFile(QSqlDatabase db, int *count);

    char separator() const { return m_separator; }

    static QString unitTableA(QString name);
    static QString unitTableB(QString name);

private:
    bool handleLine(const Field &line, qint64 lineNumber);
    // Splits a line (terminator removed) into its columns by position: the
    // fixed empty third column goes, and so does an empty tail left by a
    // separator before the line end; in a row also a one-space tail.
    void columns(const Field &line, bool isRow, FieldList *out) const;

    LineReaderKit &m_kit;
    const WexVariant m_variant;
    const TimeStampFormat m_format;
    char m_separator = '\t';
    UnitRule m_unitRule;
    // H: the header's columns, date and time included.
    int m_headerColumns = 0;
    // Trimmed names of the value columns, in column order.
    QVector<QByteArray> m_names;
    FieldList m_raw;
    FieldList m_fields;
};

} // namespace readers
