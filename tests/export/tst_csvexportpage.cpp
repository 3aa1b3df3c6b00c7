#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "export/CSVExportPage.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <memory>

namespace {

// A session table whose copies are counted, so a copy left behind shows.
class CountedModel : public MyAbstractTableModel
{
public:
    static int alive;
    CountedModel() { ++alive; }
    ~CountedModel() override { --alive; }
    MyAbstractTableModel *clone() const override { return new CountedModel; }
    int rowCount(const QModelIndex & = QModelIndex()) const override { return 1; }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return 3; }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return QVariant();
        const QVariant cells[] = {QStringLiteral("2024-03-31 02:15:00"), 2.5, 0};
        return cells[index.column()];
    }
    QStringList getColumnNames() const override { return {QStringLiteral("t"), QStringLiteral("P1")}; }
    void setGroupByDate(bool group) override { groupByDate = group; }
};
int CountedModel::alive = 0;

template <class W>
W *child(QWidget &page, const char *name)
{
    W *w = page.findChild<W *>(QLatin1String(name));
    if (!w)
        qWarning("missing widget %s", name);
    return w;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestCsvExportPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formAndDefaults();
    void listItems();
    void restoredKeys();
    void storedValuesOutOfRange_data();
    void storedValuesOutOfRange();
    void enablementRules();
    void separatorAndDecimalPairs_data();
    void separatorAndDecimalPairs();
    void moxbSessionOverridesGrouping_data();
    void moxbSessionOverridesGrouping();
    void limitValueStoredButNotUsed();
    void generateWritesTheSessionTable();
    void generateReleasesTheCopy();
    void generateWithoutTableModel();
    void mainWindowBuildsThePage();

private:
    void writeKeys(const QVariantMap &keys);
    QVariant storedKey(const QString &key);
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void TestCsvExportPage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    g_framework = new Framework();
}

void TestCsvExportPage::init()
{
    QSettings s(g_framework->configFilePath, QSettings::IniFormat);
    s.remove(QStringLiteral("csv"));
    s.sync();
    g_framework->sessionInfo = Framework::SessionInfo();
    g_framework->sessionInfo.isOpen = true;
    g_framework->tableModel = nullptr;
    m_prompts.reset(new ScriptedPrompts);
}

void TestCsvExportPage::cleanup()
{
    m_prompts.reset();
    g_framework->tableModel = nullptr;
}

void TestCsvExportPage::writeKeys(const QVariantMap &keys)
{
    QSettings s(g_framework->configFilePath, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("csv"));
    for (auto it = keys.begin(); it != keys.end(); ++it)
        s.setValue(it.key(), it.value());
    s.endGroup();
    s.sync();
}

QVariant TestCsvExportPage::storedKey(const QString &key)
{
    QSettings s(g_framework->configFilePath, QSettings::IniFormat);
    return s.value(QStringLiteral("csv/") + key);
}

