// Main window: form structure, view buttons by session bits, the page cache,
// session display, close, console toggle, themes and the language rebuild.
#include "support/TestMain.h"

#include "app/ConsoleWidget.h"
#include "app/Framework.h"
#include "app/Language.h"
#include "app/MainWindow.h"
#include "app/WelcomePage.h"
#include "app/guidePage.h"
#include "common/Prompts.h"

#include <QAction>
#include <QCursor>
#include <QLayout>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QToolButton>
#include <QTranslator>
#include <QDir>

namespace {

const QStringList viewButtons{QStringLiteral("dataFilterButton"), QStringLiteral("tableViewButton"),
                              QStringLiteral("chartViewButton"),  QStringLiteral("reportViewButton"),
                              QStringLiteral("logstViewButton"),  QStringLiteral("exportCSVButton"),
                              QStringLiteral("SettingsViewMoxBButton")};
const QStringList fixedButtons{QStringLiteral("openDeviceButton"), QStringLiteral("newDatabaseButton"),
                               QStringLiteral("openDatabaseButton"), QStringLiteral("digitalSignCheckButton")};

QStringList actionNames(const QMenu *menu)
{
    QStringList names;
    for (QAction *action : menu->actions())
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    // Stub pages, each named after its index, counting what was built.
    QMap<int, int> built;
    MainWindow::PageFactory stubFactory()
    {
        return [this](MainWindow::EPageIndexes index, QWidget *parent) -> QWidget * {
            built[int(index)]++;
            QWidget *page = new QWidget(parent);
            page->setObjectName(QStringLiteral("stubPage%1").arg(int(index)));
            return page;
        };
    }
    void openSession(quint32 views, avaibleDevices_t type, const QString &fileName)
    {
        Framework::SessionInfo session;
        session.isOpen = true;
        session.views = views;
        session.deviceType = type;
        session.fileName = fileName;
        g_framework->sessionInfo = session;
    }
    QToolButton *button(MainWindow &window, const QString &name)
    {
        return window.findChild<QToolButton *>(name);
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        QCOMPARE(currentLanguage(), QStringLiteral("en"));
    }

    void init()
    {
        built.clear();
        g_framework->sessionInfo = Framework::SessionInfo();
    }

    void formStructure()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorlog"));
        QCOMPARE(window.size(), QSize(1325, 850));

        QMenuBar *bar = window.findChild<QMenuBar *>(QStringLiteral("menuBar"));
        QVERIFY(bar);
        QStringList menus;
        for (QAction *action : bar->actions())
            menus << action->menu()->objectName();
        QCOMPARE(menus, (QStringList{"menuFile", "menuLanguage", "menuHelp"}));
        QCOMPARE(actionNames(window.findChild<QMenu *>("menuFile")),
                 (QStringList{"actionOpendata", "actionNewdatabase", "actionClosedata", "-", "actionExit"}));
        QCOMPARE(actionNames(window.findChild<QMenu *>("menuLanguage")), (QStringList{"actionPolski", "actionEnglish"}));
        QCOMPARE(actionNames(window.findChild<QMenu *>("menuHelp")),
                 (QStringList{"actionAbout", "actionGuide", "actionExamples"}));
        QCOMPARE(window.findChild<QAction *>("actionEnglish")->text(), QStringLiteral("English"));
        QCOMPARE(window.findChild<QAction *>("actionPolski")->text(), QStringLiteral("Polski"));

        // Menu buttons in their column order, with the "class" property and texts.
        QFrame *toolbar = window.findChild<QFrame *>(QStringLiteral("leftToolbarFrame"));
        QVERIFY(toolbar);
        QStringList order;
        for (QToolButton *b : toolbar->findChildren<QToolButton *>()) {
            order << b->objectName();
            QCOMPARE(b->property("class").toString(), QStringLiteral("toolButton"));
            QVERIFY(b->text().startsWith(QLatin1String("  ")));
            QCOMPARE(b->iconSize(), QSize(24, 24));
        }
        QCOMPARE(order, (QStringList{"openDeviceButton", "newDatabaseButton", "openDatabaseButton", "dataFilterButton",
                                     "tableViewButton", "chartViewButton", "reportViewButton", "logstViewButton",
                                     "SettingsViewMoxBButton", "exportCSVButton", "digitalSignCheckButton"}));
        QCOMPARE(button(window, "openDeviceButton")->text(), QStringLiteral("  SELECT DEVICE"));
        QCOMPARE(button(window, "digitalSignCheckButton")->text(), QStringLiteral("  DIGITAL SIGN CHECK"));

        // The page stack is empty until the first page is shown.
        QStackedWidget *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QVERIFY(stack);
        QCOMPARE(stack->count(), 0);
        QCOMPARE(stack->currentIndex(), -1);

        // After construction: logs button and console hidden, views disabled, close disabled.
        QVERIFY(button(window, "logstViewButton")->isHidden());
        QVERIFY(window.findChild<QFrame *>("consoleFrame")->isHidden());
        QVERIFY(!window.findChild<QAction *>("actionClosedata")->isEnabled());
        for (const QString &name : viewButtons)
            QVERIFY2(!button(window, name)->isEnabled(), qPrintable(name));
        for (const QString &name : fixedButtons)
            QVERIFY2(button(window, name)->isEnabled(), qPrintable(name));

        QToolButton *consoleButton = button(window, "consoleButton");
        QCOMPARE(consoleButton->text(), QStringLiteral("SHOW CONSOLE"));
        QVERIFY(consoleButton->isCheckable());
        QPushButton *toggle = window.findChild<QPushButton *>(QStringLiteral("themeToggle"));
        QVERIFY(toggle && toggle->isCheckable());
        QVERIFY(toggle->text().isEmpty());
        QVERIFY(window.findChild<QLabel *>("statusBarLabel"));
        // The console sits in the console frame.
        QVERIFY(window.consoleWidget());
        QVERIFY(window.findChild<QFrame *>("consoleFrame")->isAncestorOf(window.consoleWidget()));
    }

