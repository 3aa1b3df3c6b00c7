// The device list page: construction, the device tree, selection, the period
// and database info, the context menu and the theme refresh.
#include "acquisition/DataFilterPage.h"

#include "acquisition/HTMLDelegate.h"
#include "app/AvailableDevices.h"
#include "app/Framework.h"
#include "common/Connections.h"
#include "common/ContentsWidth.h"
#include "common/GuiCall.h"
#include "common/QueryInterrupt.h"
#include "common/Trace.h"
#include "ui_DataFilterPage.h"

#include <QCalendarWidget>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextCharFormat>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>

namespace {

const QString kIconDir = QStringLiteral(":/newIcons/_resources/newIcons/");

QString colour(int n)
{
    static const char *const defaults[] = {"#ffffff", "#212121", "#494949", "#bd0000", "#1c1c1c",
                                           "#ff6666", "#cccccc", "#3636da", "#ff7911", "#d10d0d"};
    if (!g_framework)
        return QLatin1String(defaults[n - 1]);
    const QString *fields[] = {&g_framework->additButtonColor1, &g_framework->additButtonColor2,
                               &g_framework->additButtonColor3, &g_framework->additButtonColor4,
                               &g_framework->additButtonColor5, &g_framework->additButtonColor6,
                               &g_framework->additButtonColor7, &g_framework->additButtonColor8,
                               &g_framework->additButtonColor9, &g_framework->additButtonColor10};
    return *fields[n - 1];
}

QString styleAttr(const QString &name)
{
    return QStringLiteral(" style=\"color: ") + name + QStringLiteral(";\"");
}

// A text from the database as the tree's markup shows it: as written, its
// markup characters and runs of blanks kept.
QString asWritten(const QString &text)
{
    const QString escaped = text.toHtmlEscaped();
    QString out;
    out.reserve(escaped.size());
    for (int i = 0; i < escaped.size(); ++i) {
        const bool collapses = i == 0 || i == escaped.size() - 1 || escaped.at(i - 1) == QLatin1Char(' ');
        if (escaped.at(i) == QLatin1Char(' ') && collapses)
            out += QLatin1String("&nbsp;");
        else
            out += escaped.at(i);
    }
    return out;
}

QStandardItem *newRow(const QString &text, int id)
{
    QStandardItem *item = new QStandardItem(text);
    item->setData(id, Qt::UserRole);
    item->setEditable(false);
    return item;
}

// The theme sheets paint this page's disabled push buttons in bold 10 pt,
// while the style centres their label on its width in the button's own font:
// the wider text then runs past the right edge, by twice its extra width.
void reserveDisabledTextWidth(QPushButton *button)
{
    QFont bold = button->font();
    bold.setPointSize(10);
    bold.setBold(true);
    const int painted = QFontMetrics(bold).horizontalAdvance(button->text());
    const int laidOut = button->fontMetrics().horizontalAdvance(button->text());
    const int icon = button->icon().isNull() ? 0 : button->icon().actualSize(button->iconSize()).width() + 4;
    button->setMinimumWidth(icon + painted + qMax(0, painted - laidOut));
}

// A calendar's own size leaves its day columns a little narrower than the
// day names in them ("M..."): as wide as the widest cell needs.
void fitCalendarWidth(QCalendarWidget *calendar)
{
    QAbstractItemView *days = calendar->findChild<QTableView *>();
    if (!days || !days->model())
        return;
    calendar->ensurePolished();
    int widest = 0;
    for (int column = 1; column < days->model()->columnCount(); ++column)
        widest = qMax(widest, days->sizeHintForColumn(column));
    const int width = days->sizeHintForColumn(0) + widest * (days->model()->columnCount() - 1);
    calendar->setMinimumWidth(qMax(calendar->minimumSizeHint().width(), width));
}

} // namespace

