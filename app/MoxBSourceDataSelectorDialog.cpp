#include "app/MoxBSourceDataSelectorDialog.h"

#include "common/Prompts.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

MoxBSourceDataSelectorDialog::MoxBSourceDataSelectorDialog(QWidget *parent)
    : QDialog(parent)
    , selectedSourceTypeFile(Cancelled)
{
    setObjectName(QStringLiteral("MoxBSourceDataSelectorDialog"));
    resize(311, 212);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    auto *mainLayout = new QHBoxLayout(this);
    groupBox = new QGroupBox(this);
    groupBox->setObjectName(QStringLiteral("groupBox"));
    auto *radios = new QVBoxLayout(groupBox);
    radioButton_DataSqlite3File = new QRadioButton(groupBox);
    radioButton_DataSqlite3File->setObjectName(QStringLiteral("radioButton_DataSqlite3File"));
    radioButton_DataSqlite3File->setChecked(true);
    radioButton_AuditCSVFile = new QRadioButton(groupBox);
    radioButton_AuditCSVFile->setObjectName(QStringLiteral("radioButton_AuditCSVFile"));
    radioButton_AlarmCSVFile = new QRadioButton(groupBox);
    radioButton_AlarmCSVFile->setObjectName(QStringLiteral("radioButton_AlarmCSVFile"));
    radios->addWidget(radioButton_DataSqlite3File);
    radios->addWidget(radioButton_AuditCSVFile);
    radios->addWidget(radioButton_AlarmCSVFile);
    mainLayout->addWidget(groupBox);

    // Only on_buttonBox_clicked handles the box: OK may refuse to close.
    buttonBox = new QDialogButtonBox(this);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    buttonBox->setOrientation(Qt::Vertical);
    buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    mainLayout->addWidget(buttonBox);

    retranslateUi();
    QMetaObject::connectSlotsByName(this);
}

void MoxBSourceDataSelectorDialog::retranslateUi()
{
    setWindowTitle(tr("Select file type"));
    groupBox->setTitle(tr("Source file"));
    radioButton_DataSqlite3File->setText(tr("Data file "));
    radioButton_AuditCSVFile->setText(tr("Audit file "));
    radioButton_AlarmCSVFile->setText(tr("Alarm file "));
}

void MoxBSourceDataSelectorDialog::reject()
{
    selectedSourceTypeFile = Cancelled;
    QDialog::reject();
}

void MoxBSourceDataSelectorDialog::on_buttonBox_clicked(QAbstractButton *button)
{
    if (button == buttonBox->button(QDialogButtonBox::Cancel)) {
        reject();
        return;
    }
    if (button != buttonBox->button(QDialogButtonBox::Ok))
        return;

    if (radioButton_DataSqlite3File->isChecked()) {
        selectedSourceTypeFile = DataKind;
    } else if (radioButton_AuditCSVFile->isChecked()) {
        selectedSourceTypeFile = AuditKind;
    } else if (radioButton_AlarmCSVFile->isChecked()) {
        selectedSourceTypeFile = AlarmKind;
    } else {
        Prompts::instance().message(this, QMessageBox::Warning, tr("Invalid Selection"),
                                    tr("Please select a file type option."), QMessageBox::Ok);
        return;
    }
    accept();
}