    // Sizes and properties that the style sheets and the layout rely on,
    // read back from the built window by object name.
    void formProperties_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("window object name") << "MainWindow" << QByteArray("objectName") << QVariant("MainWindow");
        QTest::newRow("window minimum") << "MainWindow" << QByteArray("minimumSize") << QVariant(QSize(0, 0));
        QTest::newRow("toolbar minimum width")
            << "leftToolbarFrame" << QByteArray("minimumWidth") << QVariant(230);
        QTest::newRow("toolbar frame shape")
            << "leftToolbarFrame" << QByteArray("frameShape") << QVariant(int(QFrame::StyledPanel));
        QTest::newRow("toolbar cursor")
            << "leftToolbarFrame" << QByteArray("cursor") << QVariant(QCursor(Qt::PointingHandCursor));
        QTest::newRow("right wrapper no frame")
            << "rightWrapper" << QByteArray("frameShape") << QVariant(int(QFrame::NoFrame));
        QTest::newRow("splitter vertical")
            << "splitter" << QByteArray("orientation") << QVariant(int(Qt::Vertical));
        QTest::newRow("splitter no opaque resize") << "splitter" << QByteArray("opaqueResize") << QVariant(false);
        QTest::newRow("splitter handle") << "splitter" << QByteArray("handleWidth") << QVariant(2);
        QTest::newRow("console frame minimum")
            << "consoleFrame" << QByteArray("minimumHeight") << QVariant(50);
        QTest::newRow("console frame maximum")
            << "consoleFrame" << QByteArray("maximumHeight") << QVariant(250);
        QTest::newRow("console frame no fill")
            << "consoleFrame" << QByteArray("autoFillBackground") << QVariant(false);
        QTest::newRow("footer minimum") << "footerFrame" << QByteArray("minimumHeight") << QVariant(36);
        QTest::newRow("console button minimum")
            << "consoleButton" << QByteArray("minimumSize") << QVariant(QSize(157, 30));
        QTest::newRow("console button maximum")
            << "consoleButton" << QByteArray("maximumSize") << QVariant(QSize(157, 30));
        QTest::newRow("console button icon") << "consoleButton" << QByteArray("iconSize") << QVariant(QSize(26, 26));
        QTest::newRow("console button beside")
            << "consoleButton" << QByteArray("toolButtonStyle") << QVariant(int(Qt::ToolButtonTextBesideIcon));
        QTest::newRow("console button no auto-raise")
            << "consoleButton" << QByteArray("autoRaise") << QVariant(false);
        QTest::newRow("console button tooltip") << "consoleButton" << QByteArray("toolTip") << QVariant("Console");
        QTest::newRow("notice scaled") << "statusBarLabel" << QByteArray("scaledContents") << QVariant(true);
        QTest::newRow("notice alignment")
            << "statusBarLabel" << QByteArray("alignment") << QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
        QTest::newRow("theme toggle minimum")
            << "themeToggle" << QByteArray("minimumSize") << QVariant(QSize(52, 26));
        QTest::newRow("theme toggle maximum")
            << "themeToggle" << QByteArray("maximumSize") << QVariant(QSize(52, 26));
        QTest::newRow("theme toggle icon") << "themeToggle" << QByteArray("iconSize") << QVariant(QSize(24, 24));
        QTest::newRow("menu bar not native") << "menuBar" << QByteArray("nativeMenuBar") << QVariant(false);
        QTest::newRow("menu bar opens downward") << "menuBar" << QByteArray("defaultUp") << QVariant(false);
        QTest::newRow("menu bar context menu")
            << "menuBar" << QByteArray("contextMenuPolicy") << QVariant(int(Qt::ActionsContextMenu));
        QTest::newRow("file menu fill") << "menuFile" << QByteArray("autoFillBackground") << QVariant(true);
        QTest::newRow("file menu title") << "menuFile" << QByteArray("title") << QVariant("File");
        QTest::newRow("language menu title") << "menuLanguage" << QByteArray("title") << QVariant("Language");
        QTest::newRow("help menu title") << "menuHelp" << QByteArray("title") << QVariant("Help");
        QTest::newRow("menu button minimum")
            << "tableViewButton" << QByteArray("minimumSize") << QVariant(QSize(70, 50));
        QTest::newRow("menu button beside")
            << "reportViewButton" << QByteArray("toolButtonStyle") << QVariant(int(Qt::ToolButtonTextBesideIcon));
        QTest::newRow("separator line height") << "line_2" << QByteArray("minimumHeight") << QVariant(2);
        QTest::newRow("separator line shadow")
            << "line" << QByteArray("frameShadow") << QVariant(int(QFrame::Sunken));
    }

    void formProperties()
    {
        QFETCH(QString, object);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, expected);

        MainWindow window;
        QObject *target = object == QLatin1String("MainWindow") ? &window : window.findChild<QObject *>(object);
        QVERIFY2(target, qPrintable(object));
        QVariant value = target->property(property.constData());
        QVERIFY2(value.isValid(), property.constData());
        if (expected.type() == QVariant::Int && value.type() != QVariant::Int)
            value = value.toInt(); // enumerations and flags
        if (expected.userType() == qMetaTypeId<QCursor>()) {
            QCOMPARE(value.value<QCursor>().shape(), expected.value<QCursor>().shape());
            return;
        }
        QCOMPARE(value, expected);
    }

    // The footer's contents fit into its minimum height, so that showing the
    // console never squeezes the footer's buttons; the fonts of the form.
    void footerAndFonts()
    {
        MainWindow window;
        QFrame *footer = window.findChild<QFrame *>(QStringLiteral("footerFrame"));
        QVERIFY(footer && footer->layout());
        QVERIFY(footer->layout()->minimumSize().height() <= footer->minimumHeight());

        const QFont toolbar = window.findChild<QFrame *>(QStringLiteral("leftToolbarFrame"))->font();
        QCOMPARE(toolbar.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(toolbar.pointSize(), 10);
        QVERIFY(!toolbar.bold());
        for (const char *name : {"openDeviceButton", "exportCSVButton", "consoleButton"}) {
            const QFont font = button(window, QLatin1String(name))->font();
            QCOMPARE(font.family(), QStringLiteral("Microsoft YaHei UI"));
            QCOMPARE(font.pointSize(), 10);
            QVERIFY(font.bold());
        }
        const QFont toggle = window.findChild<QPushButton *>(QStringLiteral("themeToggle"))->font();
        QCOMPARE(toggle.family(), QStringLiteral("Microsoft YaHei"));
        QVERIFY(toggle.bold());
        QCOMPARE(window.findChild<QMenuBar *>(QStringLiteral("menuBar"))->font().family(), QStringLiteral("DejaVu Sans"));
    }

    void updateMenuButtons_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<quint32>("views");
        QTest::addColumn<QStringList>("enabled");

        QTest::newRow("closed") << false << quint32(0xff) << QStringList();
        QTest::newRow("open, no views") << true << quint32(0) << QStringList();
        QTest::newRow("application database") << true << quint32(1) << QStringList{"dataFilterButton"};
        QTest::newRow("measurement file")
            << true << quint32(2 | 4 | 8 | 32)
            << QStringList{"tableViewButton", "chartViewButton", "reportViewButton", "exportCSVButton"};
        QTest::newRow("event log") << true << quint32(2) << QStringList{"tableViewButton"};
        QTest::newRow("filtered database")
            << true << quint32(1 | 2 | 4 | 8 | 32)
            << QStringList{"dataFilterButton", "tableViewButton", "chartViewButton", "reportViewButton",
                           "exportCSVButton"};
        QTest::newRow("recorder settings") << true << quint32(64) << QStringList{"SettingsViewMoxBButton"};
        QTest::newRow("logs bit") << true << quint32(16) << QStringList{"logstViewButton"};
        QTest::newRow("every bit") << true << quint32(0x7f) << viewButtons;
    }

    void updateMenuButtons()
    {
        QFETCH(bool, open);
        QFETCH(quint32, views);
        QFETCH(QStringList, enabled);

        MainWindow window;
        openSession(views, ZelB, QStringLiteral("x.csv"));
        // A button still marked as selected loses the mark.
        button(window, "tableViewButton")->setProperty("selected", true);
        window.updateMenuButtons(open);

        QCOMPARE(window.findChild<QAction *>("actionClosedata")->isEnabled(), open);
        for (const QString &name : viewButtons) {
            QToolButton *b = button(window, name);
            QCOMPARE(b->isEnabled(), enabled.contains(name));
            QCOMPARE(b->property("grayed").toBool(), !b->isEnabled());
            QCOMPARE(b->property("selected").toBool(), false);
        }
        for (const QString &name : fixedButtons) {
            QVERIFY(button(window, name)->isEnabled());
            QCOMPARE(button(window, name)->property("grayed").toBool(), false);
        }
    }

    void welcomePageOnChangePage()
    {
        MainWindow window;
        window.changePage(MainWindow::WELCOME_PAGE);
        QStackedWidget *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QCOMPARE(stack->count(), 1);
        QVERIFY(qobject_cast<WelcomePage *>(stack->currentWidget()));
        QCOMPARE(window.cachedPages().keys(), (QList<MainWindow::EPageIndexes>{MainWindow::WELCOME_PAGE}));
        for (QToolButton *b : window.findChild<QFrame *>("leftToolbarFrame")->findChildren<QToolButton *>())
            QVERIFY(!b->property("selected").toBool());

        // Cached: the same object, nothing built again.
        QWidget *first = stack->currentWidget();
        window.changePage(MainWindow::WELCOME_PAGE);
        QCOMPARE(stack->count(), 1);
        QCOMPARE(stack->currentWidget(), first);

        // A page this build does not have leaves the page shown.
        window.setPageFactory([](MainWindow::EPageIndexes, QWidget *) -> QWidget * { return nullptr; });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^No page for index:")));
        window.changePage(MainWindow::DIGITAL_SIGN_PAGE);
        QCOMPARE(stack->currentWidget(), first);
        QCOMPARE(stack->count(), 1);
    }

    void missingPageKeepsHighlight()
    {
        MainWindow window;
        window.setPageFactory([](MainWindow::EPageIndexes index, QWidget *parent) -> QWidget * {
            return index == MainWindow::DIGITAL_SIGN_PAGE ? nullptr : new QWidget(parent);
        });
        openSession(2, ZelB, QStringLiteral("x.csv"));
        window.updateMenuButtons(true);
        window.changePage(MainWindow::TABLE_VIEW_PAGE);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^No page for index:")));
        window.changePage(MainWindow::DIGITAL_SIGN_PAGE);
        QVERIFY(button(window, "tableViewButton")->property("selected").toBool());
        QVERIFY(!button(window, "digitalSignCheckButton")->property("selected").toBool());
        QCOMPARE(window.cachedPages().size(), 1);
    }

    void changePageRejectsUnknownIndex_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("8") << 8;
        QTest::newRow("-1") << -1;
        QTest::newRow("100") << 100;
    }

    void changePageRejectsUnknownIndex()
    {
        QFETCH(int, index);
        MainWindow window;
        window.setPageFactory(stubFactory());
        openSession(0x7f, ZelB, QStringLiteral("x.csv"));
        window.updateMenuButtons(true);
        window.changePage(MainWindow::TABLE_VIEW_PAGE);
        QStackedWidget *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QWidget *shown = stack->currentWidget();
        QVERIFY(button(window, "tableViewButton")->property("selected").toBool());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Unknown page index:")));
        window.changePage(index);
        QCOMPARE(stack->currentWidget(), shown);
        QCOMPARE(stack->count(), 1);
        QCOMPARE(window.cachedPages().size(), 1);
        // The highlight of every button is cleared all the same.
        for (QToolButton *b : window.findChild<QFrame *>("leftToolbarFrame")->findChildren<QToolButton *>())
            QVERIFY(!b->property("selected").toBool());
    }

    void changePageHighlightsItsButton_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("buttonName");
        QTest::newRow("data filter") << 1 << "dataFilterButton";
        QTest::newRow("table") << 2 << "tableViewButton";
        QTest::newRow("chart") << 3 << "chartViewButton";
        QTest::newRow("report") << 4 << "reportViewButton";
        QTest::newRow("csv") << 5 << "exportCSVButton";
        QTest::newRow("settings") << 6 << "SettingsViewMoxBButton";
        QTest::newRow("signature") << 7 << "digitalSignCheckButton";
    }

    void changePageHighlightsItsButton()
    {
        QFETCH(int, index);
        QFETCH(QString, buttonName);
        MainWindow window;
        window.setPageFactory(stubFactory());
        window.changePage(index);
        QCOMPARE(built.value(index), 1);
        QStackedWidget *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("stubPage%1").arg(index));
        for (QToolButton *b : window.findChild<QFrame *>("leftToolbarFrame")->findChildren<QToolButton *>())
            QCOMPARE(b->property("selected").toBool(), b->objectName() == buttonName);
        window.changePage(index);
        QCOMPARE(built.value(index), 1);
    }

    void removeCachedPages_data()
    {
        QTest::addColumn<QList<int>>("opened");
        QTest::addColumn<int>("keep");
        QTest::addColumn<QList<int>>("left");

        QTest::newRow("keep 2, data filter built") << QList<int>{0, 1, 2, 3, 4} << 2 << QList<int>{0, 1};
        QTest::newRow("keep 2, signature first") << QList<int>{7, 0, 3, 5} << 2 << QList<int>{0, 3};
        QTest::newRow("keep 2, signature only") << QList<int>{0, 7} << 2 << QList<int>{0, 7};
        QTest::newRow("keep 2, welcome only") << QList<int>{0} << 2 << QList<int>{0};
        QTest::newRow("keep 0") << QList<int>{0, 2, 6} << 0 << QList<int>{};
        QTest::newRow("keep more than cached") << QList<int>{0, 4} << 5 << QList<int>{0, 4};
    }

    void removeCachedPages()
    {
        QFETCH(QList<int>, opened);
        QFETCH(int, keep);
        QFETCH(QList<int>, left);

        MainWindow window;
        window.setPageFactory(stubFactory());
        QMap<int, QPointer<QWidget>> pages;
        for (int index : opened) {
            window.changePage(index);
            pages.insert(index, window.cachedPages().value(MainWindow::EPageIndexes(index)));
        }
        window.removeCachedPages(keep);
        processDeferredDeletes();

        QList<int> cached;
        for (MainWindow::EPageIndexes index : window.cachedPages().keys())
            cached << int(index);
        QCOMPARE(cached, left);
        QStackedWidget *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QCOMPARE(stack->count(), left.size());
        for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
            // Kept pages are the very objects built before; the others are gone.
            QCOMPARE(!it.value().isNull(), left.contains(it.key()));
            if (left.contains(it.key()))
                QCOMPARE(stack->indexOf(it.value()) >= 0, true);
        }
        // Showing a kept page shows that very page, without building it again.
        for (int index : left) {
            window.changePage(index);
            QCOMPARE(stack->currentWidget(), pages.value(index).data());
            QCOMPARE(built.value(index), 1);
        }
        // A dropped page is built afresh.
        for (int index : opened) {
            if (left.contains(index))
                continue;
            window.changePage(index);
            QCOMPARE(built.value(index), 2);
        }
    }

    void onSessionStartedForApplicationDatabase()
    {
        MainWindow window;
        window.setPageFactory(stubFactory());
        window.changePage(MainWindow::WELCOME_PAGE);
        window.changePage(MainWindow::DIGITAL_SIGN_PAGE);

        openSession(Framework::SessionInfo::ViewDataFilter, INTERNAL_DB, QStringLiteral("/data/plant.qdb"));
        window.onSessionStarted();
        processDeferredDeletes();

        QCOMPARE(window.windowTitle(), QStringLiteral("/data/plant.qdb - Quorlog"));
        QStackedWidget *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("stubPage1"));
        QCOMPARE(window.cachedPages().keys(),
                 (QList<MainWindow::EPageIndexes>{MainWindow::WELCOME_PAGE, MainWindow::DATA_FILTER_PAGE,
                                                  MainWindow::DIGITAL_SIGN_PAGE}));
        QVERIFY(button(window, "dataFilterButton")->isEnabled());
        QVERIFY(button(window, "dataFilterButton")->property("selected").toBool());
        QVERIFY(!button(window, "tableViewButton")->isEnabled());
        QVERIFY(window.findChild<QAction *>("actionClosedata")->isEnabled());

        // The next session drops the signature page and keeps the data-filter page.
        QPointer<QWidget> filterPage = window.cachedPages().value(MainWindow::DATA_FILTER_PAGE);
        window.changePage(MainWindow::CHART_VIEW_PAGE);
        QPointer<QWidget> chart = window.cachedPages().value(MainWindow::CHART_VIEW_PAGE);
        QPointer<QWidget> signature = window.cachedPages().value(MainWindow::DIGITAL_SIGN_PAGE);
        openSession(1 | 2 | 4 | 8 | 32, MoxB_FILTERED, QStringLiteral("/data/plant.qdb"));
        window.onSessionStarted();
        processDeferredDeletes();
        QCOMPARE(window.cachedPages().keys(),
                 (QList<MainWindow::EPageIndexes>{MainWindow::WELCOME_PAGE, MainWindow::DATA_FILTER_PAGE}));
        QCOMPARE(window.cachedPages().value(MainWindow::DATA_FILTER_PAGE), filterPage.data());
        QVERIFY(chart.isNull());
        QVERIFY(signature.isNull());
        QVERIFY(button(window, "reportViewButton")->isEnabled());
    }

    void onSessionStartedForAFile()
    {
        MainWindow window;
        window.setPageFactory(stubFactory());
        window.changePage(MainWindow::WELCOME_PAGE);
        openSession(2 | 4 | 8 | 32, ZelB, QStringLiteral("/data/meter.csv"));
        window.onSessionStarted();
        QCOMPARE(window.windowTitle(), QStringLiteral("/data/meter.csv - Quorlog"));
        QStackedWidget *stack = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("stubPage0"));
        QCOMPARE(built.value(1), 0);
        QVERIFY(button(window, "chartViewButton")->isEnabled());
        QVERIFY(!button(window, "dataFilterButton")->isEnabled());
    }

    void closeAction()
    {
        MainWindow window;
        window.setPageFactory(stubFactory());
        window.changePage(MainWindow::WELCOME_PAGE);
        QAction *close = window.findChild<QAction *>("actionClosedata");

        // Nothing open: nothing changes.
        window.setWindowTitle(QStringLiteral("untouched"));
        close->setEnabled(true);
        close->trigger();
        QCOMPARE(window.windowTitle(), QStringLiteral("untouched"));
        QCOMPARE(built.value(0), 1);

        openSession(2 | 4, ZelB, QStringLiteral("/data/meter.csv"));
        window.onSessionStarted();
        window.changePage(MainWindow::TABLE_VIEW_PAGE);
        QPointer<QWidget> welcome = window.cachedPages().value(MainWindow::WELCOME_PAGE);
        close->trigger();
        processDeferredDeletes();

        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QCOMPARE(window.windowTitle(), QStringLiteral("Quorlog"));
        QVERIFY(welcome.isNull()); // rebuilt, not kept
        QCOMPARE(built.value(0), 2);
        QCOMPARE(window.cachedPages().keys(), (QList<MainWindow::EPageIndexes>{MainWindow::WELCOME_PAGE}));
        QVERIFY(!close->isEnabled());
        for (const QString &name : viewButtons)
            QVERIFY(!button(window, name)->isEnabled());
    }

    void consoleToggle()
    {
        MainWindow window;
        window.show();
        QToolButton *consoleButton = button(window, "consoleButton");
        QFrame *frame = window.findChild<QFrame *>("consoleFrame");
        QCOMPARE(consoleButton->text(), QStringLiteral("SHOW CONSOLE"));
        QVERIFY(!frame->isVisible());

        consoleButton->click();
        QVERIFY(frame->isVisible());
        QCOMPARE(consoleButton->text(), QStringLiteral("HIDE CONSOLE"));

        // The console's own close button hides it through the same toggle.
        window.consoleWidget()->findChild<QToolButton *>("closeButton")->click();
        QVERIFY(!frame->isVisible());
        QVERIFY(!consoleButton->isChecked());
        QCOMPARE(consoleButton->text(), QStringLiteral("SHOW CONSOLE"));

        window.addConsoleMessage(QStringLiteral("hello"), 1);
        QCOMPARE(window.consoleWidget()->lineCount(), 1);
    }

    void showMsgBox_data()
    {
        QTest::addColumn<int>("icon");
        QTest::newRow("information") << 1;
        QTest::newRow("critical") << 3;
        QTest::newRow("out of range") << 9;
    }

    void showMsgBox()
    {
        QFETCH(int, icon);
        ScriptedPrompts prompts;
        MainWindow window;
        window.showMsgBox(QStringLiteral("Cannot open <file>"), QStringLiteral("Error"), icon);
        QCOMPARE(prompts.count(QStringLiteral("message")), 1);
        QCOMPARE(prompts.calls.first().title, QStringLiteral("Error"));
        QCOMPARE(prompts.calls.first().text, QStringLiteral("Cannot open <file>"));
    }

    void themeAppliedToShownPage()
    {
        MainWindow window;
        window.changePage(MainWindow::WELCOME_PAGE);
        QLabel *logo = window.findChild<QLabel *>(QStringLiteral("logo"));
        QVERIFY(logo);
        window.applyTheme(Framework::ThemeDark);
        QVERIFY(logo->styleSheet().contains(QLatin1String("logo_dark_en")));
        QCOMPARE(g_framework->additButtonColor1, QStringLiteral("#ffffff"));
        QVERIFY(!button(window, "tableViewButton")->icon().isNull());
        QVERIFY(!window.findChild<QAction *>("actionExit")->icon().isNull());
        window.applyTheme(Framework::ThemeLight);
        QVERIFY(logo->styleSheet().contains(QLatin1String("logo_light_en")));
    }

    void saveThemeIndex()
    {
        MainWindow window;
        window.saveThemeIndex(3);
        QSettings settings(g_framework->configFilePath, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("ThemeStyle/savedTheme")).toInt(), 3);
        window.saveThemeIndex(1);
    }

    void themeToggleOnlyToggles()
    {
        MainWindow window;
        QPushButton *toggle = window.findChild<QPushButton *>(QStringLiteral("themeToggle"));
        toggle->click();
        QVERIFY(toggle->isChecked());
        window.setThemeToggleUnchecked();
        QVERIFY(!toggle->isChecked());
    }

    void guideOpensAWindowEachTime()
    {
        MainWindow window;
        auto guides = [] {
            int n = 0;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<guidePage *>(w) && !w->testAttribute(Qt::WA_WState_Hidden))
                    ++n;
            return n;
        };
        const int before = guides();
        window.findChild<QAction *>("actionGuide")->trigger();
        window.findChild<QAction *>("actionGuide")->trigger();
        QCOMPARE(guides(), before + 2);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<guidePage *>(w)) {
                QCOMPARE(w->windowTitle(), QStringLiteral("Guide"));
                QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
                w->close();
            }
        }
    }

    // Qt ends the program when no visible top-level window that counts for
    // quitting is left: an open guide must not count.
    void programEndsWithTheMainWindow()
    {
        QPointer<MainWindow> window = new MainWindow();
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        window->findChild<QAction *>("actionGuide")->trigger();
        auto keepsRunning = [] {
            QStringList open;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && !w->parentWidget() && w->testAttribute(Qt::WA_QuitOnClose))
                    open << w->metaObject()->className();
            return open;
        };
        QCOMPARE(keepsRunning(), QStringList{QStringLiteral("MainWindow")});
        window->close();
        QCOMPARE(keepsRunning(), QStringList());
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<guidePage *>(w))
                w->close();
        processDeferredDeletes();
    }

    // In Polish the footer notice and the new-database filter are Polish too.
    void polishFooterAndDatabaseFilter()
    {
        QTranslator polish;
        QVERIFY(polish.load(QStringLiteral("qrlg_pl.qm"), QDir::currentPath()));
        QCoreApplication::installTranslator(&polish);
        {
            ScriptedPrompts prompts;
            MainWindow window;
            QCOMPARE(window.findChild<QLabel *>(QStringLiteral("statusBarLabel"))->text(),
                     QStringLiteral("Quorlog · archiwa pomiarów przyrządów elektrycznych i środowiskowych"));
            window.on_newDatabaseButton_clicked();
            QCOMPARE(prompts.calls.last().kind, QStringLiteral("save"));
            QCOMPARE(prompts.calls.last().text, QStringLiteral("Baza danych Quorlog (*.qdb)"));
        }
        QCoreApplication::removeTranslator(&polish);
        MainWindow english;
        QCOMPARE(english.findChild<QLabel *>(QStringLiteral("statusBarLabel"))->text(),
                 QStringLiteral("Quorlog · measurement archives of electrical and environmental instruments"));
    }

    void aboutRunsModally()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        window.findChild<QAction *>("actionAbout")->trigger();
        QCOMPARE(prompts.count(QStringLiteral("exec")), 1);
        QCOMPARE(prompts.calls.first().text, QStringLiteral("AboutDialog"));
    }

    void markLanguageAction_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("englishEnabled");
        QTest::addColumn<bool>("polishEnabled");
        QTest::newRow("en") << "en" << false << true;
        QTest::newRow("pl") << "pl" << true << false;
        QTest::newRow("unknown") << "de" << true << true;
    }

    void markLanguageAction()
    {
        QFETCH(QString, code);
        QFETCH(bool, englishEnabled);
        QFETCH(bool, polishEnabled);
        MainWindow window;
        window.markLanguageAction(code);
        QCOMPARE(window.findChild<QAction *>("actionEnglish")->isEnabled(), englishEnabled);
        QCOMPARE(window.findChild<QAction *>("actionPolski")->isEnabled(), polishEnabled);
    }

    void languageSwitchRebuildsTheWindow()
    {
        ScriptedPrompts prompts;
        g_framework->createMainWindow();
        QPointer<MainWindow> first = g_framework->mainWindow.data();
        QVERIFY(first);
        QVERIFY(!first->findChild<QAction *>("actionEnglish")->isEnabled());

        prompts.messageAnswers.enqueue(QMessageBox::Yes);
        first->findChild<QAction *>("actionPolski")->trigger();
        QCOMPARE(prompts.count(QStringLiteral("message")), 1);
        QCOMPARE(prompts.calls.first().text,
                 QStringLiteral("To apply the changes it is necessary to reload the program.\nDo you want to do this now?"));
        QPointer<MainWindow> second = g_framework->mainWindow.data();
        QVERIFY(second);
        QVERIFY(second != first);
        processDeferredDeletes();
        QVERIFY(first.isNull());

        QCOMPARE(currentLanguage(), QStringLiteral("pl"));
        QSettings settings(g_framework->configFilePath, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("lang")).toString(), QStringLiteral("pl"));
        // The new window speaks Polish and marks Polish as current.
        QCOMPARE(second->findChild<QToolButton *>("consoleButton")->text(), QStringLiteral("POKAŻ KONSOLĘ"));
        QCOMPARE(second->findChild<QToolButton *>("openDeviceButton")->text(), QStringLiteral("  WYBÓR URZĄDZENIA"));
        QVERIFY(!second->findChild<QAction *>("actionPolski")->isEnabled());
        QVERIFY(second->findChild<QAction *>("actionEnglish")->isEnabled());
        QCOMPARE(second->findChild<QStackedWidget *>("stackedWidget")->count(), 1);

        // The signals reach the new window, once each.
        emit g_framework->consoleMessage(QStringLiteral("after rebuild"), 1);
        QCOMPARE(second->consoleWidget()->lineCount(), 1);
        openSession(2, ZelB, QStringLiteral("/data/a.csv"));
        emit g_framework->sessioneStarted();
        QCOMPARE(second->windowTitle(), QStringLiteral("/data/a.csv - Quorlog"));

        // Back to English: again a single new window with single connections.
        prompts.messageAnswers.enqueue(QMessageBox::Yes);
        second->findChild<QAction *>("actionEnglish")->trigger();
        QPointer<MainWindow> third = g_framework->mainWindow.data();
        processDeferredDeletes();
        QVERIFY(second.isNull());
        QVERIFY(third);
        emit g_framework->consoleMessage(QStringLiteral("once"), 0);
        QCOMPARE(third->consoleWidget()->lineCount(), 1);
        QCOMPARE(third->findChild<QToolButton *>("consoleButton")->text(), QStringLiteral("SHOW CONSOLE"));
        QCOMPARE(currentLanguage(), QStringLiteral("en"));
        delete third.data();
    }

    void languageSwitchAnsweredNo()
    {
        ScriptedPrompts prompts;
        MainWindow window;
        g_framework->mainWindow = &window;
        prompts.messageAnswers.enqueue(QMessageBox::No);
        window.findChild<QAction *>("actionPolski")->trigger();
        QCOMPARE(g_framework->mainWindow.data(), &window);
        QCOMPARE(currentLanguage(), QStringLiteral("pl"));
        QSettings settings(g_framework->configFilePath, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("lang")).toString(), QStringLiteral("pl"));
        // The running window keeps its texts and its Language menu.
        QVERIFY(!window.findChild<QAction *>("actionEnglish")->isEnabled());
        QCOMPARE(window.findChild<QToolButton *>("consoleButton")->text(), QStringLiteral("SHOW CONSOLE"));

        g_framework->setLanguage(QStringLiteral("en"), false);
        g_framework->mainWindow = nullptr;
        QCOMPARE(currentLanguage(), QStringLiteral("en"));
    }
};

QUORLOG_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
