#include "reports/ReportViewPage.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/ContentsWidth.h"
#include "common/Prompts.h"
#include "common/SaveFileName.h"
#include "common/Trace.h"
#include "export/PdfConverter.h"
#include "export/PdfConverterDialog.h"
#include "reports/AbstractReportModel.h"
#include "tables/ui/ColumnsToWidth.h"
#include "ui_ReportViewPage.h"

#include <QDateTime>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>

namespace {

const QString IconDir = QStringLiteral(":/newIcons/_resources/newIcons/");

AbstractReportModel *sessionReportModel()
{
    return g_framework ? g_framework->reportModel : nullptr;
}

MainWindow *mainWindow()
{
    return g_framework ? g_framework->mainWindow.data() : nullptr;
}

QIcon themedIcon(const QString &file)
{
    const QColor color(g_framework ? g_framework->additButtonColor1 : QStringLiteral("#0a0a0a"));
    return Framework::createColoredIcon(IconDir + file, color, QSize());
}

} // namespace

ReportViewPage::ReportViewPage(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ReportViewPage)
{
    ui->setupUi(this);
    TRACE() << "Function Name: " << "ReportViewPage::ReportViewPage(QWidget*)";
    setIcons(false);

    if (g_framework && !g_framework->configFilePath.isEmpty()) {
        tariffSettings = new QSettings(g_framework->configFilePath, QSettings::IniFormat, this);
        tariffSettings->beginGroup(QStringLiteral("energy_reports"));
        loadTariffs();
    }
    selectAll = true;
    ui->tabWidget->setCurrentIndex(0);
    on_tabWidget_tabBarClicked(0);
    fillParameterList(ui->basicReportParametersSelectionList);
    fillParameterList(ui->energyReportParametersSelectionList);
    fillParameterList(ui->normReportParametersSelectionList);
    basicAdjustMode = false;
    energyAdjustMode = false;

    // The defaults reach the model through the slots.
    ui->basicReportIntervalMinutes->setChecked(true);
    ui->basicReportMinutesVal->setValue(30);
    ui->basicReportTypeMin->setChecked(true);
    ui->basicNormInterruptions->setChecked(true);
    ui->basicNormAsynch->setChecked(true);

    if (MainWindow *window = mainWindow()) {
        connect(this, &ReportViewPage::dialogMessage, window, &MainWindow::showMsgBox);
        connect(this, &ReportViewPage::consoleMessage, window, &MainWindow::addConsoleMessage);
    }
    // Only the basic report is offered; the other tabs keep their widgets.
    ui->tabWidget->removeTab(2);
    ui->tabWidget->removeTab(1);
    // The form lets the report's frame shrink to 600 pixels and its buttons
    // below their texts: "Zaznacz wszystkie" was cut in Polish.
    for (QPushButton *button : {ui->checkAllParamButton, ui->uncheckAllParamButton})
        button->setMinimumWidth(button->sizeHint().width());
    ui->frame_3->setMinimumWidth(
        qMax(ui->frame_3->minimumWidth(), ui->frame_3->layout()->minimumSize().width()));
    keepContentsWidth(this);
}

ReportViewPage::~ReportViewPage()
{
    TRACE() << "ReportViewPage destroy";
    delete ui;
}

void ReportViewPage::fillParameterList(QListWidget *list)
{
    list->clear();
    if (!reportModel)
        return;
    for (const QString &name : reportModel->getParametersFullName()) {
        auto *item = new QListWidgetItem(name, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(Qt::Unchecked);
    }
}

void ReportViewPage::on_tabWidget_tabBarClicked(int index)
{
    TRACE() << "switching to tab index: " << index;
    if (index != 0)
        return; // the other tabs are not part of this page
    reportModel = sessionReportModel();
    if (!reportModel) {
        TRACE() << "Error: reportModel is NULL!";
        currentParamList = ui->basicReportParametersSelectionList;
        currentTable = ui->tableView;
        currentAdjustButton = ui->adjustBasicReportSizeButton;
        return;
    }
    currentParamList = ui->basicReportParametersSelectionList;
    currentTable = ui->tableView;
    currentAdjustButton = ui->adjustBasicReportSizeButton;
    TRACE() << "Using BOTH reportModel BASIC REPORT";
}

void ReportViewPage::on_basicReportIntervalMinutes_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setGroupingType(0);
}