DataFilterPage::DataFilterPage(QWidget *parent)
    : QWidget(parent), ui(new Ui::DataFilterPage), deviceModel(nullptr), currentDeviceId(-1)
{
    ui->setupUi(this);
    TRACE_FUNC();
    protocolNames.insert(0, QStringLiteral("FTP"));
    protocolNames.insert(1, QStringLiteral("FTPS"));

    setDeviceButtonsEnabled(false, false);
    reserveDisabledTextWidths();
    ui->dateStart->setCalendarPopup(true);
    ui->dateEnd->setCalendarPopup(true);
    // The theme sheets border every table view; a calendar sizes itself for a
    // table without one, and lost its last week and the day names to it.
    for (QCalendarWidget *calendar : {ui->dateStart->calendarWidget(), ui->dateEnd->calendarWidget()}) {
        calendar->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
        fitCalendarWidth(calendar);
    }

    ui->treeView->setItemDelegate(new HTMLDelegate(this));
    ui->treeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->treeView, SIGNAL(customContextMenuRequested(QPoint)), this, SLOT(showDeviceListContextMenu(QPoint)));

    updateDeviceTree();
    colourWeekendHeaders();
    // The form's 630 pixels are less than the buttons' texts need.
    keepContentsWidth(this);
}

DataFilterPage::~DataFilterPage()
{
    stopRecordCounts();
    // An interrupted count ends within milliseconds; one that does not (a
    // busy pool) ends by itself later and reports to no one.
    QElapsedTimer waited;
    waited.start();
    for (QFuture<void> &count : recordCounts)
        while (!count.isFinished() && waited.elapsed() < 50)
            QThread::msleep(1);
    delete ui;
    delete deviceModel;
}

QStringList DataFilterPage::themeColours() const
{
    QStringList colours;
    for (int n = 2; n <= 7; ++n)
        colours << colour(n);
    return colours;
}

void DataFilterPage::reloadDevices()
{
    devices = g_framework ? g_framework->archiveManager.getDevices() : QMap<int, DeviceCfg>();
}

void DataFilterPage::setDeviceButtonsEnabled(bool enabled, bool download)
{
    ui->editDeviceButton->setEnabled(enabled);
    ui->removeDeviceButton->setEnabled(enabled);
    ui->importDataButton->setEnabled(enabled);
    ui->downloadDataButton->setEnabled(enabled && download);
}

