#include "acquisition/FiltersCfgSelectDialog.h"

#include "app/Framework.h"
#include "common/Trace.h"

#include <QBrush>
#include <QColor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableWidget>

namespace {
const char *const kGroup = "dataFilters";
}

FiltersCfgSelectDialog::FiltersCfgSelectDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::FiltersCfgSelectDialog), loadMode(true)
{
    TRACE_FUNC();
    initDialog();
}

FiltersCfgSelectDialog::FiltersCfgSelectDialog(QByteArray cfg, QWidget *parent)
    : QDialog(parent), ui(new Ui::FiltersCfgSelectDialog), loadMode(false), cfgBlob(cfg)
{
    initDialog();
}

FiltersCfgSelectDialog::~FiltersCfgSelectDialog()
{
    delete ui;
}

QString FiltersCfgSelectDialog::settingsPath() const
{
    return g_framework ? g_framework->configFilePath : QString();
}

void FiltersCfgSelectDialog::initDialog()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("FiltersCfgSelectDialog"));
    resize(517, 376);
    ui->gridLayout = new QGridLayout(this);
    ui->gridLayout->setObjectName(QStringLiteral("gridLayout"));
    ui->tableWidget = new QTableWidget(this);
    ui->tableWidget->setObjectName(QStringLiteral("tableWidget"));
    ui->tableWidget->setColumnCount(1);
    ui->tableWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->gridLayout->addWidget(ui->tableWidget, 0, 0, 1, 1);
    ui->buttonBox = new QDialogButtonBox(this);
    ui->buttonBox->setObjectName(QStringLiteral("buttonBox"));
    ui->buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Save | QDialogButtonBox::Close);
    ui->gridLayout->addWidget(ui->buttonBox, 1, 0, 1, 1);

    setWindowTitle(tr("Select configuration"));
    ui->tableWidget->setHorizontalHeaderItem(0, new QTableWidgetItem(tr("Configuration name")));
    QMetaObject::connectSlotsByName(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    currentRow = 0;
    ui->tableWidget->clearContents();
    ui->tableWidget->setRowCount(SlotCount);
    ui->tableWidget->horizontalHeader()->setStretchLastSection(true);

    QSettings settings(settingsPath(), QSettings::IniFormat, this);
    settings.beginGroup(QLatin1String(kGroup));
    for (int n = 1; n <= SlotCount; ++n) {
        const QString name =
            settings.value(QStringLiteral("dataFiltersCfgName_") + QString::number(n), QStringLiteral("---")).toString();
        const QByteArray blob = settings.value(QStringLiteral("dataFiltersCfg_") + QString::number(n)).toByteArray();
        QTableWidgetItem *item = new QTableWidgetItem(name);
        slotUsed[n - 1] = !blob.isEmpty();
        if (blob.isEmpty())
            item->setForeground(QBrush(QColor(QStringLiteral("#c5c5c5"))));
        slotBlobs.append(blob);
        ui->tableWidget->setItem(n - 1, 0, item);
    }
    settings.endGroup();

    // However small the window is made, the column title stays whole.
    QTableWidget *table = ui->tableWidget;
    table->setMinimumWidth(table->verticalHeader()->sizeHint().width()
                           + table->horizontalHeader()->sectionSizeHint(0)
                           + table->verticalScrollBar()->sizeHint().width() + 2 * table->frameWidth());

    if (loadMode) {
        ui->tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
        ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
        ui->buttonBox->button(QDialogButtonBox::Save)->hide();
    } else {
        ui->buttonBox->button(QDialogButtonBox::Save)->setEnabled(false);
        ui->buttonBox->button(QDialogButtonBox::Ok)->hide();
    }
}

void FiltersCfgSelectDialog::on_tableWidget_currentCellChanged(int row, int, int, int)
{
    if (loadMode)
        ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(isSlotUsed(row));
    else
        ui->buttonBox->button(QDialogButtonBox::Save)->setEnabled(row >= 0 && row < SlotCount);
    currentRow = row;
}

void FiltersCfgSelectDialog::on_buttonBox_accepted()
{
    if (loadMode) {
        if (!isSlotUsed(currentRow))
            return;
        accept();
        return;
    }
    if (currentRow < 0 || currentRow >= SlotCount)
        return;
    // The name is the current row's own cell: a current cell need not be
    // selected, and a slot is always the current row.
    QString name = QStringLiteral("---");
    if (QTableWidgetItem *item = ui->tableWidget->item(currentRow, 0))
        name = item->text();
    {
        QSettings settings(settingsPath(), QSettings::IniFormat, this);
        settings.beginGroup(QLatin1String(kGroup));
        settings.setValue(QStringLiteral("dataFiltersCfgName_") + QString::number(currentRow + 1), name);
        settings.setValue(QStringLiteral("dataFiltersCfg_") + QString::number(currentRow + 1), cfgBlob);
        settings.endGroup();
    }
    accept();
}

void FiltersCfgSelectDialog::on_buttonBox_rejected()
{
    reject();
}
