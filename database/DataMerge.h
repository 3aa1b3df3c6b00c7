#pragma once
// Merges a source database, read through its table model in pages, into the
// narrow tables of the application database under one instrument:
// parameters matched by name and unit, values written once per parameter and
// time, one transaction per section of at most SectionSize records.
#include "database/DeviceTypes.h"
#include "tables/MyAbstractSqlModel.h"

#include <QAtomicInteger>
#include <QElapsedTimer>
#include <QHash>
#include <QMap>
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
        Failed,    // reported; sections committed before stay
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
    };

    using QObject::QObject;

    Result run(const Input &input);

    // Over the whole import: values read, written, and skipped (already
    // stored, not a finite number, or of a parameter the source does not list).
    quint64 recordsRead() const { return m_read; }
    quint64 added() const { return m_added; }
    quint64 skipped() const { return m_skipped; }

signals:
    void progressValueChanged(int value);
    void consoleMessage(QString msg, int icon);
    void dialogMessage(QString msg, QString title, int icon);

private:
    bool mergeParameters(const Input &input);
    Result mergeSection(const Input &input);
    void reportFailure(const QString &error);

    bool readLatestTimes(const Input &input);

    QMap<int, int> m_ids; // source parameter id -> target id
    // Per target parameter: the latest time stored or written so far. A
    // later value cannot be there yet and needs no look-up.
    struct Latest
    {
        bool any = false;
        qint64 time = 0;
    };
    QHash<int, Latest> m_latest;
    quint64 m_read = 0;
    quint64 m_added = 0;
    quint64 m_skipped = 0;
    int m_progressStep = 0;
};