void DataFilterPage::updateDeviceTree()
{
    updateTimeConstrains();
    reloadDevices();

    if (deviceModel) {
        deviceModel->deleteLater();
        deviceModel = nullptr;
    }
    // Nothing of the old tree stays current: no selected row, no instrument
    // for the buttons to act on.
    currentDeviceId = -1;
    currentRowKind = NoRow;
    selectedIndex = QPersistentModelIndex();
    setDeviceButtonsEnabled(false, false);

    deviceModel = new QStandardItemModel();
    for (auto it = devices.cbegin(); it != devices.cend(); ++it) {
        const DeviceCfg &device = it.value();
        const int id = it.key();
        const QString attrA = styleAttr(colour(2));
        const QString attrB = styleAttr(colour(3));

        QStandardItem *deviceRow =
            newRow(QStringLiteral("<strong") + attrA + QStringLiteral(">") + asWritten(device.name)
                       + QStringLiteral("</strong> <span") + attrB + QStringLiteral(">[")
                       + asWritten(AvailableDevices::getDeviceName(device.type)) + QStringLiteral("]</span>"),
                   id);
        QStandardItem *properties = newRow(
            QStringLiteral("<var") + attrA + QStringLiteral(">") + tr("Parameters device") + QStringLiteral("</var>"), id);
        QStandardItem *parameters = newRow(
            QStringLiteral("<var") + attrA + QStringLiteral(">") + tr("Variable device") + QStringLiteral("</var>"), id);
        deviceRow->appendRow(properties);
        deviceRow->appendRow(parameters);

        const auto line = [&](const QString &text) {
            QStandardItem *item = newRow(QStringLiteral(" <span") + attrA + QStringLiteral(">") + text
                                             + QStringLiteral("</span>"),
                                         id);
            item->setCheckable(false);
            properties->appendRow(item);
        };
        line(tr("Files path: ") + asWritten(device.filesPath));
        if (device.onlineCfgEnable) {
            line(tr("IP address: ") + asWritten(device.addresIP));
            line(tr("Protocol type: ") + protocolNames.value(device.protocolType));
            line(tr("User: ") + asWritten(device.user));
            line(tr("Password: ") + QString(device.pass.size(), QLatin1Char('*')));
        } else {
            line(tr("IP address: None"));
            line(tr("Protocol type: None"));
            line(tr("User: None"));
            line(tr("Password: None"));
        }

        for (const DeviceParameter &parameter : device.parameters) {
            QString text = QStringLiteral(" <span") + attrA + QStringLiteral(">") + asWritten(parameter.name)
                           + QStringLiteral("</span>");
            if (!parameter.unit.isEmpty())
                text += QStringLiteral(" <span") + attrB + QStringLiteral(">[") + asWritten(parameter.unit)
                        + QStringLiteral("]</span>");
            QStandardItem *item = newRow(text, parameter.id);
            item->setCheckable(true);
            item->setCheckState(Qt::Unchecked);
            parameters->appendRow(item);
        }
        deviceModel->appendRow(deviceRow);
    }
    // Also gives an empty tree its column, so the header shows without instruments.
    deviceModel->setHorizontalHeaderLabels({tr("Configured devices")});

    QItemSelectionModel *oldSelection = ui->treeView->selectionModel();
    ui->treeView->setModel(deviceModel);
    if (oldSelection)
        oldSelection->deleteLater();
    connect(ui->treeView->selectionModel(), SIGNAL(selectionChanged(QItemSelection, QItemSelection)), this,
            SLOT(listSelectionChanged(QItemSelection, QItemSelection)));
    connect(deviceModel, SIGNAL(itemChanged(QStandardItem *)), this, SLOT(deviceListItemChanged(QStandardItem *)));
    // Every tick went with the old tree.
    deviceListItemChanged(nullptr);

    drawnColours = themeColours();
    drawnFile = g_framework ? g_framework->getSessionInfo().fileName : QString();
}

