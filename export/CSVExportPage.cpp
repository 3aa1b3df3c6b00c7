#include "export/CSVExportPage.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "common/Trace.h"
#include "export/CsvConverter.h"
#include "tables/MyAbstractTableModel.h"
#include "ui_CSVExportPage.h"

#include <QDateTime>
#include <QLayout>
#include <QLocale>
#include <QSettings>
#include <QStyledItemDelegate>
#include <memory>

namespace {

const QString GenerateIcon = QStringLiteral(":/newIcons/_resources/newIcons/exportPDForCSV.svg");
const QString DefaultExportName = QStringLiteral("export.csv");

// Sets a list's index from the settings when the key is there and the index
// names an entry; a hand-edited index outside the list is ignored.
void restoreIndex(QSettings *settings, const QString &key, QComboBox *list)
{
    if (!settings->contains(key))
        return;
    bool ok = false;
    const int index = settings->value(key).toInt(&ok);
    if (!ok || index < 0 || index >= list->count()) {
        TRACE() << "Ignored stored index" << key << settings->value(key);
        return;
    }
    list->setCurrentIndex(index);
}

} // namespace

CSVExportPage::CSVExportPage(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::CSVExportPage)
{
    ui->setupUi(this);
    TRACE_FUNC();
    // The form places its controls at a fixed spot of the frame, outside any
    // layout: the page keeps the height they take, or they are cut at the
    // bottom of a short window.
    const QMargins margins = layout()->contentsMargins();
    setMinimumHeight(margins.top() + ui->gridLayoutWidget->geometry().bottom() + 1 + ui->frame->frameWidth()
                     + margins.bottom());
    settings = new QSettings(g_framework ? g_framework->configFilePath : QString(), QSettings::IniFormat, this);
    settings->beginGroup(QStringLiteral("csv"));
    fillCombos();
    if (isMoxBSession()) {
        ui->groupByDateCheckbox->setChecked(false);
        ui->groupByDateCheckbox->setEnabled(false);
        ui->incorectValuesHandl->setEnabled(false);
        ui->incorectValuesHandl->setCurrentIndex(0);
    }
}

CSVExportPage::~CSVExportPage()
{
    delete ui;
}

bool CSVExportPage::isMoxBSession() const
{
    return g_framework && g_framework->getSessionInfo().deviceType == MoxB;
}

