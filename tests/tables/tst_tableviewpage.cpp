#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/BrenaFileWriter.h"
#include "tables/BrenaTableModel.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/ui/TableViewPage.h"

#include <QFrame>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <memory>

namespace {

// A contract model with a fixed shape; records what the page asks of it.
class ProbeModel : public MyAbstractTableModel
{
public:
    ProbeModel(int columns, QList<bool> visibility)
        : m_columns(columns)
    {
        columnsVisibilityList = visibility;
    }
    int rowCount(const QModelIndex & = QModelIndex()) const override { return 2; }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return m_columns; }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        return role == Qt::DisplayRole ? QVariant(index.row() * 10 + index.column()) : QVariant();
    }
    QStringList getColumnNames() const override { return {}; }
    void setLoadAllData(bool all) override
    {
        loadAllArgs << all;
        // The busy window is up while the rows load.
        for (QWidget *w : QApplication::allWidgets()) {
            if (auto *d = qobject_cast<QProgressDialog *>(w)) {
                if (d->isVisible()) {
                    windowText = d->labelText();
                    windowMaximum = d->maximum();
                }
            }
        }
    }

    QList<bool> loadAllArgs;
    QString windowText;
    int windowMaximum = -1;

private:
    int m_columns;
};

bool progressWindowShown()
{
    for (QWidget *w : QApplication::allWidgets())
        if (auto *d = qobject_cast<QProgressDialog *>(w))
            if (d->isVisible())
                return true;
    return false;
}

QPushButton *button(TableViewPage &page, const char *name)
{
    return page.findChild<QPushButton *>(QLatin1String(name));
}

QTableView *view(TableViewPage &page)
{
    return page.findChild<QTableView *>(QStringLiteral("tableView"));
}

QList<bool> hiddenColumns(TableViewPage &page)
{
    QList<bool> out;
    QTableView *v = view(page);
    for (int c = 0; c < v->model()->columnCount(); ++c)
        out << v->isColumnHidden(c);
    return out;
}

} // namespace

class TestTableViewPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formStructure();
    void groupTwiceReturnsToFlat();
    void adjustToWidthToggles();
    void loadAllHeaderModes_data();
    void loadAllHeaderModes();
    void groupKeepsStretchWhenFitted();
    void brenaSessionDisablesGrouping_data();
    void brenaSessionDisablesGrouping();
    void visibilityListLongerThanColumns();
    void threadedReloadKeepsHiddenColumns();
    void noSessionModel();
    void iconsFollowTheTheme();
    void mainWindowBuildsThePage();
    void mainWindowShowsPageTwoAndRecolours();

private:
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
    std::unique_ptr<MyAbstractTableModel> m_model;
};

void TestTableViewPage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    g_framework = new Framework();
    m_db = testdb::open(QStringLiteral("temp_Data_con"), m_dir.filePath(QStringLiteral("page.sqlite")),
                        testdb::Sync::Scratch);
    QString e;
    QVERIFY2(NarrowFixture::writeLarge(m_db, 3000, 3, &e), qPrintable(e));
}

void TestTableViewPage::init()
{
    g_framework->sessionInfo = Framework::SessionInfo();
    g_framework->sessionInfo.isOpen = true;
    g_framework->sessionInfo.deviceType = DEVICE_UNDEFINED;
    m_model.reset(new TempDatabaseTableModel(m_db));
    g_framework->tableModel = m_model.get();
}

void TestTableViewPage::cleanup()
{
    g_framework->tableModel = nullptr;
    m_model.reset();
}

