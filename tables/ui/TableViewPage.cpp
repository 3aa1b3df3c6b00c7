#include "tables/ui/TableViewPage.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/ProgressDialog.h"
#include "common/Trace.h"
#include "tables/BrenaTableModel.h"
#include "tables/MyAbstractTableModel.h"
#include "ui_TableViewPage.h"

#include <QApplication>
#include <QHeaderView>

namespace {

const QString IconDir = QStringLiteral(":/newIcons/_resources/newIcons/");
const QString GroupIcon = QStringLiteral("groupByDate.svg");
const QString UngroupIcon = QStringLiteral("disableGrouping.svg");
const QString WidthIcon = QStringLiteral("adjustToWidth.svg");
const QString ContentsIcon = QStringLiteral("adjustToContents.svg");
const QString LoadAllIcon = QStringLiteral("loadAllData.svg");

MyAbstractTableModel *sessionModel()
{
    return g_framework ? g_framework->tableModel : nullptr;
}

} // namespace

TableViewPage::TableViewPage(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::TableViewPage)
{
    ui->setupUi(this);
    TRACE_FUNC();
    groupState = false;
    fitToWidth = false;

    MyAbstractTableModel *model = sessionModel();
    ui->tableView->setModel(model);
    ui->tableView->resizeColumnsToContents();
    ui->tableView->setSortingEnabled(false);
    // A model may reload after the click has returned (the threaded grouping
    // of the contract): the columns it then has get their visibility too.
    if (model)
        connect(model, &QAbstractItemModel::modelReset, this, &TableViewPage::updateColumnsVisibility);

    // The record file has no date grouping.
    if (g_framework && g_framework->sessionInfo.deviceType == Brena && qobject_cast<BrenaTableModel *>(model))
        ui->groupButton->setEnabled(false);

    updateColumnsVisibility();
    updateButtonsText();
}

TableViewPage::~TableViewPage()
{
    TRACE() << "TableViewPage destroy";
    delete ui;
}

void TableViewPage::updateColumnsVisibility()
{
    MyAbstractTableModel *model = sessionModel();
    if (!model)
        return;
    const QList<bool> visible = model->getColumnsVisibilityList();
    const int columns = ui->tableView->model() ? ui->tableView->model()->columnCount() : 0;
    for (int i = 0; i < visible.size(); ++i) {
        if (i >= columns) {
            TRACE() << "Column visibility entry past the last column:" << i << "of" << columns;
            continue;
        }
        ui->tableView->setColumnHidden(i, !visible.at(i));
    }
}

void TableViewPage::updateButtonsText()
{
    const QString blanks = QStringLiteral("  ");
    ui->groupButton->setText(blanks + (groupState ? tr("Disable grouping") : tr("Group by date")));
    ui->groupButton->setIcon(QIcon(IconDir + (groupState ? UngroupIcon : GroupIcon)));
    ui->adjustToWidth->setText(blanks + (fitToWidth ? tr("Adjust to contents") : tr("Adjust to width")));
    ui->adjustToWidth->setIcon(QIcon(IconDir + (fitToWidth ? ContentsIcon : WidthIcon)));
    updateIcons();
}

void TableViewPage::updateIcons()
{
    const QColor color(g_framework ? g_framework->additButtonColor1 : QStringLiteral("#ffffff"));
    ui->groupButton->setIcon(
        Framework::createColoredIcon(IconDir + (groupState ? UngroupIcon : GroupIcon), color, QSize()));
    ui->adjustToWidth->setIcon(
        Framework::createColoredIcon(IconDir + (fitToWidth ? ContentsIcon : WidthIcon), color, QSize()));
    ui->loadAllData->setIcon(Framework::createColoredIcon(IconDir + LoadAllIcon, color, QSize()));
}

void TableViewPage::resizeColumnsToContentsOnce()
{
    // Stretched sections ignore a resize: hand them back to the user first.
    QHeaderView *header = ui->tableView->horizontalHeader();
    if (header->count() > 0 && header->sectionResizeMode(0) == QHeaderView::Stretch)
        header->setSectionResizeMode(QHeaderView::Interactive);
    ui->tableView->resizeColumnsToContents();
}

void TableViewPage::on_groupButton_clicked()
{
    groupState = !groupState;
    updateButtonsText();
    if (MyAbstractTableModel *model = sessionModel())
        model->setGroupByDate(groupState);
    updateColumnsVisibility();
    if (fitToWidth)
        ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    else
        resizeColumnsToContentsOnce();
}

void TableViewPage::on_adjustToWidth_clicked()
{
    fitToWidth = !fitToWidth;
    if (fitToWidth) {
        ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    } else {
        ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        ui->tableView->resizeColumnsToContents();
    }
    updateButtonsText();
    QCoreApplication::processEvents();
}

void TableViewPage::on_loadAllData_clicked()
{
    QWidget *parent = g_framework && g_framework->mainWindow ? static_cast<QWidget *>(g_framework->mainWindow.data())
                                                             : window();
    ProgressDialog progress(0, tr("Loading..."), parent, false);
    progress.show();
    if (MyAbstractTableModel *model = sessionModel())
        model->setLoadAllData(true);
    updateColumnsVisibility();
    ui->tableView->horizontalHeader()->setSectionResizeMode(fitToWidth ? QHeaderView::Stretch
                                                                       : QHeaderView::ResizeToContents);
    progress.close();
}
