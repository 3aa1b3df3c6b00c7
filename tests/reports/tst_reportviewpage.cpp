#include "reports/ReportViewPage.h"

#include "app/Framework.h"
#include "common/PaletteContrast.h"
#include "common/Prompts.h"
#include "export/PdfConverterDialog.h"
#include "reports/AbstractReportModel.h"
#include "support/DbTestUtil.h"
#include "support/ReportSqlFixtures.h"
#include "support/TestMain.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

namespace {

// Records what the page asks of its model; a run makes one row or none.
class FakeReportModel : public AbstractReportModel
{
public:
    using AbstractReportModel::AbstractReportModel;

    void setGroupingType(int v) override
    {
        groupings << v;
        AbstractReportModel::setGroupingType(v);
    }
    void setAggregationType(int v) override
    {
        aggregations << v;
        AbstractReportModel::setAggregationType(v);
    }
    void setIntervalMinutes(int v) override
    {
        intervals << v;
        AbstractReportModel::setIntervalMinutes(v);
    }
    void setReportOptions(bool minutes, bool hourly, bool daily, bool weekly, int n) override
    {
        options = QList<int>{minutes, hourly, daily, weekly, n};
        AbstractReportModel::setReportOptions(minutes, hourly, daily, weekly, n);
    }
    void updateQuery(int type) override
    {
        queries << type;
        beginResetModel();
        reportRows.clear();
        if (makeRows) {
            ReportRow row{QStringLiteral("2025-01-01 00:00:00"), QStringLiteral("2025-01-01 00:59:59")};
            for (int i = 0; i < selectedParamsId.size(); ++i)
                row << QStringLiteral("1.00");
            reportRows << row;
        }
        endResetModel();
    }

    QList<int> groupings, aggregations, intervals, queries, options;
    bool makeRows = true;
};

} // namespace

class TestReportViewPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void formAndDefaults();
    void optionsReachModel_data();
    void optionsReachModel();
    void gating_data();
    void gating();
    void resultHandling();
    void adjustMode_data();
    void adjustMode();
    void pdfDefaultsAndCancel();
    void pdfNameGetsExtension_data();
    void pdfNameGetsExtension();
    void pdfCompletedNameAsksBeforeReplacing();
    void themeChangeRegenerates();
    void themeOfSameLightnessRegenerates();
    void withoutReportModel();

private:
    template <class T>
    T *child(const char *name)
    {
        T *w = m_page->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    void tick(int count);
    // Runs the PDF export with the options accepted and `typed` chosen in the save dialog.
    void exportAs(ScriptedPrompts &prompts, const QString &typed);

    QTemporaryDir m_dir;
    FakeReportModel *m_model = nullptr;
    ReportViewPage *m_page = nullptr;
};

void TestReportViewPage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    g_framework = new Framework();
}

void TestReportViewPage::init()
{
    static int serial = 0;
    const QString name = QStringLiteral("page%1").arg(++serial);
    QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
    QVERIFY(reportfixtures::createNarrowTables(db));
    QVERIFY(reportfixtures::insertDevice(db, 1, QStringLiteral("ZelB"), ZelB));
    for (int id = 1; id <= 25; ++id)
        QVERIFY(reportfixtures::insertParameter(db, id, 1, QStringLiteral("P%1").arg(id)));
    m_model = new FakeReportModel(db, ZelB, nullptr);
    g_framework->reportModel = m_model;
    m_page = new ReportViewPage(nullptr);
}

void TestReportViewPage::cleanup()
{
    delete m_page;
    m_page = nullptr;
    g_framework->reportModel = nullptr;
    delete m_model;
    m_model = nullptr;
}

void TestReportViewPage::cleanupTestCase()
{
    delete g_framework;
    g_framework = nullptr;
}

void TestReportViewPage::tick(int count)
{
    auto *list = child<QListWidget>("basicReportParametersSelectionList");
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(i < count ? Qt::Checked : Qt::Unchecked);
}