void TestTableViewPage::formStructure()
{
    TableViewPage page;
    QCOMPARE(page.objectName(), QStringLiteral("TableViewPage"));
    QCOMPARE(page.size(), QSize(923, 594));
    QCOMPARE(page.minimumWidth(), 630);
    QCOMPARE(page.windowTitle(), QStringLiteral("Form"));

    auto *outer = qobject_cast<QVBoxLayout *>(page.layout());
    QVERIFY(outer);
    QCOMPARE(outer->objectName(), QStringLiteral("verticalLayout_2"));
    QCOMPARE(outer->contentsMargins(), QMargins(10, 10, 10, 10));
    QCOMPARE(outer->spacing(), 0);
    auto *frame = page.findChild<QFrame *>(QStringLiteral("toolBarFrame"));
    QVERIFY(frame);
    QCOMPARE(frame->minimumHeight(), 50);
    QCOMPARE(frame->frameShape(), QFrame::NoFrame);

    const char *names[] = {"groupButton", "adjustToWidth", "loadAllData"};
    QList<QWidget *> order;
    for (const char *name : names) {
        QPushButton *b = button(page, name);
        QVERIFY2(b, name);
        QCOMPARE(b->minimumHeight(), 40);
        QCOMPARE(b->maximumHeight(), 40);
        QCOMPARE(b->sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
        QCOMPARE(b->sizePolicy().verticalPolicy(), QSizePolicy::Maximum);
        QCOMPARE(b->property("class").toString(), QStringLiteral("commonMenuButton"));
        QVERIFY(!b->icon().isNull());
        QVERIFY(b->isEnabled());
        order << b;
    }
    QCOMPARE(button(page, "groupButton")->font().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(button(page, "adjustToWidth")->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(button(page, "groupButton")->iconSize(), QSize(24, 24));
    QCOMPARE(button(page, "loadAllData")->iconSize(), QSize(32, 32));
    QCOMPARE(button(page, "loadAllData")->text(), QStringLiteral("  Load all data"));
    QCOMPARE(button(page, "groupButton")->text(), QStringLiteral("  Group by date"));
    QCOMPARE(button(page, "adjustToWidth")->text(), QStringLiteral("  Adjust to width"));
    auto *row = frame->layout();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(row->itemAt(i)->widget(), order.at(i));

    QTableView *v = view(page);
    QCOMPARE(v->model(), m_model.get());
    QVERIFY(!v->isSortingEnabled());
    // Flat and unfiltered: the instrument column is hidden.
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, true, false, false, false, false}));
}

void TestTableViewPage::groupTwiceReturnsToFlat()
{
    TableViewPage page;
    QPushButton *group = button(page, "groupButton");
    QTableView *v = view(page);

    group->click();
    QCOMPARE(group->text(), QStringLiteral("  Disable grouping"));
    QCOMPARE(m_model->columnCount(), 7);
    QCOMPARE(m_model->getColumnNames().size(), 4);
    // Value columns shown, flag columns hidden.
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, false, true, false, true, false, true}));
    QCOMPARE(v->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);

    group->click();
    QCOMPARE(group->text(), QStringLiteral("  Group by date"));
    QCOMPARE(m_model->columnCount(), 6);
    QCOMPARE(m_model->getColumnNames().at(0), QStringLiteral("Time"));
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, true, false, false, false, false}));
    QVERIFY(!progressWindowShown());
}

void TestTableViewPage::adjustToWidthToggles()
{
    TableViewPage page;
    QPushButton *adjust = button(page, "adjustToWidth");
    QHeaderView *header = view(page)->horizontalHeader();

    adjust->click();
    QCOMPARE(adjust->text(), QStringLiteral("  Adjust to contents"));
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::Stretch);
    QCOMPARE(header->sectionResizeMode(5), QHeaderView::Stretch);

    adjust->click();
    QCOMPARE(adjust->text(), QStringLiteral("  Adjust to width"));
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::Interactive);
}

void TestTableViewPage::loadAllHeaderModes_data()
{
    QTest::addColumn<bool>("fit");
    QTest::addColumn<int>("mode");
    QTest::newRow("fitted") << true << int(QHeaderView::Stretch);
    QTest::newRow("contents") << false << int(QHeaderView::ResizeToContents);
}

