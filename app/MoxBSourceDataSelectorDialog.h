#pragma once
// Which kind of MoxB recorder file is to be opened: data, audit or alarm.
// The main window turns the kind and the file's suffix into the
// SourceTypeFile value.
#include <QDialog>

class QAbstractButton;
class QDialogButtonBox;
class QGroupBox;
class QRadioButton;

class MoxBSourceDataSelectorDialog : public QDialog
{
    Q_OBJECT
public:
    enum Kind { Cancelled = 0, DataKind = 1, AuditKind = 2, AlarmKind = 3 };

    explicit MoxBSourceDataSelectorDialog(QWidget *parent = nullptr);

    // 1 data, 2 audit, 3 alarm; 0 when cancelled or closed without OK.
    int selectedSourceTypeFile;

public slots:
    void reject() override;

signals:
    void dataFileSelected(QString dataFile);
    void settingFileSelected(QString settingFile);
    void fileSelected(int fileType);

private slots:
    void on_buttonBox_clicked(QAbstractButton *button);

private:
    void retranslateUi();

    QGroupBox *groupBox;
    QRadioButton *radioButton_DataSqlite3File;
    QRadioButton *radioButton_AuditCSVFile;
    QRadioButton *radioButton_AlarmCSVFile;
    QDialogButtonBox *buttonBox;
};
