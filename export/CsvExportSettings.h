#pragma once
#include <QString>
#include <QtGlobal>

// The CSV export choices as one record, filled by the export page and read by
// the converter.
struct CsvExportSettings
{
    QString dateFormat = QString("");
    QString timeFormat = QString("");
    bool separateDateTimeColumns = false;
    char dateTimeSeparator = ' ';
    char columnSeparator = '\t';
    char decimalPoint = ',';
    // 0 automatic (up to 15 significant digits, no trailing zeros, the
    // exponent form for very large and small numbers), 1 to 5 that many places.
    qint16 decimalPlaces = 0;
    // 0 leave unchanged, 1 empty field, 2 the custom string.
    int incorrectValuesHandling = 0;
    QString errorValueCustomString = QString("");
    bool limitRecordsPerFile = false;
    int maxRecordsPerFile = 0; // read only when limitRecordsPerFile is set
    bool groupByDate = true;
};