void TestTableViewPage::loadAllHeaderModes()
{
    QFETCH(bool, fit);
    QFETCH(int, mode);
    TableViewPage page;
    if (fit)
        button(page, "adjustToWidth")->click();
    QVERIFY(m_model->rowCount() < 3000);

    button(page, "loadAllData")->click();
    QCOMPARE(m_model->rowCount(), 3000);
    QCOMPARE(view(page)->verticalHeader()->count(), 3000);
    QCOMPARE(int(view(page)->horizontalHeader()->sectionResizeMode(0)), mode);
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, true, false, false, false, false}));
    QVERIFY(!progressWindowShown());
    QCOMPARE(button(page, "loadAllData")->text(), QStringLiteral("  Load all data"));

    // The busy window is up during the load and gone after it.
    ProbeModel probe(3, {true, true, true});
    g_framework->tableModel = &probe;
    TableViewPage probePage;
    button(probePage, "loadAllData")->click();
    QCOMPARE(probe.loadAllArgs, QList<bool>{true});
    QCOMPARE(probe.windowText, QStringLiteral("Loading..."));
    QCOMPARE(probe.windowMaximum, 0);
    QVERIFY(!progressWindowShown());
    g_framework->tableModel = m_model.get();
}

void TestTableViewPage::groupKeepsStretchWhenFitted()
{
    TableViewPage page;
    button(page, "adjustToWidth")->click();
    button(page, "groupButton")->click();
    QHeaderView *header = view(page)->horizontalHeader();
    QCOMPARE(header->count(), 7);
    QCOMPARE(header->sectionResizeMode(3), QHeaderView::Stretch);
    button(page, "adjustToWidth")->click();
    QCOMPARE(header->sectionResizeMode(3), QHeaderView::Interactive);
}

void TestTableViewPage::brenaSessionDisablesGrouping_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<bool>("brenaModel");
    QTest::addColumn<bool>("groupEnabled");
    QTest::newRow("Brena session, record model") << int(Brena) << true << false;
    QTest::newRow("Brena session, other model") << int(Brena) << false << true;
    QTest::newRow("other session, record model") << int(ZelC) << true << true;
}

void TestTableViewPage::brenaSessionDisablesGrouping()
{
    QFETCH(int, deviceType);
    QFETCH(bool, brenaModel);
    QFETCH(bool, groupEnabled);

    const QString file = m_dir.filePath(QStringLiteral("meter.DBF"));
    QVERIFY(BrenaFileWriter::write(
        file, BrenaFileWriter::file({BrenaFileWriter::sample(1, 1, "2024-05-06", "12:00:00", 3)}, 0)));
    BrenaTableModel brena(file);
    QVERIFY(brena.loadFile());
    if (brenaModel)
        g_framework->tableModel = &brena;
    g_framework->sessionInfo.deviceType = avaibleDevices_t(deviceType);

    TableViewPage page;
    QCOMPARE(button(page, "groupButton")->isEnabled(), groupEnabled);
    QVERIFY(button(page, "adjustToWidth")->isEnabled());
    QVERIFY(button(page, "loadAllData")->isEnabled());
    if (brenaModel) {
        QCOMPARE(view(page)->model()->columnCount(), 29);
        button(page, "adjustToWidth")->click();
        QCOMPARE(view(page)->horizontalHeader()->sectionResizeMode(28), QHeaderView::Stretch);
        button(page, "loadAllData")->click();
        QCOMPARE(brena.rowCount(), 1);
        QVERIFY(!progressWindowShown());
    }
    g_framework->tableModel = m_model.get();
}

void TestTableViewPage::visibilityListLongerThanColumns()
{
    ProbeModel probe(3, {true, false, true, false, false, false});
    g_framework->tableModel = &probe;
    TableViewPage page;
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, true, false}));
    button(page, "loadAllData")->click();
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, true, false}));
    g_framework->tableModel = m_model.get();
}