void DataFilterPage::updateTimeConstrains()
{
    // The period and whether there is a record come from index look-ups; the
    // count, which reads every row, only fills the database info.
    const ArchivePeriod period = g_framework ? g_framework->archiveManager.getArchivePeriod() : ArchivePeriod();
    lastPeriod = period;
    const bool enabled = period.hasRecords;
    ui->dateStart->setEnabled(enabled);
    ui->timeStart->setEnabled(enabled);
    ui->dateEnd->setEnabled(enabled);
    ui->timeEnd->setEnabled(enabled);

    const QDateTime start = QDateTime::fromMSecsSinceEpoch(period.firstRecordDate, Qt::UTC);
    const QDateTime end = QDateTime::fromMSecsSinceEpoch(period.lastRecordDate, Qt::UTC);
    ui->dateStart->setDateRange(start.date(), end.date());
    ui->dateStart->setDate(start.date());
    ui->dateEnd->setDateRange(start.date(), end.date());
    ui->dateEnd->setDate(end.date());
    ui->timeStart->setTime(start.time());
    ui->timeEnd->setTime(end.time());

    markCalendars();
    TRACE() << "updateTimeConstrains, info.firstRecordDate = " << period.firstRecordDate
            << ", info.lastRecordDate = " << period.lastRecordDate;

    const QString file = g_framework ? g_framework->getSessionInfo().fileName : QString();
    const QFileInfo fileInfo(file);
    ui->sizeValueLabel->setText(formatFileSize(!file.isEmpty() && fileInfo.isFile() ? fileInfo.size() : 0));
    startRecordCount(period.hasRecords);
    if (period.hasRecords) {
        ui->firstDateValueLabel->setText(start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        ui->lastDateValueLabel->setText(end.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    } else {
        ui->firstDateValueLabel->setText(QStringLiteral("---"));
        ui->lastDateValueLabel->setText(QStringLiteral("---"));
    }
}

void DataFilterPage::startRecordCount(bool hasRecords)
{
    const int generation = ++recordCountGeneration;
    stopRecordCounts();
    if (!hasRecords) {
        ui->dataRecordsValueLabel->setText(formatRecordCount(0));
        return;
    }
    ui->dataRecordsValueLabel->setText(QStringLiteral("-"));
    const QString file = Connections::filePath(QStringLiteral("Data_con"));
    if (file.isEmpty())
        return;
    const QString name = registerCountConnection(file);
    // Closing the session stops it too: the page may outlive the session
    // (a new one is opened right after) while the count still reads its file.
    recordCountStop = std::make_shared<QueryInterrupt>(file);
    const std::shared_ptr<QueryInterrupt> stop = recordCountStop;
    QPointer<DataFilterPage> page(this);
    recordCounts.erase(std::remove_if(recordCounts.begin(), recordCounts.end(),
                                      [](const QFuture<void> &count) { return count.isFinished(); }),
                       recordCounts.end());
    recordCounts << QtConcurrent::run([page, generation, name, stop]() {
        QString error;
        qint64 count = -1;
        {
            Connections::TaskScope connections;
            count = ArchiveManager::countRecords(name, &error, stop.get());
            Connections::remove(name);
        }
        callQueued(page, [generation, count, error](DataFilterPage *p) { p->showRecordCount(generation, count, error); });
    });
}

// A read-only connection of a count's own: closing the session removes
// "Data_con" with every thread's connection to it, which must not happen
// under a running count, and a reader never writes or removes the file's
// journal. The count removes the name itself, on its own thread.
QString DataFilterPage::registerCountConnection(const QString &file)
{
    static int serial = 0;
    const QString name = QStringLiteral("Data_con_count_%1").arg(++serial);
    Connections::Options options;
    options.readOnly = true;
    Connections::registerFile(name, file, options);
    return name;
}

void DataFilterPage::stopRecordCounts()
{
    if (recordCountStop)
        recordCountStop->interrupt();
}

void DataFilterPage::showRecordCount(int generation, qint64 count, const QString &error)
{
    if (generation != recordCountGeneration)
        return;
    if (count < 0) {
        if (g_framework && !error.isEmpty())
            emit g_framework->consoleMessage(error, 2);
        return;
    }
    ui->dataRecordsValueLabel->setText(formatRecordCount(quint64(count)));
}

void DataFilterPage::markCalendars()
{
    const QDate start = QDateTime::fromMSecsSinceEpoch(lastPeriod.firstRecordDate, Qt::UTC).date();
    const QDate end = QDateTime::fromMSecsSinceEpoch(lastPeriod.lastRecordDate, Qt::UTC).date();
    QTextCharFormat weekday;
    weekday.setForeground(QBrush(QColor(colour(5))));
    weekday.setBackground(QBrush(QColor(colour(7))));
    QTextCharFormat weekend;
    weekend.setForeground(QBrush(QColor(colour(6))));
    weekend.setBackground(QBrush(QColor(colour(7))));

    QDate day = QDateTime::currentDateTimeUtc().date();
    if (day > start)
        day = start;
    // A corrupt time stamp far in the future must not mark millions of days.
    if (!day.isValid() || !end.isValid() || day.daysTo(end) > 200 * 366)
        return;
    QCalendarWidget *calendars[] = {ui->dateStart->calendarWidget(), ui->dateEnd->calendarWidget()};
    for (; day <= end; day = day.addDays(1)) {
        const QTextCharFormat &format = day.dayOfWeek() >= 6 ? weekend : weekday;
        for (QCalendarWidget *calendar : calendars)
            calendar->setDateTextFormat(day, format);
    }
    for (QCalendarWidget *calendar : calendars)
        calendar->update();
}

void DataFilterPage::colourWeekendHeaders()
{
    QTextCharFormat format;
    format.setForeground(QBrush(QColor(colour(4))));
    for (QCalendarWidget *calendar : {ui->dateStart->calendarWidget(), ui->dateEnd->calendarWidget()}) {
        calendar->setWeekdayTextFormat(Qt::Saturday, format);
        calendar->setWeekdayTextFormat(Qt::Sunday, format);
    }
}

QString DataFilterPage::formatFileSize(qint64 bytes)
{
    const double x = double(bytes);
    if (x < 1048576.0)
        return QString::number(x / 1024.0, 'f', 2) + QStringLiteral(" kB");
    if (x < 1073741824.0)
        return QString::number(x / 1048576.0, 'f', 2) + QStringLiteral(" MB");
    return QString::number(x / 1073741824.0, 'f', 2) + QStringLiteral(" GB");
}

QString DataFilterPage::formatRecordCount(quint64 count)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qulonglong(count)).replace(english.groupSeparator(), QLatin1Char(' '));
}

