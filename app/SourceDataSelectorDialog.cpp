#include "app/SourceDataSelectorDialog.h"

#include "app/SourceTypeFile.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SourceDataSelectorDialog::SourceDataSelectorDialog(QWidget *parent)
    : QDialog(parent)
    , selectedSourceTypeFile(ZelC_DATA_FILE)
{
    setObjectName(QStringLiteral("SourceDataSelectorDialog"));
    resize(315, 200);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    auto *mainLayout = new QHBoxLayout(this);
    groupBox = new QGroupBox(this);
    groupBox->setObjectName(QStringLiteral("groupBox"));
    auto *radios = new QVBoxLayout(groupBox);
    radios->setContentsMargins(10, radios->contentsMargins().top(), radios->contentsMargins().right(),
                               radios->contentsMargins().bottom());
    radioButton_DataFile = new QRadioButton(groupBox);
    radioButton_DataFile->setObjectName(QStringLiteral("radioButton_DataFile"));
    radioButton_DataFile->setChecked(true);
    radioButton_AuditFile = new QRadioButton(groupBox);
    radioButton_AuditFile->setObjectName(QStringLiteral("radioButton_AuditFile"));
    radioButton_DeepSwellFile = new QRadioButton(groupBox);
    radioButton_DeepSwellFile->setObjectName(QStringLiteral("radioButton_DeepSwellFile"));
    radioButton_AlarFile = new QRadioButton(groupBox);
    radioButton_AlarFile->setObjectName(QStringLiteral("radioButton_AlarFile"));
    radios->addWidget(radioButton_DataFile);
    radios->addWidget(radioButton_AuditFile);
    radios->addWidget(radioButton_DeepSwellFile);
    radios->addWidget(radioButton_AlarFile);
    mainLayout->addWidget(groupBox);

    buttonBox = new QDialogButtonBox(this);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    buttonBox->setOrientation(Qt::Vertical);
    buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    mainLayout->addWidget(buttonBox);

    retranslateUi();
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &SourceDataSelectorDialog::reject);
    QMetaObject::connectSlotsByName(this);
}

void SourceDataSelectorDialog::retranslateUi()
{
    setWindowTitle(tr("Select file type"));
    groupBox->setTitle(tr("Source file"));
    radioButton_DataFile->setText(tr("Data file"));
    radioButton_AuditFile->setText(tr("Audit file"));
    radioButton_DeepSwellFile->setText(tr("Dip and swell file"));
    radioButton_AlarFile->setText(tr("Alarm file"));
}

void SourceDataSelectorDialog::reject()
{
    // Escape and the title bar's close end here as well as Cancel: whatever
    // closes the dialog without OK must not let the open go on.
    selectedSourceTypeFile = SINGLE_KIND_FILE;
    QDialog::reject();
}

void SourceDataSelectorDialog::on_radioButton_DataFile_clicked() { selectedSourceTypeFile = ZelC_DATA_FILE; }
void SourceDataSelectorDialog::on_radioButton_AuditFile_clicked() { selectedSourceTypeFile = ZelC_AUDIT_FILE; }
void SourceDataSelectorDialog::on_radioButton_DeepSwellFile_clicked() { selectedSourceTypeFile = ZelC_DEEP_SWELL_FILE; }
void SourceDataSelectorDialog::on_radioButton_AlarFile_clicked() { selectedSourceTypeFile = ZelC_ALARM_FILE; }

void SourceDataSelectorDialog::on_buttonBox_clicked(QAbstractButton *button)
{
    // The box's accepted()/rejected() then close the dialog.
    if (button == buttonBox->button(QDialogButtonBox::Cancel))
        selectedSourceTypeFile = SINGLE_KIND_FILE;
}
