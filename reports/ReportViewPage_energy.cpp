// The energy report and EN 50160 tabs of the report page: the tariff store in
// "cfg.ini" and the slots of both tabs, which the page builds but does not show.
#include "reports/ReportViewPage.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Trace.h"
#include "reports/EnergyReportDialogs.h"
#include "ui_ReportViewPage.h"

#include <QSettings>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

const QString KeyNames = QStringLiteral("tariffsNames");
const QString KeySummerPeaks = QStringLiteral("summerPeaks");
const QString KeySummerPeriods = QStringLiteral("summerPeriods");
const QString KeyWinterPeaks = QStringLiteral("winterPeaks");
const QString KeyWinterPeriods = QStringLiteral("winterPeriods");
const QString PeriodFormat = QStringLiteral("dd.MM");

QWidget *mainWindowWidget()
{
    return g_framework ? g_framework->mainWindow.data() : nullptr;
}

QString periodText(const QDateTimeEdit *begin, const QDateTimeEdit *end)
{
    return begin->date().toString(PeriodFormat) + QLatin1Char('-') + end->date().toString(PeriodFormat);
}

// The edits carry the year 2000, which also makes 29 February a valid day.
void showPeriod(const QString &period, QDateTimeEdit *begin, QDateTimeEdit *end)
{
    const QStringList halves = period.split(QLatin1Char('-'));
    if (halves.size() != 2)
        return;
    const QString format = PeriodFormat + QStringLiteral(".yyyy");
    const QDate from = QDate::fromString(halves.at(0).trimmed() + QStringLiteral(".2000"), format);
    const QDate to = QDate::fromString(halves.at(1).trimmed() + QStringLiteral(".2000"), format);
    if (from.isValid())
        begin->setDate(from);
    if (to.isValid())
        end->setDate(to);
}

// A list is stored as the settings file's own list value, so that names with
// commas or quotes come back whole; a lone entry reads back as plain text.
QStringList readList(const QSettings &settings, const QString &key)
{
    const QVariant value = settings.value(key);
    if (value.type() == QVariant::StringList)
        return value.toStringList();
    const QString text = value.toString();
    return text.isEmpty() ? QStringList() : QStringList{text};
}

} // namespace

void ReportViewPage::writeTariffList(const QString &key, const QStringList &list)
{
    if (!tariffSettings)
        return;
    if (list.isEmpty())
        tariffSettings->setValue(key, QString(""));
    else
        tariffSettings->setValue(key, list);
}

void ReportViewPage::loadTariffs()
{
    if (!tariffSettings)
        return;
    if (tariffSettings->childKeys().isEmpty()) {
        emit consoleMessage(tr("No tariffs found in cfg file!"), 2);
        return;
    }
    QStringList names = readList(*tariffSettings, KeyNames);
    QStringList sPeaks = readList(*tariffSettings, KeySummerPeaks);
    QStringList sPeriods = readList(*tariffSettings, KeySummerPeriods);
    QStringList wPeaks = readList(*tariffSettings, KeyWinterPeaks);
    QStringList wPeriods = readList(*tariffSettings, KeyWinterPeriods);

    // A tariff needs all five entries; a damaged file loses only its tail.
    const int count = std::min({names.size(), sPeaks.size(), sPeriods.size(), wPeaks.size(), wPeriods.size()});
    if (count != names.size())
        TRACE() << "Incomplete tariffs in cfg file, kept" << count << "of" << names.size();

    // Sorted by name, with every list following, so that index i stays tariff i.
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&names](int a, int b) { return names.at(a) < names.at(b); });
    tariffsNames.clear();
    summerPeaks.clear();
    summerPeriods.clear();
    winterPeaks.clear();
    winterPeriods.clear();
    for (int i : order) {
        tariffsNames << names.at(i);
        summerPeaks << sPeaks.at(i);
        summerPeriods << sPeriods.at(i);
        winterPeaks << wPeaks.at(i);
        winterPeriods << wPeriods.at(i);
    }

    {
        const QSignalBlocker blocker(ui->tariffsComboBox);
        ui->tariffsComboBox->clear();
        ui->tariffsComboBox->addItems(tariffsNames);
        ui->tariffsComboBox->setCurrentIndex(tariffsNames.isEmpty() ? -1 : 0);
    }
    on_tariffsComboBox_currentIndexChanged(ui->tariffsComboBox->currentIndex());
}

void ReportViewPage::updateTariffs(const QString &name, TariffUpdate mode)
{
    const int index = tariffsNames.indexOf(name);
    if (mode == TariffUpdate::Add && index >= 0) {
        const QString text = tr("Tariff name duplicated!");
        emit consoleMessage(text, 3);
        emit dialogMessage(text, tr("Error"), 3);
        return;
    }

    if (mode == TariffUpdate::Add) {
        tariffsNames << name;
        summerPeaks << ui->summerTariffPeaksLine->text();
        summerPeriods << periodText(ui->summerTariffPeriodBeginningEdit, ui->summerTariffPeriodEndEdit);
        winterPeaks << ui->winterTariffPeaksLine->text();
        winterPeriods << periodText(ui->winterTariffPeriodBeginningEdit, ui->winterTariffPeriodEndEdit);
        const QSignalBlocker blocker(ui->tariffsComboBox);
        ui->tariffsComboBox->addItem(name);
    } else if (index >= 0) {
        // Every list loses the entry before the combo box names its new
        // current tariff, so the controls show that tariff and not the removed one.
        tariffsNames.removeAt(index);
        summerPeaks.removeAt(index);
        summerPeriods.removeAt(index);
        winterPeaks.removeAt(index);
        winterPeriods.removeAt(index);
        ui->tariffsComboBox->removeItem(index);
    }

    writeTariffList(KeyNames, tariffsNames);
    writeTariffList(KeySummerPeaks, summerPeaks);
    writeTariffList(KeySummerPeriods, summerPeriods);
    writeTariffList(KeyWinterPeaks, winterPeaks);
    writeTariffList(KeyWinterPeriods, winterPeriods);
    if (tariffSettings)
        tariffSettings->sync();

    if (mode == TariffUpdate::Add) {
        const int last = ui->tariffsComboBox->count() - 1;
        if (ui->tariffsComboBox->currentIndex() == last)
            on_tariffsComboBox_currentIndexChanged(last);
        else
            ui->tariffsComboBox->setCurrentIndex(last);
    }
    TRACE() << "Tariffs updated!";
}