void TestReportViewPage::formAndDefaults()
{
    QCOMPARE(m_page->objectName(), QStringLiteral("ReportViewPage"));
    auto *tabs = child<QTabWidget>("tabWidget");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Basic report"));
    QVERIFY(!child<QPushButton>("adjustBasicReportSizeButton")->isEnabled());
    QVERIFY(!child<QPushButton>("exportBasicReportToPdfButton")->isEnabled());
    QCOMPARE(child<QPushButton>("checkAllParamButton")->text(), QStringLiteral("  Check all"));
    QCOMPARE(child<QSpinBox>("basicReportMinutesVal")->minimum(), 1);
    QCOMPARE(child<QSpinBox>("basicReportMinutesVal")->maximum(), 60);

    // Every 30 minutes, minimum, reached the model through the slots.
    QVERIFY(child<QRadioButton>("basicReportIntervalMinutes")->isChecked());
    QVERIFY(child<QRadioButton>("basicReportTypeMin")->isChecked());
    QCOMPARE(m_model->groupings, QList<int>{0});
    QCOMPARE(m_model->aggregations, QList<int>{0});
    QCOMPARE(m_model->intervals, QList<int>{30});
    QCOMPARE(m_model->getIntervalMinutes(), 30);

    // Two exclusive groups that leave each other alone.
    child<QRadioButton>("basicReportIntervalDaily")->setChecked(true);
    QVERIFY(!child<QRadioButton>("basicReportIntervalMinutes")->isChecked());
    QVERIFY(child<QRadioButton>("basicReportTypeMin")->isChecked());
    child<QRadioButton>("basicReportTypeInc")->setChecked(true);
    QVERIFY(!child<QRadioButton>("basicReportTypeMin")->isChecked());
    QVERIFY(child<QRadioButton>("basicReportIntervalDaily")->isChecked());
    QCOMPARE(child<QTableView>("tableView")->verticalHeader()->defaultSectionSize(), 33);

    auto *list = child<QListWidget>("basicReportParametersSelectionList");
    QCOMPARE(list->count(), 25);
    QCOMPARE(list->item(0)->text(), QStringLiteral("P1"));
    QVERIFY(list->item(0)->flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(list->item(24)->checkState(), Qt::Unchecked);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);

    child<QPushButton>("checkAllParamButton")->click();
    QCOMPARE(list->item(24)->checkState(), Qt::Checked);
    child<QPushButton>("uncheckAllParamButton")->click();
    QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
}

void TestReportViewPage::optionsReachModel_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("grouping");
    QTest::addColumn<int>("code");
    QTest::newRow("hourly") << "basicReportIntervalHourly" << true << 1;
    QTest::newRow("daily") << "basicReportIntervalDaily" << true << 2;
    QTest::newRow("weekly") << "basicReportIntervalWeekly" << true << 3;
    QTest::newRow("average") << "basicReportTypeAvg" << false << 1;
    QTest::newRow("maximum") << "basicReportTypeMax" << false << 2;
    QTest::newRow("increment") << "basicReportTypeInc" << false << 3;
}

void TestReportViewPage::optionsReachModel()
{
    QFETCH(QString, button);
    QFETCH(bool, grouping);
    QFETCH(int, code);
    m_model->groupings.clear();
    m_model->aggregations.clear();
    m_page->findChild<QRadioButton *>(button)->setChecked(true);
    // The button toggled off calls nothing.
    QCOMPARE(grouping ? m_model->groupings : m_model->aggregations, QList<int>{code});
    QVERIFY((grouping ? m_model->aggregations : m_model->groupings).isEmpty());
    QCOMPARE(grouping ? m_model->getGroupingType() : m_model->getAggregationType(), code);

    // Back to the first button of the group: code 0.
    m_page->findChild<QRadioButton *>(grouping ? "basicReportIntervalMinutes" : "basicReportTypeMin")->setChecked(true);
    QCOMPARE((grouping ? m_model->groupings : m_model->aggregations).last(), 0);

    child<QSpinBox>("basicReportMinutesVal")->setValue(45);
    QCOMPARE(m_model->intervals.last(), 45);

    // Generate hands over the interval options as shown.
    tick(1);
    m_page->findChild<QRadioButton *>(button)->setChecked(true);
    child<QPushButton>("generateBasicReportButton")->click();
    const QList<int> expected{!grouping || code == 0, grouping && code == 1, grouping && code == 2,
                              grouping && code == 3, 45};
    QCOMPARE(m_model->options, expected);
}

void TestReportViewPage::gating_data()
{
    QTest::addColumn<int>("ticked");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("message");
    QTest::newRow("none") << 0 << false << "No parameters selected! Report can't be created.";
    QTest::newRow("21") << 21 << false << "Report parameters limit (20) reached.";
    QTest::newRow("exactly 20") << 20 << true << "";
    QTest::newRow("one") << 1 << true << "";
}

