#include "tables/ui/SettingsMoxBPage.h"

#include "app/Framework.h"
#include "app/Language.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "readers/moxbdatabasemanager.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

#include <iterator>

namespace {

struct Section
{
    const char *english;
    const char *polish; // null: the English name serves both
};

const Section kSections[] = {
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "General settings"), "Ustawienia ogolne"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Instrument information"), "Informacje systemowe"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Archivisation information"), "Archiwizacja"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Parameters"), "Parametry"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Analog inputs information"), "Wejscia analogowe"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Binary inputs information"), "Wejscia binarne"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Temperature information"), "Temperatura"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Math functions"), "Funkcje matematyczne"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Modbus master inputs"), "Wejscia modbus master"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Totalizer information"), "Totalizer"},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Output information"), nullptr},
    {QT_TRANSLATE_NOOP("SettingsMoxBPage", "Relays information"), nullptr},
};

const QString kParametersSettings = QStringLiteral("ParametersSettings");

// The instrument's settings file is never written from this page: no cell
// can be edited, and nothing is submitted even if a cell were changed.
// Table and column names come from the file: the model quotes them itself
// (the toolkit would take a name in quotes, or one holding "[" and "]", as
// quoted already, and read a "." in a table name as a schema's).
class ReadOnlySqlTableModel : public QSqlTableModel
{
public:
    ReadOnlySqlTableModel(QObject *parent, QSqlDatabase db)
        : QSqlTableModel(parent, db)
    {
        setEditStrategy(QSqlTableModel::OnManualSubmit);
    }

    bool showTable(const QString &table)
    {
        m_table = table;
        m_columns.clear();
        QSqlQuery info(database());
        if (info.exec(QStringLiteral("PRAGMA table_info(") + sql::quoteIdentifier(table) + QLatin1Char(')'))) {
            while (info.next())
                m_columns << info.value(1).toString();
        }
        return select();
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return QSqlTableModel::flags(index) & ~Qt::ItemIsEditable;
    }
    // The toolkit drops every " from the names of result columns.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::EditRole) && section >= 0
            && section < m_columns.size())
            return m_columns.at(section);
        return QSqlTableModel::headerData(section, orientation, role);
    }
    bool setData(const QModelIndex &, const QVariant &, int) override { return false; }
    bool insertRows(int, int, const QModelIndex &) override { return false; }
    bool removeRows(int, int, const QModelIndex &) override { return false; }
    void sort(int column, Qt::SortOrder order) override
    {
        m_sortColumn = column;
        m_sortOrder = order;
        select();
    }

protected:
    QString selectStatement() const override
    {
        if (m_columns.isEmpty())
            return QString();
        QString statement = QStringLiteral("SELECT ") + sql::quoteIdentifiers(m_columns) + QStringLiteral(" FROM ")
                            + sql::quoteIdentifier(m_table);
        if (m_sortColumn >= 0 && m_sortColumn < m_columns.size())
            statement += QStringLiteral(" ORDER BY ") + sql::quoteIdentifier(m_columns.at(m_sortColumn))
                         + (m_sortOrder == Qt::DescendingOrder ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
        return statement;
    }

private:
    QString m_table;
    QStringList m_columns;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace

SettingsMoxBPage::SettingsMoxBPage(QWidget *parent)
    : SettingsMoxBPage(g_framework ? g_framework->moxbManager : nullptr, parent)
{
}

SettingsMoxBPage::SettingsMoxBPage(moxbdatabasemanager *manager, QWidget *parent)
    : QWidget(parent)
    , dbManager(manager)
{
    build();
    tableSelector->clear();
    for (int i = int(std::size(kSections)) - 1; i >= 0; --i)
        tableSelector->insertItem(0, QCoreApplication::translate("SettingsMoxBPage", kSections[i].english));
    qRegisterMetaType<QSqlTableModel *>("QSqlTableModel*");

    const QStringList tables = dbManager ? dbManager->fetchTables() : QStringList();
    if (!tables.isEmpty()) {
        tableSelector->setCurrentText(tables.first());
        onTableSelected(tables.first());
    }
    // Connected after the first table is shown, so construction shows one.
    connect(tableSelector, &QComboBox::currentTextChanged, this, &SettingsMoxBPage::onTableSelected);
    connect(this, &SettingsMoxBPage::tableModelReady, this, &SettingsMoxBPage::updateTableView);
    connect(this, &SettingsMoxBPage::tablesFetched, this, &SettingsMoxBPage::handleTablesFetched,
            Qt::DirectConnection);
}

SettingsMoxBPage::~SettingsMoxBPage()
{
    TRACE() << "Destroying SettingsMoxBPage";
}

void SettingsMoxBPage::build()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("SettingsMoxBPage"));
    resize(923, 594);
    setMinimumSize(630, 0);
    setWindowTitle(QStringLiteral("Form"));
    auto *outer = new QVBoxLayout(this);
    outer->setObjectName(QStringLiteral("verticalLayout_2"));
    outer->setSpacing(0);
    outer->setContentsMargins(10, 10, 10, 10);
    auto *inner = new QVBoxLayout();
    inner->setObjectName(QStringLiteral("verticalLayout"));
    inner->setSpacing(5);
    const QMargins m = inner->contentsMargins();
    inner->setContentsMargins(0, m.top(), m.right(), m.bottom());
    outer->addLayout(inner);
    tableSelector = new QComboBox(this);
    tableSelector->setObjectName(QStringLiteral("comboBox"));
    inner->addWidget(tableSelector);
    tableView = new QTableView(this);
    tableView->setObjectName(QStringLiteral("SettingsView"));
    tableView->setStyleSheet(QString());
    tableView->setFrameShape(QFrame::NoFrame);
    tableView->setLineWidth(0);
    tableView->setSortingEnabled(true);
    tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    inner->addWidget(tableView);
}