DataFilterPage::RowKind DataFilterPage::rowKind(const QModelIndex &index)
{
    if (!index.isValid())
        return NoRow;
    const QModelIndex parent = index.parent();
    if (!parent.isValid())
        return DeviceRow;
    if (!parent.parent().isValid())
        return GroupRow;
    return parent.row() == 1 ? ParameterRow : PropertyRow;
}

const DeviceCfg *DataFilterPage::currentDevice() const
{
    if (currentRowKind == NoRow || currentRowKind == ParameterRow)
        return nullptr;
    auto it = devices.constFind(currentDeviceId);
    return it == devices.cend() ? nullptr : &it.value();
}

void DataFilterPage::listSelectionChanged(const QItemSelection &selected, const QItemSelection &)
{
    if (selected.isEmpty() || selected.first().indexes().isEmpty()) {
        setDeviceButtonsEnabled(false, false);
        currentDeviceId = -1;
        currentRowKind = NoRow;
        return;
    }
    const QModelIndex index = selected.first().indexes().first();
    selectedIndex = index;
    currentDeviceId = index.data(Qt::UserRole).toInt();
    TRACE() << "selectedText: " << index.data(Qt::DisplayRole).toString();
    // Decided by the row's place: a parameter's name may read like a
    // property line or a device row.
    currentRowKind = rowKind(index);
    if (currentRowKind == ParameterRow) {
        setDeviceButtonsEnabled(false, false);
        return;
    }
    setDeviceButtonsEnabled(true, devices.value(currentDeviceId).onlineCfgEnable);
}

void DataFilterPage::deviceListItemChanged(QStandardItem *)
{
    int checked = 0;
    for (int row = 0; deviceModel && row < deviceModel->rowCount(); ++row) {
        const QStandardItem *group = deviceModel->item(row)->child(1);
        for (int i = 0; group && i < group->rowCount(); ++i)
            if (group->child(i)->data(Qt::CheckStateRole).toInt() == Qt::Checked)
                ++checked;
    }
    ui->acceptButton->setEnabled(checked > 0);
}