void ReportViewPage::on_basicReportIntervalHourly_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setGroupingType(1);
}

void ReportViewPage::on_basicReportIntervalDaily_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setGroupingType(2);
}

void ReportViewPage::on_basicReportIntervalWeekly_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setGroupingType(3);
}

void ReportViewPage::on_basicReportTypeMin_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setAggregationType(0);
}

void ReportViewPage::on_basicReportTypeAvg_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setAggregationType(1);
}

void ReportViewPage::on_basicReportTypeMax_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setAggregationType(2);
}

void ReportViewPage::on_basicReportTypeInc_toggled(bool checked)
{
    if (checked && reportModel)
        reportModel->setAggregationType(3);
}

void ReportViewPage::on_basicReportMinutesVal_valueChanged(int value)
{
    if (reportModel)
        reportModel->setIntervalMinutes(qint16(value));
}

void ReportViewPage::setAllChecked(bool checked)
{
    if (!currentParamList)
        return;
    for (int i = 0; i < currentParamList->count(); ++i)
        currentParamList->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void ReportViewPage::on_checkAllParamButton_clicked()
{
    setAllChecked(true);
}

void ReportViewPage::on_uncheckAllParamButton_clicked()
{
    setAllChecked(false);
}

bool ReportViewPage::anyChecked() const
{
    if (!currentParamList)
        return false;
    for (int i = 0; i < currentParamList->count(); ++i)
        if (currentParamList->item(i)->checkState() != Qt::Unchecked)
            return true;
    return false;
}

bool ReportViewPage::generateBasicReport(bool noLimit, int queryType)
{
    if (!reportModel) {
        emit consoleMessage(tr("Data model unknown."), 3);
        return false;
    }
    if (!anyChecked()) {
        const QString text = tr("No parameters selected! Report can't be created.");
        emit consoleMessage(text, 2);
        emit dialogMessage(text, tr("Warning"), 2);
        return false;
    }

    reportModel->clearSelectedParams();
    int count = 0;
    for (int i = 0; i < currentParamList->count(); ++i) {
        QListWidgetItem *item = currentParamList->item(i);
        reportModel->setParamFullName(i, item->text());
        if (item->checkState() != Qt::Unchecked) {
            reportModel->appendReportParam(i);
            ++count;
        }
    }
    selectedParamCount = qint16(count);
    if (count > MaxReportParameters && !noLimit) {
        emit consoleMessage(QStringLiteral("Report parameters limit (20) reached."), 2);
        emit dialogMessage(tr("Report parameters limit (20) reached."), tr("Warning"), 2);
        return false;
    }

    currentTable->hide();
    reportModel->setReportOptions(ui->basicReportIntervalMinutes->isChecked(),
                                  ui->basicReportIntervalHourly->isChecked(),
                                  ui->basicReportIntervalDaily->isChecked(),
                                  ui->basicReportIntervalWeekly->isChecked(), ui->basicReportMinutesVal->value());
    reportModel->updateQuery(queryType);
    if (reportModel->rowCount(QModelIndex()) == 0)
        return false;

    currentTable->show();
    if (currentTable->model() != reportModel)
        currentTable->setModel(reportModel);
    currentTable->setSortingEnabled(false);
    currentTable->resizeColumnsToContents();
    return true;
}

void ReportViewPage::on_generateBasicReportButton_clicked()
{
    if (!generateBasicReport(false, 0))
        return;
    basicAdjustMode = false;
    ui->adjustBasicReportSizeButton->setEnabled(true);
    ui->exportBasicReportToPdfButton->setEnabled(true);
    currentTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    applyAdjustMode(basicAdjustMode);
}

void ReportViewPage::applyAdjustMode(bool adjust)
{
    if (!currentAdjustButton || !currentTable)
        return;
    // Stretched to the width, a wide report's columns were cut ("2016..."):
    // they share the width but keep their words.
    ColumnsToWidth *fit = currentTable->findChild<ColumnsToWidth *>();
    if (!fit)
        fit = new ColumnsToWidth(currentTable);
    if (adjust) {
        currentAdjustButton->setText(tr("Adjust to contents"));
        currentAdjustButton->setIcon(QIcon(IconDir + QStringLiteral("adjustToContents.svg")));
        fit->setEnabled(true);
    } else {
        currentAdjustButton->setText(tr("Adjust to width"));
        currentAdjustButton->setIcon(QIcon(IconDir + QStringLiteral("adjustToWidth.svg")));
        fit->setEnabled(false);
        currentTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }
    setIcons(false);
}

void ReportViewPage::on_adjustBasicReportSizeButton_clicked()
{
    basicAdjustMode = !basicAdjustMode;
    applyAdjustMode(basicAdjustMode);
}

void ReportViewPage::setIcons(bool regenerate)
{
    ui->checkAllParamButton->setIcon(themedIcon(QStringLiteral("checkAll.svg")));
    ui->uncheckAllParamButton->setIcon(themedIcon(QStringLiteral("uncheckAll.svg")));
    ui->generateBasicReportButton->setIcon(themedIcon(QStringLiteral("generateReport.svg")));
    ui->adjustBasicReportSizeButton->setIcon(
        themedIcon(basicAdjustMode ? QStringLiteral("adjustToContents.svg") : QStringLiteral("adjustToWidth.svg")));
    ui->exportBasicReportToPdfButton->setIcon(themedIcon(QStringLiteral("exportPDForCSV.svg")));
    // The window refreshes a page's icons on every page switch too; only a
    // palette made for other colours (a theme of the same lightness has rows
    // of its own) makes the report again.
    if (!regenerate || !reportModel || reportModel->paletteIsCurrent())
        return;
    reportModel->init();
    if (anyChecked())
        on_generateBasicReportButton_clicked();
}

void ReportViewPage::updateIcons()
{
    setIcons(true);
}

void ReportViewPage::on_exportBasicReportToPdfButton_clicked()
{
    if (!reportModel)
        return;
    const QString device = reportModel->getDeviceName();
    // The user's own clock, as in the file names they see elsewhere.
    const QString fileName =
        device + QStringLiteral("Report_") + QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd_HH.mm.ss"));
    const QString title = device + QLatin1Char(' ') + tr("Report");
    exportReportToPdf(fileName, title, 1);
}

void ReportViewPage::exportReportToPdf(const QString &fileName, const QString &title, int lastPlainColumn)
{
    PdfConverterDialog dialog(title, mainWindow());
    if (!dialog.runDialog())
        return;
    const bool colored = dialog.isParamColored();
    const QString reportTitle = dialog.reportTitle();
    const bool alternate = dialog.isRowAlternateColored();

    // The proposed name has no extension of its own: the file written gets
    // ".pdf", so the desktop knows what it is.
    QString chosenFilter;
    const QString typed = Prompts::instance().getSaveFileName(this, tr("Exporting as PDF"), fileName,
                                                              tr("PDF files (*.pdf)"), &chosenFilter);
    const QString path = SaveFileName::confirmed(mainWindow() ? static_cast<QWidget *>(mainWindow()) : this,
                                                 tr("Exporting as PDF"), typed, chosenFilter,
                                                 {QStringLiteral("pdf")}, QStringLiteral("pdf"));
    if (path.isEmpty())
        return;

    PdfConverter converter(path, reportTitle, reportModel->getReportStartTime(), reportModel->getReportEndTime(),
                           colored, alternate, lastPlainColumn, reportModel->getSelectedParamsId(), reportModel,
                           nullptr);
    if (MainWindow *window = mainWindow()) {
        connect(&converter, &PdfConverter::dialogMessage, window, &MainWindow::showMsgBox);
        connect(&converter, &PdfConverter::consoleMessage, window, &MainWindow::addConsoleMessage);
    }
    converter.startExport();
}