void TestReportViewPage::gating()
{
    QFETCH(int, ticked);
    QFETCH(bool, runs);
    QFETCH(QString, message);

    // A selection from an earlier run stays when nothing is ticked.
    m_model->appendReportParam(3);
    QSignalSpy console(m_page, &ReportViewPage::consoleMessage);
    QSignalSpy dialog(m_page, &ReportViewPage::dialogMessage);
    tick(ticked);
    child<QPushButton>("generateBasicReportButton")->click();

    QCOMPARE(m_model->queries, runs ? QList<int>{0} : QList<int>{});
    if (ticked == 0)
        QCOMPARE(m_model->getSelectedParamsId(), QList<int>{4});
    else
        QCOMPARE(m_model->getSelectedParamsId().size(), ticked);
    if (message.isEmpty()) {
        QCOMPARE(console.count(), 0);
        QCOMPARE(dialog.count(), 0);
        return;
    }
    QCOMPARE(console.count(), 1);
    QCOMPARE(console.at(0).at(0).toString(), message);
    QCOMPARE(console.at(0).at(1).toInt(), 2);
    QCOMPARE(dialog.count(), 1);
    QCOMPARE(dialog.at(0).at(0).toString(), message);
    QCOMPARE(dialog.at(0).at(1).toString(), QStringLiteral("Warning"));
    QCOMPARE(dialog.at(0).at(2).toInt(), 2);
}

void TestReportViewPage::resultHandling()
{
    m_page->show();
    auto *table = child<QTableView>("tableView");
    auto *adjust = child<QPushButton>("adjustBasicReportSizeButton");
    auto *pdf = child<QPushButton>("exportBasicReportToPdfButton");

    // No rows: the table hides, the buttons keep their state.
    m_model->makeRows = false;
    tick(2);
    child<QPushButton>("generateBasicReportButton")->click();
    QCOMPARE(m_model->queries.size(), 1);
    QVERIFY(table->isHidden());
    QVERIFY(!adjust->isEnabled());
    QVERIFY(!pdf->isEnabled());

    m_model->makeRows = true;
    child<QPushButton>("generateBasicReportButton")->click();
    QVERIFY(!table->isHidden());
    QCOMPARE(table->model(), static_cast<QAbstractItemModel *>(m_model));
    QCOMPARE(table->model()->rowCount(), 1);
    QCOMPARE(table->model()->columnCount(), 4);
    QVERIFY(!table->isSortingEnabled());
    QVERIFY(adjust->isEnabled());
    QVERIFY(pdf->isEnabled());

    m_model->makeRows = false;
    child<QPushButton>("generateBasicReportButton")->click();
    QVERIFY(table->isHidden());
    QVERIFY(adjust->isEnabled());
    QVERIFY(pdf->isEnabled());
}

void TestReportViewPage::adjustMode_data()
{
    QTest::addColumn<int>("params");
    QTest::addColumn<int>("pageWidth");
    QTest::addColumn<bool>("stretched");
    // Equal columns hold every word: stretched as they were.
    QTest::newRow("few columns, wide page") << 2 << 1400 << true;
    // The dates' words need more than an equal share, all columns fit: each
    // keeps its words' width and the rest of the width is shared out.
    QTest::newRow("dates wider than a share") << 12 << 1000 << false;
    // More than the width holds: each column its words' width; the view scrolls.
    QTest::newRow("more than fits") << 20 << 800 << false;
}

void TestReportViewPage::adjustMode()
{
    QFETCH(int, params);
    QFETCH(int, pageWidth);
    QFETCH(bool, stretched);
    m_page->resize(pageWidth, 700);
    m_page->show();
    tick(params);
    child<QPushButton>("generateBasicReportButton")->click();
    auto *adjust = child<QPushButton>("adjustBasicReportSizeButton");
    auto *table = child<QTableView>("tableView");
    QHeaderView *header = table->horizontalHeader();
    QCOMPARE(adjust->text(), QStringLiteral("Adjust to width"));
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::ResizeToContents);
    adjust->click();
    QCoreApplication::processEvents();
    QCOMPARE(adjust->text(), QStringLiteral("Adjust to contents"));
    QCOMPARE(header->sectionResizeMode(0), stretched ? QHeaderView::Stretch : QHeaderView::Interactive);

    // No column is narrower than its header and the longest word of its cell
    // (cells wrap at blanks); together they fill the view unless they need more.
    const int margin = (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1) * 2 + 1;
    const auto check = [&]() {
        int total = 0, need = 0;
        for (int c = 0; c < header->count(); ++c) {
            int words = header->sectionSizeHint(c);
            for (const QString &word : table->model()->index(0, c).data().toString().split(QLatin1Char(' ')))
                words = qMax(words, table->fontMetrics().horizontalAdvance(word) + margin);
            QVERIFY2(header->sectionSize(c) >= words,
                     qPrintable(QStringLiteral("column %1: %2 < %3").arg(c).arg(header->sectionSize(c)).arg(words)));
            total += header->sectionSize(c);
            need += words;
        }
        if (!stretched)
            QCOMPARE(total, qMax(need, table->viewport()->width()));
    };
    check();
    // The columns follow the view's width.
    m_page->resize(pageWidth - 150, 700);
    QCoreApplication::processEvents();
    check();

    adjust->click();
    QCOMPARE(adjust->text(), QStringLiteral("Adjust to width"));
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::ResizeToContents);
}

