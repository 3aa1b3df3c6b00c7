#include "reports/EnergyReportDialogs.h"

#include "common/Prompts.h"
#include "ui_AddEnergyTariffDialog.h"
#include "ui_EnergyReportExtraRowSelectDialog.h"

#include <QtNumeric>

namespace {

void setFixedDialogFlags(QDialog *dialog)
{
    dialog->setWindowFlags((dialog->windowFlags() | Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) &
                           ~Qt::WindowContextHelpButtonHint);
}

} // namespace

AddEnergyTariffDialog::AddEnergyTariffDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::AddEnergyTariffDialog)
{
    ui->setupUi(this);
    setFixedDialogFlags(this);
}

AddEnergyTariffDialog::~AddEnergyTariffDialog()
{
    delete ui;
}

bool AddEnergyTariffDialog::runDialog()
{
    Prompts::instance().exec(this);
    return accepted;
}

QString AddEnergyTariffDialog::tariffName() const
{
    return ui->tariffNameText->text();
}

void AddEnergyTariffDialog::on_addTariffNameOkButton_clicked()
{
    accepted = true;
    close();
}

void AddEnergyTariffDialog::on_addTarifNameAbortButton_clicked()
{
    close();
}

EnergyReportExtraRowSelectDialog::EnergyReportExtraRowSelectDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::EnergyReportExtraRowSelectDialog)
{
    ui->setupUi(this);
    setFixedDialogFlags(this);
    ui->addExtraRowLine->setEnabled(false);
}

EnergyReportExtraRowSelectDialog::~EnergyReportExtraRowSelectDialog()
{
    delete ui;
}

bool EnergyReportExtraRowSelectDialog::runDialog()
{
    Prompts::instance().exec(this);
    return accepted;
}

int EnergyReportExtraRowSelectDialog::selectedRow() const
{
    return ui->addExtraRowComboBox->currentIndex();
}

double EnergyReportExtraRowSelectDialog::readPrice(bool *ok) const
{
    QString text = ui->addExtraRowLine->text();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text.toDouble(ok);
}

double EnergyReportExtraRowSelectDialog::value() const
{
    bool ok = false;
    const double price = readPrice(&ok);
    return ok && qIsFinite(price) ? price : 0.0;
}

void EnergyReportExtraRowSelectDialog::on_addExtraRowComboBox_currentIndexChanged(int index)
{
    ui->addExtraRowLine->setEnabled(index != 0);
}

void EnergyReportExtraRowSelectDialog::on_addExtraRowButton_clicked()
{
    if (ui->addExtraRowComboBox->currentIndex() == 0) {
        accepted = true;
        close();
        return;
    }
    bool ok = false;
    const double price = readPrice(&ok);
    // NaN and infinity are no price either.
    if (ok && qIsFinite(price) && price >= 0.0) {
        costValid = true;
        accepted = true;
    } else {
        costValid = false;
    }
    close();
}

void EnergyReportExtraRowSelectDialog::on_addExtraRowAbortButton_clicked()
{
    close();
}
