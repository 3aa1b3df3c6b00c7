#pragma once
#include <QByteArray>
#include <QDialog>
#include <QList>

class QDialogButtonBox;
class QGridLayout;
class QTableWidget;

namespace Ui {
// The dialog's widgets, built in code.
struct FiltersCfgSelectDialog
{
    QGridLayout *gridLayout = nullptr;
    QTableWidget *tableWidget = nullptr;
    QDialogButtonBox *buttonBox = nullptr;
};
} // namespace Ui

// Chooses one of the ten filter templates of "cfg.ini": to load it (load
// mode) or to store a blob in it under a name typed into the cell (save mode).
class FiltersCfgSelectDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FiltersCfgSelectDialog(QWidget *parent = nullptr);
    FiltersCfgSelectDialog(QByteArray cfg, QWidget *parent = nullptr);
    ~FiltersCfgSelectDialog() override;

    QTableWidget *table() const { return ui->tableWidget; }
    QDialogButtonBox *buttons() const { return ui->buttonBox; }
    QList<QByteArray> blobs() const { return slotBlobs; }
    int selectedRow() const { return currentRow; }
    bool isSlotUsed(int row) const { return row >= 0 && row < SlotCount && slotUsed[row]; }

private slots:
    void on_tableWidget_currentCellChanged(int currentRow, int currentColumn, int previousRow, int previousColumn);
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    static constexpr int SlotCount = 10;
    void initDialog();
    QString settingsPath() const;

    Ui::FiltersCfgSelectDialog *ui;
    bool loadMode;
    QByteArray cfgBlob;
    bool slotUsed[SlotCount] = {};
    QList<QByteArray> slotBlobs;
    int currentRow = 0;
};