void CSVExportPage::fillCombos()
{
    // One moment for every example, so the lists agree with each other.
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale c = QLocale::c();
    dateFormats = QStringList{QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyy.MM.dd"), QStringLiteral("dd-MM-yyyy"),
                              QStringLiteral("dd.MM.yyyy"), QStringLiteral("dd-MM-yy"),   QStringLiteral("dd.MM.yy"),
                              QStringLiteral("MM/dd/yyyy"), QStringLiteral("MM/dd/yy")};
    timeFormats = QStringList{QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm:ss.zzz"), QStringLiteral("h:m:s ap")};
    for (const QString &pattern : qAsConst(dateFormats))
        ui->dateFormat->addItem(c.toString(now, pattern) + QStringLiteral("\t [") + pattern + QLatin1Char(']'));
    // The list a combo box opens draws the text after a tab at its right
    // edge, where the patterns were cut off; this delegate keeps them beside
    // their examples.
    ui->dateFormat->setItemDelegate(new QStyledItemDelegate(ui->dateFormat));
    for (const QString &pattern : qAsConst(timeFormats))
        ui->timeFormat->addItem(c.toString(now.time(), pattern));

    ui->dateTimeSepar->addItems({tr("Space"), QStringLiteral("T"), tr("Separate columns")});
    ui->colSeparator->addItems({QStringLiteral("tab"), QStringLiteral(","), QStringLiteral(";")});
    ui->decimalPoint->addItems({QStringLiteral(","), QStringLiteral(".")});
    ui->decimalPlaces->addItems({QStringLiteral("auto"), QStringLiteral("0.0"), QStringLiteral("0.00"),
                                 QStringLiteral("0.000"), QStringLiteral("0.0000"), QStringLiteral("0.00000")});
    ui->incorectValuesHandl->addItems({tr("Leave unchanged"), tr("Empty field"), tr("Custom string")});
    connect(ui->incorectValuesHandl, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CSVExportPage::onErrorHandlingListChange);
    loadSettings();
}

void CSVExportPage::loadSettings()
{
    restoreIndex(settings, QStringLiteral("dateFormat"), ui->dateFormat);
    restoreIndex(settings, QStringLiteral("timeFormat"), ui->timeFormat);
    restoreIndex(settings, QStringLiteral("dateTimeSepar"), ui->dateTimeSepar);
    restoreIndex(settings, QStringLiteral("colSeparator"), ui->colSeparator);
    restoreIndex(settings, QStringLiteral("decimalPoint"), ui->decimalPoint);
    restoreIndex(settings, QStringLiteral("decimalPlaces"), ui->decimalPlaces);
    if (!isMoxBSession() && settings->contains(QStringLiteral("groupByDateCheckbox"))) {
        const bool group = settings->value(QStringLiteral("groupByDateCheckbox")).toBool();
        ui->groupByDateCheckbox->setChecked(group);
        // The rule applies even when the state did not change.
        on_groupByDateCheckbox_toggled(group);
    }
    restoreIndex(settings, QStringLiteral("incorectValuesHandl"), ui->incorectValuesHandl);
    if (settings->contains(QStringLiteral("errorValCustomStr")))
        ui->errorValCustomStr->setText(settings->value(QStringLiteral("errorValCustomStr")).toString());
    if (settings->contains(QStringLiteral("limitRecNumCheckbox")))
        ui->limitRecNumCheckbox->setChecked(settings->value(QStringLiteral("limitRecNumCheckbox")).toBool());
    if (settings->contains(QStringLiteral("maxRecNumbPerFile"))) {
        const uint stored = settings->value(QStringLiteral("maxRecNumbPerFile")).toUInt();
        ui->maxRecNumbPerFile->setValue(int(qMin<uint>(stored, uint(ui->maxRecNumbPerFile->maximum()))));
    }
}

void CSVExportPage::onErrorHandlingListChange(int selectedIdx)
{
    ui->errorValCustomStr->setEnabled(selectedIdx == 2);
}

void CSVExportPage::on_limitRecNumCheckbox_toggled(bool checked)
{
    ui->maxRecNumbPerFile->setEnabled(checked);
}

void CSVExportPage::on_groupByDateCheckbox_toggled(bool checked)
{
    TRACE() << "Group by date toggled";
    if (checked) {
        ui->incorectValuesHandl->setEnabled(true);
    } else {
        ui->incorectValuesHandl->setCurrentIndex(0);
        ui->incorectValuesHandl->setEnabled(false);
    }
}

bool CSVExportPage::saveSettings(CsvExportSettings *record)
{
    const int dateIdx = qMax(0, ui->dateFormat->currentIndex());
    record->dateFormat = dateFormats.value(dateIdx);
    settings->setValue(QStringLiteral("dateFormat"), dateIdx);

    const int timeIdx = qMax(0, ui->timeFormat->currentIndex());
    record->timeFormat = timeFormats.value(timeIdx);
    settings->setValue(QStringLiteral("timeFormat"), timeIdx);

    const int sepIdx = ui->dateTimeSepar->currentIndex();
    if (sepIdx == 0)
        record->dateTimeSeparator = ' ';
    else if (sepIdx == 1)
        record->dateTimeSeparator = 'T';
    else if (sepIdx == 2)
        record->separateDateTimeColumns = true;
    settings->setValue(QStringLiteral("dateTimeSepar"), sepIdx);

    const int colIdx = ui->colSeparator->currentIndex();
    record->columnSeparator = colIdx == 0 ? '\t' : ui->colSeparator->currentText().at(0).toLatin1();
    settings->setValue(QStringLiteral("colSeparator"), colIdx);

    record->decimalPoint = ui->decimalPoint->currentText().at(0).toLatin1();
    settings->setValue(QStringLiteral("decimalPoint"), ui->decimalPoint->currentIndex());

    if (record->columnSeparator == record->decimalPoint) {
        Prompts::instance().message(nullptr, QMessageBox::Information, tr("Warning"),
                                    tr("The same column separator and decimal point."));
        return false;
    }

    record->decimalPlaces = qint16(ui->decimalPlaces->currentIndex());
    settings->setValue(QStringLiteral("decimalPlaces"), ui->decimalPlaces->currentIndex());

    record->groupByDate = isMoxBSession() ? false : ui->groupByDateCheckbox->isChecked();
    settings->setValue(QStringLiteral("groupByDateCheckbox"), ui->groupByDateCheckbox->isChecked());

    record->incorrectValuesHandling = ui->incorectValuesHandl->currentIndex();
    if (record->incorrectValuesHandling == 2)
        record->errorValueCustomString = ui->errorValCustomStr->text();
    settings->setValue(QStringLiteral("incorectValuesHandl"), ui->incorectValuesHandl->currentIndex());
    settings->setValue(QStringLiteral("errorValCustomStr"), ui->errorValCustomStr->text());

    record->limitRecordsPerFile = ui->limitRecNumCheckbox->isChecked();
    if (record->limitRecordsPerFile)
        record->maxRecordsPerFile = ui->maxRecNumbPerFile->value();
    settings->setValue(QStringLiteral("limitRecNumCheckbox"), ui->limitRecNumCheckbox->isChecked());
    settings->setValue(QStringLiteral("maxRecNumbPerFile"), ui->maxRecNumbPerFile->value());
    return true;
}

void CSVExportPage::on_generateButton_clicked()
{
    CsvExportSettings record;
    if (!saveSettings(&record))
        return;

    const QString start = settings->contains(QStringLiteral("lastExportFileName"))
                              ? settings->value(QStringLiteral("lastExportFileName")).toString()
                              : DefaultExportName;
    const QString chosen =
        Prompts::instance().getSaveFileName(this, tr("Save File"), start, QStringLiteral("CSV (*.csv)"));
    if (chosen.isEmpty())
        return;

    // The copy serves this one export only.
    std::unique_ptr<MyAbstractTableModel> copy(g_framework ? g_framework->cloneTableModel() : nullptr);
    if (!copy) {
        Prompts::instance().message(this, QMessageBox::Warning, tr("Warning"),
                                    tr("The session has no table to export."));
        return;
    }

    CsvConverter converter(chosen, record, copy.get(), nullptr);
    MainWindow *window = g_framework ? g_framework->mainWindow.data() : nullptr;
    if (window) {
        connect(&converter, &CsvConverter::dialogMessage, window, &MainWindow::showMsgBox);
        connect(&converter, &CsvConverter::consoleMessage, window, &MainWindow::addConsoleMessage);
        // The copy's own reports (a refused statement) reach the console too.
        connect(copy.get(), &MyAbstractTableModel::consoleMessage, window, &MainWindow::addConsoleMessage);
    }
    settings->setValue(QStringLiteral("lastExportFileName"), chosen);

    if (converter.convert())
        TRACE() << "Converting went ok";
    else
        TRACE() << "An error occurred while converting.";
}

void CSVExportPage::refreshIcons()
{
    if (!g_framework)
        return;
    const QColor color(g_framework->additButtonColor1);
    ui->generateButton->setIcon(Framework::createColoredIcon(GenerateIcon, color, QSize(0, 0)));
}
