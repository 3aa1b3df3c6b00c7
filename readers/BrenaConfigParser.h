#pragma once
// The Brena meter's two XML files: the channel file "MBD_M_RS.XML" (which
// values each channel has, their names and unit numbers) and the optional
// units file "UNITS.XML". Makes one Parameters row per value of each active
// channel, keeps the channel-to-parameter map (stored with the instrument in
// Devices.otherCfg) and turns the record file's rows into Data rows.
#include <QAtomicInteger>
#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class BrenaTableModel;
class QDomDocument;

class BrenaConfigParser : public QObject
{
    Q_OBJECT
public:
    using ParametersMap = QHash<int, QList<int>>;

    explicit BrenaConfigParser(QObject *parent = nullptr);
    ~BrenaConfigParser() override;

    // Picks the channel file (required) and the units file among paths,
    // matching their names in any letter case.
    bool openFile(const QStringList &paths);
    // Inserts the parameters of the active channels into db under deviceId
    // (-1: no instrument), inside whatever transaction the caller holds.
    bool parseConfiguration(QSqlDatabase db, int deviceId);
    QByteArray serializeParametersMap() const;
    void loadParametersMap(const QByteArray &blob);
    // Writes the model's records as Data rows through the map, in one
    // transaction; a value already stored for its parameter and time is
    // kept as it is. Progress in percent through fillDataProgressChanged.
    bool convertData(QSqlDatabase db, BrenaTableModel *model);
    // Records the last conversion left out: their date or time cannot be read.
    int skippedRecords() const { return m_skippedRecords; }

    // Polled once per record by convertData: 1 stops it (rolled back, false).
    void setCancelFlag(QAtomicInteger<char> *cancelFlag) { m_cancelFlag = cancelFlag; }

    const ParametersMap &parametersMap() const { return m_parametersMap; }

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);
    void fillDataProgressChanged(int newProgress);

private:
    bool openOne(QFile &file, const QString &path);
    void reportBoth(const QString &text);
    QStringList readUnits(const QDomDocument &units) const;

    QFile m_channelFile;
    QFile m_unitsFile;
    ParametersMap m_parametersMap;
    QAtomicInteger<char> *m_cancelFlag = nullptr;
    int m_skippedRecords = 0;
};
