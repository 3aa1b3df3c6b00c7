#pragma once
// Which kind of file of the ZelC analyser family is to be opened: data
// archive, audit log, dip and swell log or alarm log.
#include <QDialog>

class QAbstractButton;
class QDialogButtonBox;
class QGroupBox;
class QRadioButton;

class SourceDataSelectorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SourceDataSelectorDialog(QWidget *parent = nullptr);

    // ZelC_DATA_FILE ... ZelC_ALARM_FILE; 0 when the dialog was cancelled,
    // closed or left with Escape.
    int selectedSourceTypeFile;

public slots:
    void reject() override;

private slots:
    void on_radioButton_DataFile_clicked();
    void on_radioButton_AuditFile_clicked();
    void on_radioButton_DeepSwellFile_clicked();
    void on_radioButton_AlarFile_clicked();
    void on_buttonBox_clicked(QAbstractButton *button);

private:
    void retranslateUi();

    QGroupBox *groupBox;
    QRadioButton *radioButton_DataFile;
    QRadioButton *radioButton_AuditFile;
    QRadioButton *radioButton_DeepSwellFile;
    QRadioButton *radioButton_AlarFile;
    QDialogButtonBox *buttonBox;
};