void TestReportViewPage::pdfDefaultsAndCancel()
{
    tick(2);
    child<QPushButton>("generateBasicReportButton")->click();
    ScriptedPrompts prompts;

    // Cancelled options: no save dialog.
    prompts.execAnswers.enqueue([](QDialog *d) {
        d->findChild<QPushButton *>(QStringLiteral("pdfExportAbortButton"))->click();
        return 0;
    });
    child<QPushButton>("exportBasicReportToPdfButton")->click();
    QCOMPARE(prompts.count(QStringLiteral("exec")), 1);
    QCOMPARE(prompts.count(QStringLiteral("save")), 0);

    // Export without a title: the default one; the save dialog proposes the default name.
    QString placeholder, title;
    bool alternate = false, colored = true;
    prompts.execAnswers.enqueue([&](QDialog *d) {
        auto *dialog = qobject_cast<PdfConverterDialog *>(d);
        placeholder = d->findChild<QLineEdit *>(QStringLiteral("pdfReportTitle"))->placeholderText();
        alternate = d->findChild<QCheckBox *>(QStringLiteral("isRowAlternateColored"))->isChecked();
        colored = d->findChild<QCheckBox *>(QStringLiteral("isPdfParamColored"))->isChecked();
        d->findChild<QPushButton *>(QStringLiteral("pdfExportOkButton"))->click();
        title = dialog ? dialog->reportTitle() : QString();
        return 1;
    });
    child<QPushButton>("exportBasicReportToPdfButton")->click();
    QVERIFY(alternate);
    QVERIFY(!colored);
    QCOMPARE(placeholder, QStringLiteral("ZelB Report"));
    QCOMPARE(title, QStringLiteral("ZelB Report"));
    QCOMPARE(prompts.count(QStringLiteral("save")), 1);
    const ScriptedPrompts::Call save = prompts.calls.last();
    QCOMPARE(save.title, QStringLiteral("Exporting as PDF"));
    QCOMPARE(save.text, QStringLiteral("PDF files (*.pdf)"));
    QVERIFY2(QRegularExpression(QStringLiteral("^ZelBReport_\\d{4}\\.\\d{2}\\.\\d{2}_\\d{2}\\.\\d{2}\\.\\d{2}$"))
                 .match(save.dir)
                 .hasMatch(),
             qPrintable(save.dir));
    // No path chosen: nothing written, nothing opened.
    QCOMPARE(prompts.count(QStringLiteral("url")), 0);
}

void TestReportViewPage::exportAs(ScriptedPrompts &prompts, const QString &typed)
{
    prompts.execAnswers.enqueue([](QDialog *d) {
        d->findChild<QPushButton *>(QStringLiteral("pdfExportOkButton"))->click();
        return 1;
    });
    prompts.fileAnswers.enqueue(typed);
    prompts.filterAnswers.enqueue(QStringLiteral("PDF files (*.pdf)"));
    child<QPushButton>("exportBasicReportToPdfButton")->click();
}

// The save dialog returns the name as typed; the file written is a PDF the
// desktop can tell by its name. A dot in a name is no extension.
void TestReportViewPage::pdfNameGetsExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("the proposed name") << "ZelBReport_2026.12.11_04.16.06" << "ZelBReport_2026.12.11_04.16.06.pdf";
    QTest::newRow("no dot") << "report" << "report.pdf";
    QTest::newRow("ending in a dot") << "report." << "report.pdf";
    QTest::newRow("typed extension kept") << "report.PDF" << "report.PDF";
}

void TestReportViewPage::pdfNameGetsExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    tick(2);
    child<QPushButton>("generateBasicReportButton")->click();
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    exportAs(prompts, dir.filePath(typed));
    QCOMPARE(prompts.count(QStringLiteral("message")), 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    QFile file(dir.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(4), QByteArray("%PDF"));
    QCOMPARE(prompts.openedUrls, QList<QUrl>{QUrl::fromLocalFile(dir.filePath(written))});
}

