#pragma once
// The Quil recorder archive read by the step-driven framework: every fault
// ends the step with a readers::ParserError, and the reader makes the
// session's table and chart models itself.
#include "readers/MeasurementWriter.h"
#include "readers/NormalDeviceParser.h"

#include <QMap>
#include <QString>

class QuilxCsvParser : public NormalDeviceParser
{
    Q_OBJECT
public:
    QuilxCsvParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, MainWindow *mainWindow,
                   QObject *parent = nullptr);
    ~QuilxCsvParser() override;

    // Leaves the file at its start.
    bool checkHeader() override;
    int readRecords(MyAbstractTableModel *model, int reserved1 = 0, int reserved2 = 0, int reserved3 = 0) override;
    bool createModels(int count) override;
    bool parseFile() override;
    QString unitForParameter(const QString &name) override;

    QMap<QString, QString> headerValues() const { return m_header; }

    // Sections of the table model read by readRecords.
    static constexpr int MaxRecordsRead = 50000;

private:
    [[noreturn]] void throwHeaderError(int detailCode);
    [[noreturn]] void insertFailed(const readers::MeasurementWriter &writer);

    QMap<QString, QString> m_header;
    QMap<int, QString> m_errorTexts;
};