void TestCsvExportPage::formAndDefaults()
{
    CSVExportPage page;
    QCOMPARE(page.objectName(), QStringLiteral("CSVExportPage"));
    QCOMPARE(page.size(), QSize(951, 539));
    QCOMPARE(page.minimumWidth(), 630);
    QVERIFY(page.windowTitle().isEmpty());
    auto *grid = page.findChild<QGridLayout *>(QStringLiteral("gridLayout"));
    QVERIFY(grid);
    QCOMPARE(grid->horizontalSpacing(), 20);
    QCOMPARE(grid->contentsMargins(), QMargins(30, 0, 0, 40));
    QCOMPARE(grid->itemAtPosition(9, 1)->widget()->objectName(), QStringLiteral("generateButton"));
    QCOMPARE(grid->itemAtPosition(7, 2)->widget()->objectName(), QStringLiteral("errorValCustomStr"));

    auto *generate = child<QPushButton>(page, "generateButton");
    QCOMPARE(generate->text(), QStringLiteral("Generate CSV"));
    QCOMPARE(generate->property("class").toString(), QStringLiteral("commonMenuButton"));
    QCOMPARE(generate->iconSize(), QSize(24, 24));
    QVERIFY(!generate->icon().isNull());

    for (const char *name : {"dateFormat", "timeFormat", "dateTimeSepar", "colSeparator", "decimalPoint",
                             "decimalPlaces", "incorectValuesHandl"})
        QCOMPARE(child<QComboBox>(page, name)->currentIndex(), 0);
    QVERIFY(child<QCheckBox>(page, "groupByDateCheckbox")->isChecked());
    QVERIFY(child<QComboBox>(page, "incorectValuesHandl")->isEnabled());
    QVERIFY(!child<QCheckBox>(page, "limitRecNumCheckbox")->isChecked());
    QCOMPARE(child<QSpinBox>(page, "maxRecNumbPerFile")->value(), 100);
    QVERIFY(!child<QSpinBox>(page, "maxRecNumbPerFile")->isEnabled());
    QVERIFY(child<QLineEdit>(page, "errorValCustomStr")->text().isEmpty());
    QVERIFY(!child<QLineEdit>(page, "errorValCustomStr")->isEnabled());

    // Generate offers the default name; cancelling stores no file name.
    generate->click();
    QCOMPARE(m_prompts->count(QStringLiteral("save")), 1);
    const ScriptedPrompts::Call call = m_prompts->calls.last();
    QCOMPARE(call.title, QStringLiteral("Save File"));
    QCOMPARE(call.dir, QStringLiteral("export.csv"));
    QCOMPARE(call.text, QStringLiteral("CSV (*.csv)"));
    QVERIFY(!storedKey(QStringLiteral("lastExportFileName")).isValid());
    QCOMPARE(storedKey(QStringLiteral("dateFormat")).toInt(), 0);
}

void TestCsvExportPage::listItems()
{
    CSVExportPage page;
    auto items = [&page](const char *name) {
        QStringList out;
        QComboBox *c = child<QComboBox>(page, name);
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    };
    const QStringList dates = items("dateFormat");
    QCOMPARE(dates.size(), 8);
    QVERIFY(dates.at(0).endsWith(QStringLiteral("\t [yyyy-MM-dd]")));
    QVERIFY(dates.at(7).endsWith(QStringLiteral("\t [MM/dd/yy]")));
    QCOMPARE(dates.at(0).indexOf(QLatin1Char('\t')), 10); // the example date, then the pattern
    QCOMPARE(items("timeFormat").size(), 3);
    QCOMPARE(items("dateTimeSepar"), (QStringList{"Space", "T", "Separate columns"}));
    QCOMPARE(items("colSeparator"), (QStringList{"tab", ",", ";"}));
    QCOMPARE(items("decimalPoint"), (QStringList{",", "."}));
    QCOMPARE(items("decimalPlaces"), (QStringList{"auto", "0.0", "0.00", "0.000", "0.0000", "0.00000"}));
    QCOMPARE(items("incorectValuesHandl"), (QStringList{"Leave unchanged", "Empty field", "Custom string"}));
}

void TestCsvExportPage::restoredKeys()
{
    writeKeys({{"dateFormat", 3}, {"timeFormat", 2}, {"dateTimeSepar", 1}, {"colSeparator", 2}, {"decimalPoint", 1},
               {"decimalPlaces", 4}, {"groupByDateCheckbox", true}, {"incorectValuesHandl", 2},
               {"errorValCustomStr", "n/a"}, {"limitRecNumCheckbox", true}, {"maxRecNumbPerFile", 2500}});
    CSVExportPage page;
    QCOMPARE(child<QComboBox>(page, "dateFormat")->currentIndex(), 3);
    QCOMPARE(child<QComboBox>(page, "timeFormat")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(page, "dateTimeSepar")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(page, "colSeparator")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(page, "decimalPoint")->currentIndex(), 1);
    QCOMPARE(child<QComboBox>(page, "decimalPlaces")->currentIndex(), 4);
    QCOMPARE(child<QComboBox>(page, "incorectValuesHandl")->currentIndex(), 2);
    QVERIFY(child<QLineEdit>(page, "errorValCustomStr")->isEnabled());
    QCOMPARE(child<QLineEdit>(page, "errorValCustomStr")->text(), QStringLiteral("n/a"));
    QVERIFY(child<QSpinBox>(page, "maxRecNumbPerFile")->isEnabled());
    QCOMPARE(child<QSpinBox>(page, "maxRecNumbPerFile")->value(), 2500);

    // A stored unchecked group box puts the incorrect-values list on its first
    // entry and disables it.
    writeKeys({{"groupByDateCheckbox", false}, {"incorectValuesHandl", 0}});
    CSVExportPage flat;
    QVERIFY(!child<QCheckBox>(flat, "groupByDateCheckbox")->isChecked());
    QVERIFY(!child<QComboBox>(flat, "incorectValuesHandl")->isEnabled());
    QVERIFY(!child<QLineEdit>(flat, "errorValCustomStr")->isEnabled());
}