void DataFilterPage::showDeviceListContextMenu(const QPoint &pnt)
{
    if (!deviceModel || !selectedIndex.isValid() || selectedIndex.model() != deviceModel)
        return;
    QStandardItem *item = deviceModel->itemFromIndex(selectedIndex);
    if (!item)
        return;
    QMenu *menu = nullptr;
    const RowKind kind = rowKind(selectedIndex);
    if (kind == GroupRow && selectedIndex.row() == 1) {
        menu = new QMenu(this);
        menu->addAction(QIcon(kIconDir + QStringLiteral("checkAll.svg")), tr("Select all parameters"), this,
                        SLOT(selectDeviceAllParams()));
        menu->addAction(QIcon(kIconDir + QStringLiteral("uncheckAll.svg")), tr("Unselect all parameters"), this,
                        SLOT(unselectDeviceAllParams()));
    } else if (kind == DeviceRow) {
        menu = new QMenu(this);
        menu->addAction(QIcon(kIconDir + QStringLiteral("about.svg")), tr("Show details"), this,
                        SLOT(showSelectedDeviceDetails()));
        if (devices.value(currentDeviceId).onlineCfgEnable)
            menu->addAction(QIcon(kIconDir + QStringLiteral("ftpIcon.svg")), tr("Download files from FTP"), this,
                            SLOT(downloadFTPFiles()));
    }
    if (!menu)
        return;
    menu->setObjectName(QStringLiteral("deviceListContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(ui->treeView->viewport()->mapToGlobal(pnt));
}

void DataFilterPage::selectDeviceAllParams()
{
    setSelectedDeviceParamsState(true);
}

void DataFilterPage::unselectDeviceAllParams()
{
    setSelectedDeviceParamsState(false);
}

void DataFilterPage::setSelectedDeviceParamsState(bool checkAll)
{
    if (!deviceModel || !selectedIndex.isValid() || selectedIndex.model() != deviceModel)
        return;
    QStandardItem *item = deviceModel->itemFromIndex(selectedIndex);
    if (!item)
        return;
    for (int i = 0; i < item->rowCount(); ++i)
        item->child(i)->setData(checkAll ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void DataFilterPage::updateIcons()
{
    colourWeekendHeaders();
    // Rebuilding the tree drops the ticks and resets the period; the window
    // calls this on every change of page, so it is done only when the tree
    // or the calendars would change: new colours or another database file.
    const QString file = g_framework ? g_framework->getSessionInfo().fileName : QString();
    if (themeColours() != drawnColours && file == drawnFile) {
        QList<int> ticked;
        for (int row = 0; deviceModel && row < deviceModel->rowCount(); ++row) {
            const QStandardItem *group = deviceModel->item(row)->child(1);
            for (int i = 0; group && i < group->rowCount(); ++i)
                if (group->child(i)->data(Qt::CheckStateRole).toInt() == Qt::Checked)
                    ticked << group->child(i)->data(Qt::UserRole).toInt();
        }
        const QDate startDate = ui->dateStart->date(), endDate = ui->dateEnd->date();
        const QTime startTime = ui->timeStart->time(), endTime = ui->timeEnd->time();
        updateDeviceTree();
        ui->dateStart->setDate(startDate);
        ui->dateEnd->setDate(endDate);
        ui->timeStart->setTime(startTime);
        ui->timeEnd->setTime(endTime);
        for (int row = 0; row < deviceModel->rowCount(); ++row) {
            QStandardItem *group = deviceModel->item(row)->child(1);
            for (int i = 0; group && i < group->rowCount(); ++i)
                if (ticked.contains(group->child(i)->data(Qt::UserRole).toInt()))
                    group->child(i)->setCheckState(Qt::Checked);
        }
    } else if (file != drawnFile) {
        updateDeviceTree();
    }

    const QColor iconColour(colour(1));
    const struct
    {
        QPushButton *button;
        const char *icon;
    } buttons[] = {{ui->addNewDeviceButton, "addNewDevice.svg"},   {ui->editDeviceButton, "editDevice.svg"},
                   {ui->removeDeviceButton, "removeDevice.svg"},   {ui->importDataButton, "importData.svg"},
                   {ui->downloadDataButton, "downloadData.svg"},   {ui->loadCfgTemplButton, "loadFromTemplate.svg"},
                   {ui->saveCfg2TemplButton, "saveAsTemplate.svg"}, {ui->acceptButton, "accept.svg"}};
    for (const auto &entry : buttons)
        entry.button->setIcon(
            Framework::createColoredIcon(kIconDir + QLatin1String(entry.icon), iconColour, QSize(0, 0)));
    reserveDisabledTextWidths();
}

void DataFilterPage::reserveDisabledTextWidths()
{
    for (QPushButton *button : {ui->editDeviceButton, ui->removeDeviceButton, ui->importDataButton,
                                ui->downloadDataButton, ui->acceptButton})
        reserveDisabledTextWidth(button);
}
