#pragma once
#include "tables/BrenaRecord.h"
#include "tables/MyAbstractTableModel.h"

#include <vector>

// Table of the meter's binary record file: read whole by loadFile (on the
// open or import worker), kept as raw records and decoded per cell.
class BrenaTableModel : public MyAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int DataColumnCount = 4 + BrenaRecord::ValueCount;
    static constexpr int FlagColumn = 3;

    explicit BrenaTableModel(QString filePath, QObject *parent = nullptr);
    ~BrenaTableModel() override;

    // Reads the file; true when every record the header announces was read.
    bool loadFile();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QStringList getColumnNames() const override;
    bool isFlagOk(int flag) const override;
    QString getFlagText(int flag) const override;
    void updateQuery() override;

    // Read access for the configuration reader's record conversion.
    const std::vector<BrenaRecord> &records() const { return m_records; }
    const BrenaFileHeader &fileHeader() const { return m_header; }
    quint8 layoutByte() const { return m_header.layoutByte(); }
    QString filePath() const { return m_filePath; }

private:
    void reportFailure(const QString &msg, const QString &consoleMsg);
    // Room for count records, or false when they cannot be held.
    bool reserveRecords(quint64 count);
    QVariant displayText(const BrenaRecord &record, int column) const;

    QString m_filePath;
    QStringList m_headers;
    BrenaFileHeader m_header;
    // Reserved once for the count the header gives: a Qt 5 container stops
    // near 2 GiB, and growing by doubling would need twice the file's size.
    std::vector<BrenaRecord> m_records;
    int m_rowCount = 0;
    int m_columnCount = 0;
};