void TestCsvExportPage::storedValuesOutOfRange_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("shown");
    QTest::newRow("date past the list") << "dateFormat" << QVariant(99) << "dateFormat" << 0;
    QTest::newRow("time negative") << "timeFormat" << QVariant(-1) << "timeFormat" << 0;
    QTest::newRow("separation not a number") << "dateTimeSepar" << QVariant("abc") << "dateTimeSepar" << 0;
    QTest::newRow("places one past") << "decimalPlaces" << QVariant(6) << "decimalPlaces" << 0;
    QTest::newRow("handling past") << "incorectValuesHandl" << QVariant(3) << "incorectValuesHandl" << 0;
    QTest::newRow("records below") << "maxRecNumbPerFile" << QVariant(50) << "maxRecNumbPerFile" << 100;
    QTest::newRow("records above") << "maxRecNumbPerFile" << QVariant(900000) << "maxRecNumbPerFile" << 500000;
    QTest::newRow("records negative") << "maxRecNumbPerFile" << QVariant(-5) << "maxRecNumbPerFile" << 500000;
}

void TestCsvExportPage::storedValuesOutOfRange()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(QString, widget);
    QFETCH(int, shown);
    writeKeys({{key, stored}});
    CSVExportPage page;
    if (auto *combo = page.findChild<QComboBox *>(widget))
        QCOMPARE(combo->currentIndex(), shown);
    else
        QCOMPARE(page.findChild<QSpinBox *>(widget)->value(), shown);

    // Generate works with what is shown: the date and time patterns exist.
    m_prompts->fileAnswers.enqueue(QString());
    child<QPushButton>(page, "generateButton")->click();
    QCOMPARE(m_prompts->count(QStringLiteral("save")), 1);
}

void TestCsvExportPage::enablementRules()
{
    CSVExportPage page;
    auto *handling = child<QComboBox>(page, "incorectValuesHandl");
    auto *custom = child<QLineEdit>(page, "errorValCustomStr");
    auto *group = child<QCheckBox>(page, "groupByDateCheckbox");
    auto *limit = child<QCheckBox>(page, "limitRecNumCheckbox");
    auto *records = child<QSpinBox>(page, "maxRecNumbPerFile");

    handling->setCurrentIndex(2);
    QVERIFY(custom->isEnabled());
    custom->setText(QStringLiteral("ERR"));
    handling->setCurrentIndex(1);
    QVERIFY(!custom->isEnabled());
    QCOMPARE(custom->text(), QStringLiteral("ERR"));

    handling->setCurrentIndex(2);
    group->click();
    QCOMPARE(handling->currentIndex(), 0);
    QVERIFY(!handling->isEnabled());
    QVERIFY(!custom->isEnabled());
    group->click();
    QVERIFY(handling->isEnabled());
    QCOMPARE(handling->currentIndex(), 0);

    limit->click();
    QVERIFY(records->isEnabled());
    limit->click();
    QVERIFY(!records->isEnabled());
}

void TestCsvExportPage::separatorAndDecimalPairs_data()
{
    QTest::addColumn<int>("separator");
    QTest::addColumn<int>("decimal");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("comma comma") << 1 << 0 << false;
    QTest::newRow("tab comma") << 0 << 0 << true;
    QTest::newRow("semicolon comma") << 2 << 0 << true;
    QTest::newRow("comma point") << 1 << 1 << true;
}