// Completing the name must not replace another file unasked.
void TestReportViewPage::pdfCompletedNameAsksBeforeReplacing()
{
    tick(2);
    child<QPushButton>("generateBasicReportButton")->click();
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("report.pdf"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    ScriptedPrompts prompts;

    prompts.messageAnswers.enqueue(QMessageBox::No);
    exportAs(prompts, dir.filePath(QStringLiteral("report")));
    QCOMPARE(prompts.count(QStringLiteral("message")), 1);
    QCOMPARE(prompts.calls.last().title, QStringLiteral("Exporting as PDF"));
    QVERIFY(prompts.calls.last().text.contains(QDir::toNativeSeparators(existing)));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
    file.close();
    QCOMPARE(prompts.count(QStringLiteral("url")), 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("report.pdf")});

    // Yes replaces it.
    prompts.messageAnswers.enqueue(QMessageBox::Yes);
    exportAs(prompts, dir.filePath(QStringLiteral("report")));
    QCOMPARE(prompts.count(QStringLiteral("message")), 2);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(4), QByteArray("%PDF"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("report.pdf")});

    // The name typed with its extension: the save dialog already asked.
    exportAs(prompts, existing);
    QCOMPARE(prompts.count(QStringLiteral("message")), 2);
    QCOMPARE(prompts.count(QStringLiteral("url")), 2);
}

void TestReportViewPage::themeChangeRegenerates()
{
    // A page switch refreshes the icons with the same theme: no report.
    tick(3);
    m_page->updateIcons();
    QVERIFY(m_model->queries.isEmpty());

    g_framework->lightTheme = !g_framework->lightTheme;
    m_page->updateIcons();
    QCOMPARE(m_model->queries, QList<int>{0});
    QCOMPARE(m_model->getPalette(),
             g_framework->lightTheme ? AbstractReportModel::lightPalette : AbstractReportModel::darkPalette);
    QVERIFY(child<QPushButton>("exportBasicReportToPdfButton")->isEnabled());
    m_page->updateIcons();
    QCOMPARE(m_model->queries.size(), 1);

    // Nothing ticked: the theme is taken over, no report.
    g_framework->lightTheme = !g_framework->lightTheme;
    tick(0);
    m_page->updateIcons();
    QCOMPARE(m_model->queries.size(), 1);
}

// Light to Pale olive: both light, same brightness, but other rows. The
// columns must stand out 3 : 1 from both stripes of the rows they are on now.
void TestReportViewPage::themeOfSameLightnessRegenerates()
{
    Framework &fw = *g_framework;
    fw.loadTheme(Framework::ThemeLight);
    m_page->updateIcons();
    tick(20);
    child<QPushButton>("generateBasicReportButton")->click();
    QCOMPARE(m_model->queries.size(), 1);

    fw.loadTheme(Framework::ThemeGold);
    QVERIFY(fw.lightTheme);
    QCOMPARE(fw.tableBackgrounds.size(), 2);
    m_page->updateIcons();
    QCOMPARE(m_model->queries.size(), 2);
    QStringList failures;
    auto *table = child<QTableView>("tableView");
    for (int c = 2; c < table->model()->columnCount(); ++c) {
        const QColor color = table->model()->index(0, c).data(Qt::ForegroundRole).value<QColor>();
        for (const QColor &row : fw.tableBackgrounds)
            if (PaletteContrast::ratio(color, row) < 3.0)
                failures << QStringLiteral("column %1: %2 on %3").arg(c).arg(color.name(), row.name());
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("; "))));
    // Back and forth between the same two themes: each switch makes it again.
    m_page->updateIcons();
    QCOMPARE(m_model->queries.size(), 2);
    fw.loadTheme(Framework::ThemeLight);
    m_page->updateIcons();
    QCOMPARE(m_model->queries.size(), 3);
    qApp->setStyleSheet(QString());
}

void TestReportViewPage::withoutReportModel()
{
    // A session without a report: empty list, options change nothing.
    g_framework->reportModel = nullptr;
    ReportViewPage page(nullptr);
    auto *list = page.findChild<QListWidget *>(QStringLiteral("basicReportParametersSelectionList"));
    QCOMPARE(list->count(), 0);
    page.findChild<QRadioButton *>(QStringLiteral("basicReportTypeMax"))->setChecked(true);
    QSignalSpy console(&page, &ReportViewPage::consoleMessage);
    page.findChild<QPushButton *>(QStringLiteral("generateBasicReportButton"))->click();
    QCOMPARE(console.count(), 1);
    QCOMPARE(console.at(0).at(0).toString(), QStringLiteral("Data model unknown."));
    QCOMPARE(console.at(0).at(1).toInt(), 3);
    QVERIFY(m_model->aggregations == QList<int>{0});
    page.findChild<QPushButton *>(QStringLiteral("exportBasicReportToPdfButton"))->click();
}

QUORLOG_TEST_MAIN(TestReportViewPage)
#include "tst_reportviewpage.moc"
