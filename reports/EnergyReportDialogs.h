#pragma once
#include <QDialog>
#include <QString>

namespace Ui {
class AddEnergyTariffDialog;
class EnergyReportExtraRowSelectDialog;
} // namespace Ui

// Asks for the name of a new energy tariff; the tariff store judges the name.
class AddEnergyTariffDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddEnergyTariffDialog(QWidget *parent = nullptr);
    ~AddEnergyTariffDialog() override;

    // Modal; true only when closed with Save.
    bool runDialog();
    QString tariffName() const;

private slots:
    void on_addTariffNameOkButton_clicked();
    void on_addTarifNameAbortButton_clicked();

private:
    Ui::AddEnergyTariffDialog *ui;
    bool accepted = false;
};

// Picks an extra result row of the energy report: row 0 is the sum, any other
// row a cost, which needs a price per energy unit.
class EnergyReportExtraRowSelectDialog : public QDialog
{
    Q_OBJECT
public:
    explicit EnergyReportExtraRowSelectDialog(QWidget *parent = nullptr);
    ~EnergyReportExtraRowSelectDialog() override;

    // Modal; true only when closed with Add and a usable price.
    bool runDialog();
    int selectedRow() const;
    // The price with a decimal comma taken as a point; 0 when it is no number.
    double value() const;
    bool isCostValid() const { return costValid; }

private slots:
    void on_addExtraRowComboBox_currentIndexChanged(int index);
    void on_addExtraRowButton_clicked();
    void on_addExtraRowAbortButton_clicked();

private:
    double readPrice(bool *ok) const;

    Ui::EnergyReportExtraRowSelectDialog *ui;
    bool costValid = true;
    bool accepted = false;
};