void ReportViewPage::on_tariffsComboBox_currentIndexChanged(int index)
{
    if (ui->tariffsComboBox->count() == 0 || index < 0) {
        ui->summerTariffPeaksLine->clear();
        ui->winterTariffPeaksLine->clear();
        ui->tariffsComboBox->setEnabled(false);
        return;
    }
    ui->tariffsComboBox->setEnabled(true);
    if (index < summerPeaks.size())
        ui->summerTariffPeaksLine->setText(summerPeaks.at(index));
    if (index < winterPeaks.size())
        ui->winterTariffPeaksLine->setText(winterPeaks.at(index));
    if (index < summerPeriods.size())
        showPeriod(summerPeriods.at(index), ui->summerTariffPeriodBeginningEdit, ui->summerTariffPeriodEndEdit);
    if (index < winterPeriods.size())
        showPeriod(winterPeriods.at(index), ui->winterTariffPeriodBeginningEdit, ui->winterTariffPeriodEndEdit);
}

void ReportViewPage::on_addTariffButton_clicked()
{
    if (ui->summerTariffPeaksLine->text().isEmpty() || ui->winterTariffPeaksLine->text().isEmpty()) {
        emit dialogMessage(tr("Empty tariffs peaks!"), tr("Error"), 3);
        return;
    }
    auto *dialog = new AddEnergyTariffDialog(mainWindowWidget());
    const bool accepted = dialog->runDialog();
    const QString name = dialog->tariffName();
    dialog->deleteLater();
    if (!accepted)
        return;
    // A nameless tariff could not be told apart in the list.
    if (name.trimmed().isEmpty()) {
        const QString text = tr("Empty tariff name!");
        emit consoleMessage(text, 3);
        emit dialogMessage(text, tr("Error"), 3);
        return;
    }
    updateTariffs(name, TariffUpdate::Add);
}

void ReportViewPage::on_removeTariffButton_clicked()
{
    updateTariffs(ui->tariffsComboBox->currentText(), TariffUpdate::Remove);
}

// The seasons stay back to back; an unchanged date emits nothing, which ends
// the chain between the four edits.
void ReportViewPage::on_summerTariffPeriodBeginningEdit_dateChanged(const QDate &date)
{
    ui->winterTariffPeriodEndEdit->setDate(date.addDays(-1));
}

void ReportViewPage::on_summerTariffPeriodEndEdit_dateChanged(const QDate &date)
{
    ui->winterTariffPeriodBeginningEdit->setDate(date.addDays(1));
}

void ReportViewPage::on_winterTariffPeriodBeginningEdit_dateChanged(const QDate &date)
{
    ui->summerTariffPeriodEndEdit->setDate(date.addDays(-1));
}

void ReportViewPage::on_winterTariffPeriodEndEdit_dateChanged(const QDate &date)
{
    ui->summerTariffPeriodBeginningEdit->setDate(date.addDays(1));
}

void ReportViewPage::on_addVirtualRowButton_clicked()
{
    auto *dialog = new EnergyReportExtraRowSelectDialog(mainWindowWidget());
    const bool accepted = dialog->runDialog();
    const bool costValid = dialog->isCostValid();
    dialog->deleteLater();
    if (accepted) {
        // There is no energy report to take the row yet.
        const QString text = tr("No data! Please generate energy report first!");
        emit consoleMessage(text, 3);
        emit dialogMessage(text, tr("Error"), 3);
    }
    if (!costValid) {
        const QString text = tr("Price for energy unit parameter error!");
        emit consoleMessage(text, 3);
        emit dialogMessage(text, tr("Error"), 3);
    }
}

void ReportViewPage::on_adjustEnergyReportSizeButton_clicked()
{
    energyAdjustMode = !energyAdjustMode;
    applyAdjustMode(energyAdjustMode);
}

void ReportViewPage::on_generateEnergyReportButton_clicked()
{
    TRACE() << "Generuj dla energii";
}

void ReportViewPage::on_resetEnergyReportSelectionButton_clicked() {}

void ReportViewPage::on_toggleEnergyReportSelectionButton_clicked() {}

void ReportViewPage::on_exportEnergyReportToPdfButton_clicked() {}

void ReportViewPage::on_removeRowButton_clicked() {}

void ReportViewPage::on_checkAllParamButton50160_clicked()
{
    setAllChecked(true);
}

void ReportViewPage::on_uncheckAllParamButton50160_clicked()
{
    setAllChecked(false);
}

void ReportViewPage::on_generate50160ReportButton_clicked()
{
    TRACE() << "Generuj dla 50160";
}

void ReportViewPage::on_exportNormReportToPdfButton_clicked() {}

void ReportViewPage::on_startDateTime50160_dateTimeChanged(const QDateTime &dateTime)
{
    ui->endDateTime50160->setMinimumDateTime(dateTime);
}

void ReportViewPage::on_endDateTime50160_dateTimeChanged(const QDateTime &dateTime)
{
    ui->startDateTime50160->setMaximumDateTime(dateTime);
}
