#pragma once
// Merges a source database, read through its table model in pages, into the
// narrow tables of the application database under one instrument:
// parameters matched by name and unit, values written as often as the source
// holds them beyond what is stored (DataSurplusWriter), one transaction per
// section of at most SectionSize records. A section that cannot be written
// whole is rolled back whole.
#include "database/DataSurplusWriter.h"
#include "database/DeviceTypes.h"
#include "tables/MyAbstractSqlModel.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <functional>

class DataMerge : public QObject
{
    Q_OBJECT
public:
    static constexpr uint SectionSize = 50000;

    enum class Result {
        Done,      // every section committed (single values may be skipped)
        Cancelled, // the open section rolled back; earlier ones stay
        Failed,    // reported; the open section rolled back, earlier ones stay
    };

    struct Input
    {
        MyAbstractSqlModel *source = nullptr; // first section already queried
        uint count = 0;                       // the source's record count
        uint firstSection = 0;                // length of that first section
        avaibleDevices_t type = DEVICE_UNDEFINED;
        int deviceId = 0;
        QSqlDatabase target;
        QAtomicInteger<char> *cancelFlag = nullptr;
        const QElapsedTimer *timer = nullptr; // started when the import began
        std::function<int(avaibleDevices_t, int)> mapFlag;
        std::function<void(int)> setProgressMaximum;
        // Asked before each section: empty while the target may be written,
        // else the message why not (the file was deleted or replaced).
        std::function<QString()> writeRefusal;
    };

    using QObject::QObject;

    Result run(const Input &input);

    // A source database that only feeds a merge: its reader fills it without
    // the Data indexes (keeping them up row by row costs as much as the rows
    // themselves), and the ordered read of the merge gets the one index it
    // needs afterwards. False with the database's words in error.
    static bool prepareSourceForFill(QSqlDatabase source, QString *error);
    static bool prepareSourceForMerge(QSqlDatabase source, QString *error);

    // Over the whole import: values read; of the committed sections, values
    // written and skipped (already stored, not a finite number, or of a
    // parameter the source does not list).
    quint64 recordsRead() const { return m_read; }
    quint64 added() const { return m_added; }
    quint64 skipped() const { return m_skipped; }

signals:
    void progressValueChanged(int value);
    void consoleMessage(QString msg, int icon);
    void dialogMessage(QString msg, QString title, int icon);

private:
    bool mergeParameters(const Input &input);
    Result mergeSection(const Input &input, DataSurplusWriter &writer);
    // console: the failure in full; reason: the database's own words, shown
    // to the user after "An error occurred".
    void reportFailure(const QString &console, const QString &reason = QString());
    void reportSourceFailure(const QString &reason);
    // A statement stopped by the cancel fails too: that is the cancel, told
    // as such, not a failure.
    bool cancelled() const { return m_cancelFlag && m_cancelFlag->loadAcquire() == 1; }
    Result cancelledOrFailed();

    QAtomicInteger<char> *m_cancelFlag = nullptr;
    QHash<int, int> m_ids; // source parameter id -> target id
    quint64 m_read = 0;
    quint64 m_added = 0;
    quint64 m_skipped = 0;
    int m_progressStep = 0;
};