void TestCsvExportPage::separatorAndDecimalPairs()
{
    QFETCH(int, separator);
    QFETCH(int, decimal);
    QFETCH(bool, accepted);
    {
        CSVExportPage page;
        child<QComboBox>(page, "colSeparator")->setCurrentIndex(separator);
        child<QComboBox>(page, "decimalPoint")->setCurrentIndex(decimal);
        child<QComboBox>(page, "decimalPlaces")->setCurrentIndex(3);
        child<QPushButton>(page, "generateButton")->click();
    }
    QCOMPARE(m_prompts->count(QStringLiteral("save")), accepted ? 1 : 0);
    QCOMPARE(m_prompts->count(QStringLiteral("message")), accepted ? 0 : 1);
    if (!accepted) {
        const ScriptedPrompts::Call call = m_prompts->calls.last();
        QCOMPARE(call.title, QStringLiteral("Warning"));
        QCOMPARE(call.text, QStringLiteral("The same column separator and decimal point."));
    }
    // The first five choices are stored either way, the rest only when accepted.
    QCOMPARE(storedKey(QStringLiteral("colSeparator")).toInt(), separator);
    QCOMPARE(storedKey(QStringLiteral("decimalPoint")).toInt(), decimal);
    QCOMPARE(storedKey(QStringLiteral("decimalPlaces")).isValid(), accepted);
}

void TestCsvExportPage::moxbSessionOverridesGrouping_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<bool>("overridden");
    QTest::newRow("MoxB archive") << int(MoxB) << true;
    QTest::newRow("filtered MoxB") << int(MoxB_FILTERED) << false;
    QTest::newRow("other") << int(ZelB) << false;
}

void TestCsvExportPage::moxbSessionOverridesGrouping()
{
    QFETCH(int, deviceType);
    QFETCH(bool, overridden);
    g_framework->sessionInfo.deviceType = avaibleDevices_t(deviceType);
    writeKeys({{"groupByDateCheckbox", true}, {"incorectValuesHandl", 2}});
    {
        CSVExportPage page;
        auto *group = child<QCheckBox>(page, "groupByDateCheckbox");
        auto *handling = child<QComboBox>(page, "incorectValuesHandl");
        QCOMPARE(group->isChecked(), !overridden);
        QCOMPARE(group->isEnabled(), !overridden);
        QCOMPARE(handling->isEnabled(), !overridden);
        QCOMPARE(handling->currentIndex(), overridden ? 0 : 2);
        child<QPushButton>(page, "generateButton")->click();
    }
    QCOMPARE(storedKey(QStringLiteral("groupByDateCheckbox")).toBool(), !overridden);
    QCOMPARE(storedKey(QStringLiteral("incorectValuesHandl")).toInt(), overridden ? 0 : 2);
}

void TestCsvExportPage::limitValueStoredButNotUsed()
{
    // Limit unchecked: the spin box value is stored but the export is one file.
    CountedModel session;
    g_framework->tableModel = &session;
    const QString out = m_dir.filePath(QStringLiteral("limit.csv"));
    {
        CSVExportPage page;
        child<QSpinBox>(page, "maxRecNumbPerFile")->setValue(100);
        m_prompts->fileAnswers.enqueue(out);
        child<QPushButton>(page, "generateButton")->click();
    }
    QCOMPARE(storedKey(QStringLiteral("maxRecNumbPerFile")).toInt(), 100);
    QCOMPARE(storedKey(QStringLiteral("limitRecNumCheckbox")).toBool(), false);
    QVERIFY(QFile::exists(out));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("limit_1.csv"))));
}

