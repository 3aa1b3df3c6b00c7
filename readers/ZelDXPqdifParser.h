#pragma once
// PQDIF files (IEEE 1159.3) of the ZelDX analysers into the narrow tables
// Devices, Parameters and Data of a database, with the DataConnected view
// over them. Reads the file through our pqdif/ layer.
#include "readers/MessageCap.h"

#include <QAtomicInteger>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVector>

#include <memory>

class CPQDIFRecord;
class CPQDIF_R_Observation;
class ProgressDialog;

class ZelDXPqdifParser : public QObject
{
    Q_OBJECT
public:
    // Input of the unit rule: the series' units code and its display hints.
    struct SeriesUnitInfo
    {
        quint32 unitsCode = 0;
        quint32 prefixCode = 0;  // greek prefix hint, 0 none
        quint32 displayCode = 0; // preferred units hint, 0 none
    };

    ZelDXPqdifParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent = nullptr);
    ~ZelDXPqdifParser() override;

    // Every row goes to this Devices row (id > 0) under this name.
    void setDeviceInfo(int deviceId, QString deviceName);
    bool openFile(QString path);
    // The whole file in one transaction; count (may be null) gets the rows written.
    bool parseFile(QSqlDatabase db, int *count);

    // The stored unit of a series from the name of its units code.
    static QString unitFor(const QString &unitText, const SeriesUnitInfo &info);
    static QString normalizeUnit(const QString &text);
    static QString quantityUnitSymbol(quint32 unitsCode);
    static QString siPrefixSymbol(quint32 prefixCode);
    static bool isRelativeUnit(const QString &unit);

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void progressValueChanged(int value);

private:
    struct DataSourceEntry
    {
        const CPQDIFRecord *record = nullptr;
        int deviceId = -1;
        QString name;
        QHash<QString, int> parameters; // cache key -> Parameters id
    };
    struct PendingSeries;
    struct Statements;

    bool importObservation(const CPQDIFRecord *observation, DataSourceEntry &dataSource,
                           const CPQDIFRecord *settings, QSqlDatabase db, qint64 *samples, qint64 handled);
    // Reads one channel's series that carry values and times into out.
    void collectChannel(const CPQDIF_R_Observation &obs, long c, const DataSourceEntry &dataSource,
                        QVector<PendingSeries> &out);
    bool getOrCreateDevice(DataSourceEntry &entry, QSqlDatabase db);
    bool getOrCreateParameter(DataSourceEntry &entry, const QString &key, QString name, QString unit,
                              QSqlDatabase db, int *id);
    bool readHeaders(class CPQDIF_PC_FlatFile &controller);
    bool cancelled() const;
    bool fail(const QString &dialogText, const QSqlQuery *failed = nullptr);
    void dialog(const QString &text, int icon) { emit dialogMessage(text, QString(), icon); }
    // A series passed over: one warning per series, capped per read.
    void warnSeries(const char *source, long channel, long series);
    void sendSeriesWarningCounts();

    QString m_path;
    QPointer<ProgressDialog> m_progress;
    QAtomicInteger<char> *m_cancelFlag;
    int m_forcedDeviceId = -1;
    QString m_forcedDeviceName;
    std::unique_ptr<Statements> m_sql; // live during parseFile
    readers::MessageCap m_seriesWarnings;
    qint64 m_matched = 0;              // samples found stored already
};