QStringList SettingsMoxBPage::sectionNames()
{
    QStringList out;
    for (const Section &s : kSections)
        out << QLatin1String(s.english);
    return out;
}

QString SettingsMoxBPage::mapTableName(const QString &name, const QString &uiLanguage, const QString &dbLanguage,
                                       const QStringList &tables)
{
    const bool hasParametersSettings = tables.contains(kParametersSettings);
    if (uiLanguage == QLatin1String("en") && dbLanguage == QLatin1String("pl")) {
        if (name == QLatin1String("Parameters"))
            return hasParametersSettings ? kParametersSettings : QStringLiteral("Parametry");
        for (const Section &s : kSections)
            if (name == QLatin1String(s.english))
                return s.polish ? QString::fromLatin1(s.polish) : name;
        return name;
    }
    if (uiLanguage == QLatin1String("pl") && dbLanguage == QLatin1String("en")) {
        if (name == QLatin1String("Parametry"))
            return hasParametersSettings ? kParametersSettings : QStringLiteral("Parameters");
        for (const Section &s : kSections)
            if (s.polish && name == QLatin1String(s.polish))
                return QString::fromLatin1(s.english);
        return name;
    }
    if ((name == QLatin1String("Parameters") || name == QLatin1String("Parametry")) && hasParametersSettings)
        return kParametersSettings;
    return name;
}

void SettingsMoxBPage::onTableSelected(QString tableName)
{
    if (tableName.isEmpty()) {
        TRACE() << "No table selected.";
        return;
    }
    const QStringList tables = dbManager ? dbManager->fetchTables() : QStringList();
    languageOfDB = tables.contains(QStringLiteral("Informacje systemowe")) ? QStringLiteral("pl") : QStringLiteral("en");
    const QString actualLanguage = currentLanguage();
    TRACE() << "Table selected:" << tableName;
    TRACE() << "actualLanguage:" << actualLanguage << "  , languageOfDB: " << languageOfDB;
    const QString mapped = mapTableName(tableName, actualLanguage, languageOfDB, tables);
    updateTableView(loadTableModel(mapped), mapped);
}

QSqlTableModel *SettingsMoxBPage::loadTableModel(const QString &tableName)
{
    if (!dbManager)
        return nullptr;
    if (!dbManager->database().isOpen()) {
        TRACE() << "Database not open!";
        dbManager->openDatabase(QString());
    }
    if (tableName.isEmpty()) {
        TRACE() << "Empty table name provided!";
        return nullptr;
    }
    QSqlDatabase db = dbManager->database();
    TRACE() << "Attempting to load table model for:" << tableName << "dla bazy: " << db.databaseName();
    auto *model = new ReadOnlySqlTableModel(this, db);
    if (!model->showTable(tableName)) {
        TRACE() << "Failed to load table:" << model->lastError().text();
        delete model;
        return nullptr;
    }
    TRACE() << "Table model loaded. Rows:" << model->rowCount();
    return model;
}

void SettingsMoxBPage::updateTableView(QSqlTableModel *model, QString tableName)
{
    if (!model) {
        TRACE() << "Invalid model for table:" << tableName;
        return;
    }
    tableView->setModel(model);
    tableView->resizeColumnsToContents();
    tableView->horizontalHeader()->setStretchLastSection(true);
    TRACE() << "Table view updated for table:" << tableName;
    QCoreApplication::processEvents();
}

void SettingsMoxBPage::fillSelector(const QStringList &tables)
{
    {
        const QSignalBlocker block(tableSelector);
        tableSelector->clear();
        tableSelector->addItems(tables);
    }
    tableSelector->setCurrentText(tables.first());
    onTableSelected(tables.first());
}

void SettingsMoxBPage::handleTablesFetched(QStringList tables)
{
    TRACE() << "Handling tables fetched:" << tables;
    if (tables.isEmpty()) {
        TRACE() << "No tables found!";
        return;
    }
    fillSelector(tables);
}

void SettingsMoxBPage::loadDatabase(const QString &path)
{
    TRACE() << "Loading database from file:" << path;
    if (!dbManager || !dbManager->openDatabase(path)) {
        TRACE() << "Database failed to open!";
        return;
    }
    const QStringList tables = dbManager->fetchTables();
    TRACE() << "Fetched tables:" << tables;
    if (tables.isEmpty()) {
        TRACE() << "No tables found in database!";
        return;
    }
    fillSelector(tables);
}

void SettingsMoxBPage::updateIcons()
{
}