void TestCsvExportPage::generateWritesTheSessionTable()
{
    QSqlDatabase db = testdb::open(QStringLiteral("temp_Data_con"), m_dir.filePath(QStringLiteral("small.sqlite")),
                                   testdb::Sync::Scratch);
    QString e;
    QVERIFY2(NarrowFixture::writeSmall(db, &e), qPrintable(e));
    TempDatabaseTableModel session(db);
    g_framework->tableModel = &session;

    const QString out = m_dir.filePath(QStringLiteral("session.csv"));
    {
        CSVExportPage page;
        child<QComboBox>(page, "dateTimeSepar")->setCurrentIndex(2);
        child<QComboBox>(page, "colSeparator")->setCurrentIndex(2);
        child<QComboBox>(page, "decimalPoint")->setCurrentIndex(1);
        child<QComboBox>(page, "incorectValuesHandl")->setCurrentIndex(1);
        m_prompts->fileAnswers.enqueue(out);
        child<QPushButton>(page, "generateButton")->click();
        QCOMPARE(storedKey(QStringLiteral("lastExportFileName")).toString(), out);
        // The next Generate starts where the last one saved.
        child<QPushButton>(page, "generateButton")->click();
        QCOMPARE(m_prompts->calls.last().dir, out);
    }
    const QList<QByteArray> lines = readAll(out).split('\n');
    QCOMPARE(lines.size(), 1 + NarrowFixture::SmallTimeCount);
    QCOMPARE(lines.at(0), QByteArray("Date;Time;U1 [V];I1 [A];U1 [V];it's\r"));
    // k = 0: flag 0 for all; k = 2: flag 2 (invalid) for all, written empty.
    QCOMPARE(lines.at(1), QByteArray("2023-11-14;22:13:20;10;20;30;40\r"));
    QCOMPARE(lines.at(3), QByteArray("2023-11-14;22:15:20;;;;\r"));
    // The session's own model is not touched.
    QVERIFY(!session.getColumnNames().isEmpty());
    QCOMPARE(session.columnCount(), 6);
}

void TestCsvExportPage::generateReleasesTheCopy()
{
    CountedModel session;
    g_framework->tableModel = &session;
    QCOMPARE(CountedModel::alive, 1);
    const QString out = m_dir.filePath(QStringLiteral("counted.csv"));
    {
        CSVExportPage page;
        m_prompts->fileAnswers.enqueue(out);
        child<QPushButton>(page, "generateButton")->click();
        QCOMPARE(CountedModel::alive, 1);
    }
    QCOMPARE(readAll(out), QByteArray("DateTime\tP1\r\n2024-03-31 02:15:00\t2,5"));
}

void TestCsvExportPage::generateWithoutTableModel()
{
    CSVExportPage page;
    m_prompts->fileAnswers.enqueue(m_dir.filePath(QStringLiteral("none.csv")));
    child<QPushButton>(page, "generateButton")->click();
    QCOMPARE(m_prompts->count(QStringLiteral("message")), 1);
    QCOMPARE(m_prompts->calls.last().text, QStringLiteral("The session has no table to export."));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("none.csv"))));
}

void TestCsvExportPage::mainWindowBuildsThePage()
{
    g_framework->sessionInfo.views = Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewCsvExport;
    MainWindow window;
    window.changePage(MainWindow::CSV_EXPORT_PAGE);
    auto *page = qobject_cast<CSVExportPage *>(window.cachedPages().value(MainWindow::CSV_EXPORT_PAGE));
    QVERIFY(page);
    QVERIFY(page->isVisibleTo(&window));
    QCOMPARE(page->parent() != nullptr, true);

    auto colourOf = [](const QIcon &icon) {
        const QImage img = icon.pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(img.pixel(x, y)) == 255)
                    return QColor(img.pixel(x, y));
        return QColor();
    };
    auto *generate = child<QPushButton>(*page, "generateButton");
    window.applyTheme(Framework::ThemeLight);
    QCOMPARE(colourOf(generate->icon()), QColor(QStringLiteral("#0a0a0a")));
    window.applyTheme(Framework::ThemeDark);
    QCOMPARE(colourOf(generate->icon()), QColor(QStringLiteral("#ffffff")));
    // The cached page is reused.
    window.changePage(MainWindow::CSV_EXPORT_PAGE);
    QCOMPARE(window.cachedPages().value(MainWindow::CSV_EXPORT_PAGE), page);
}

QUORLOG_TEST_MAIN(TestCsvExportPage)
#include "tst_csvexportpage.moc"