void TestTableViewPage::threadedReloadKeepsHiddenColumns()
{
    // The contract's own grouping reloads behind its progress window after
    // the click has returned; the reset must not bring hidden columns back.
    class GroupingProbe : public ProbeModel
    {
    public:
        GroupingProbe()
            : ProbeModel(3, {true, false, true})
        {
        }
        int columnCount(const QModelIndex & = QModelIndex()) const override
        {
            return columnsVisibilityList.size();
        }
        void updateQuery() override
        {
            columnsVisibilityList = groupByDate ? QList<bool>{true, true, false, true, false}
                                                : QList<bool>{true, false, true};
        }
    };
    GroupingProbe probe;
    g_framework->tableModel = &probe;
    TableViewPage page;
    QSignalSpy resets(&probe, &QAbstractItemModel::modelReset);
    button(page, "groupButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(resets.count(), 1, 10000);
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, false, true, false, true}));
    button(page, "groupButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(resets.count(), 2, 10000);
    QCOMPARE(hiddenColumns(page), (QList<bool>{false, true, false}));
    QTRY_VERIFY(!progressWindowShown());
    g_framework->tableModel = m_model.get();
}

void TestTableViewPage::noSessionModel()
{
    g_framework->tableModel = nullptr;
    TableViewPage page;
    QCOMPARE(view(page)->model(), nullptr);
    button(page, "groupButton")->click();
    QCOMPARE(button(page, "groupButton")->text(), QStringLiteral("  Disable grouping"));
    button(page, "adjustToWidth")->click();
    button(page, "loadAllData")->click();
    QVERIFY(!progressWindowShown());
}

void TestTableViewPage::iconsFollowTheTheme()
{
    const QString saved = g_framework->additButtonColor1;
    g_framework->additButtonColor1 = QStringLiteral("#ff0000");
    TableViewPage page;
    auto opaqueColours = [](const QIcon &icon) {
        QSet<QRgb> colours;
        const QImage img = icon.pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(img.pixel(x, y)) == 255)
                    colours.insert(img.pixel(x, y) | 0xFF000000u);
        return colours;
    };
    for (const char *name : {"groupButton", "adjustToWidth", "loadAllData"}) {
        const QSet<QRgb> colours = opaqueColours(button(page, name)->icon());
        QVERIFY2(!colours.isEmpty(), name);
        QCOMPARE(colours, QSet<QRgb>{qRgb(255, 0, 0)});
    }
    g_framework->additButtonColor1 = QStringLiteral("#00ff00");
    page.updateIcons();
    QCOMPARE(opaqueColours(button(page, "loadAllData")->icon()), QSet<QRgb>{qRgb(0, 255, 0)});
    g_framework->additButtonColor1 = saved;
}

void TestTableViewPage::mainWindowBuildsThePage()
{
    QWidget parent;
    std::unique_ptr<QWidget> page(MainWindow::createPage(MainWindow::TABLE_VIEW_PAGE, &parent));
    QVERIFY(qobject_cast<TableViewPage *>(page.get()));
    QCOMPARE(page->parentWidget(), &parent);
    QCOMPARE(page->findChild<QTableView *>()->model(), m_model.get());
}

void TestTableViewPage::mainWindowShowsPageTwoAndRecolours()
{
    g_framework->sessionInfo.views = Framework::SessionInfo::ViewTable | Framework::SessionInfo::ViewCsvExport;
    MainWindow window;
    window.changePage(MainWindow::TABLE_VIEW_PAGE);
    auto *page = qobject_cast<TableViewPage *>(window.cachedPages().value(MainWindow::TABLE_VIEW_PAGE));
    QVERIFY(page);
    QVERIFY(page->isVisibleTo(&window));
    QCOMPARE(view(*page)->model(), m_model.get());

    auto colourOf = [](const QIcon &icon) {
        const QImage img = icon.pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qAlpha(img.pixel(x, y)) == 255)
                    return QColor(img.pixel(x, y));
        return QColor();
    };
    window.applyTheme(Framework::ThemeLight);
    QCOMPARE(colourOf(button(*page, "groupButton")->icon()), QColor(QStringLiteral("#0a0a0a")));
    window.applyTheme(Framework::ThemeDark);
    QCOMPARE(colourOf(button(*page, "groupButton")->icon()), QColor(QStringLiteral("#ffffff")));
}

QUORLOG_TEST_MAIN(TestTableViewPage)
#include "tst_tableviewpage.moc"
