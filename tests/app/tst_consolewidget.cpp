// Console: line format, colours by level, escaping of data, theme changes
// keeping the lines, clear, close and scrolling.
#include "support/TestMain.h"

#include "app/ConsoleWidget.h"
#include "app/Framework.h"

#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

namespace {

QTextEdit *textEdit(ConsoleWidget &console)
{
    return console.findChild<QTextEdit *>(QStringLiteral("textEdit"));
}

// Colour and weight of the message part of a line (after the time stamp).
QTextCharFormat formatAt(ConsoleWidget &console, int blockNumber, int position)
{
    QTextBlock block = textEdit(console)->document()->findBlockByNumber(blockNumber);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + position);
    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    return cursor.charFormat();
}

void setColours(const QString &text, const QString &info, const QString &warning, const QString &error)
{
    g_framework->additButtonColor2 = text;
    g_framework->additButtonColor8 = info;
    g_framework->additButtonColor9 = warning;
    g_framework->additButtonColor10 = error;
}

const QRegularExpression linePattern(QStringLiteral("^\\[\\d{2}:\\d{2}:\\d{2}\\.\\d{3}\\] - (.*)$"),
                                     QRegularExpression::DotMatchesEverythingOption);

} // namespace

class TestConsoleWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        g_framework = new Framework();
    }

    void init()
    {
        setColours(QStringLiteral("#212121"), QStringLiteral("#3636da"), QStringLiteral("#ff7911"),
                   QStringLiteral("#d10d0d"));
    }

    void lineHtmlFormat()
    {
        const QDateTime time(QDate(2024, 3, 31), QTime(14, 3, 7, 45));
        QCOMPARE(ConsoleWidget::lineHtml(QStringLiteral("#3636da"), time, QStringLiteral("Session closed")),
                 QStringLiteral("<p style=\"margin: 0; color: #3636da;\">[14:03:07.045] - Session closed</p>"));
        // Midnight and a single-digit hour keep two digits.
        const QDateTime early(QDate(2024, 1, 1), QTime(0, 0, 0, 5));
        QVERIFY(ConsoleWidget::lineHtml(QStringLiteral("#000000"), early, QString()).contains(QLatin1String("[00:00:00.005] - </p>")));
    }

    void levelColours_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("colour");
        QTest::newRow("0 plain") << 0 << "#212121";
        QTest::newRow("1 information") << 1 << "#3636da";
        QTest::newRow("2 warning") << 2 << "#ff7911";
        QTest::newRow("3 error") << 3 << "#d10d0d";
        QTest::newRow("4 plain") << 4 << "#212121";
        QTest::newRow("-1 plain") << -1 << "#212121";
    }

    void levelColours()
    {
        QFETCH(int, level);
        QFETCH(QString, colour);
        ConsoleWidget console;
        QCOMPARE(console.colorForLevel(level), colour);
        console.addMsg(QStringLiteral("message"), level);
        const QString plain = textEdit(console)->toPlainText();
        const QRegularExpressionMatch match = linePattern.match(plain);
        QVERIFY2(match.hasMatch(), qPrintable(plain));
        QCOMPARE(match.captured(1), QStringLiteral("message"));
        QCOMPARE(formatAt(console, 0, 0).foreground().color(), QColor(colour));
        QCOMPARE(formatAt(console, 0, plain.size() - 1).foreground().color(), QColor(colour));
    }

    void oneArgumentIsPlain()
    {
        ConsoleWidget console;
        console.addMsg(QStringLiteral("plain"));
        QCOMPARE(formatAt(console, 0, 2).foreground().color(), QColor(QStringLiteral("#212121")));
    }

    void emptyMessageStillHasTimeStamp()
    {
        ConsoleWidget console;
        console.addMsg(QString(), 2);
        const QRegularExpressionMatch match = linePattern.match(textEdit(console)->toPlainText());
        QVERIFY(match.hasMatch());
        QVERIFY(match.captured(1).isEmpty());
    }

    void dataIsEscaped_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("bold markup") << "<b>not bold</b>";
        QTest::newRow("path") << "/home/u/<archive> & \"copy\".csv";
        QTest::newRow("database error") << "near \"<\": syntax error </p><p style=\"color:red\">x";
        QTest::newRow("image tag") << "<img src=\"/etc/passwd\">";
    }

    void dataIsEscaped()
    {
        QFETCH(QString, message);
        ConsoleWidget console;
        console.addMsg(message, 3);
        const QString plain = textEdit(console)->toPlainText();
        const QRegularExpressionMatch match = linePattern.match(plain);
        QVERIFY2(match.hasMatch(), qPrintable(plain));
        QCOMPARE(match.captured(1), message);
        QCOMPARE(textEdit(console)->document()->blockCount(), 1);
        QCOMPARE(formatAt(console, 0, plain.size() - 1).foreground().color(), QColor(QStringLiteral("#d10d0d")));
        QVERIFY(formatAt(console, 0, plain.size() - 1).fontWeight() != QFont::Bold);
    }

    void lineBreaksInData()
    {
        ConsoleWidget console;
        console.addMsg(QStringLiteral("first\nsecond"), 1);
        const QString plain = textEdit(console)->toPlainText();
        QVERIFY(plain.contains(QLatin1String("first")));
        QVERIFY(plain.contains(QLatin1String("second")));
        QVERIFY(!plain.contains(QLatin1String("<br>")));
    }

    void programMarkupIsKept()
    {
        ConsoleWidget console;
        console.addMarkupMsg(QStringLiteral("<b>bold</b> rest"), 1);
        const QString plain = textEdit(console)->toPlainText();
        QVERIFY(plain.endsWith(QLatin1String("] - bold rest")));
        const int boldAt = plain.indexOf(QLatin1String("bold"));
        QCOMPARE(formatAt(console, 0, boldAt).fontWeight(), int(QFont::Bold));
    }

    void themeChangeKeepsLinesInNewColours()
    {
        ConsoleWidget console;
        console.addMsg(QStringLiteral("info"), 1);
        console.addMsg(QStringLiteral("<warn>"), 2);
        console.addMarkupMsg(QStringLiteral("<i>plain</i>"), 0);
        const QString before = textEdit(console)->toPlainText();

        setColours(QStringLiteral("#f0f0f0"), QStringLiteral("#5a96fa"), QStringLiteral("#ffa967"),
                   QStringLiteral("#ff6666"));
        console.updateIcons();

        QCOMPARE(textEdit(console)->toPlainText(), before);
        QCOMPARE(console.lineCount(), 3);
        QCOMPARE(textEdit(console)->document()->blockCount(), 3);
        QCOMPARE(formatAt(console, 0, 1).foreground().color(), QColor(QStringLiteral("#5a96fa")));
        QCOMPARE(formatAt(console, 1, 1).foreground().color(), QColor(QStringLiteral("#ffa967")));
        QCOMPARE(formatAt(console, 2, 1).foreground().color(), QColor(QStringLiteral("#f0f0f0")));
        QVERIFY(formatAt(console, 2, before.split('\n').at(2).size() - 1).fontItalic());

        console.addMsg(QStringLiteral("new"), 3);
        QCOMPARE(formatAt(console, 3, 1).foreground().color(), QColor(QStringLiteral("#ff6666")));
    }

    // The theme is applied again on every change of page: with unchanged
    // colours the lines are left alone, and the user's scroll position too.
    void sameColoursLeaveTheLines()
    {
        ConsoleWidget console;
        console.resize(400, 120);
        console.show();
        for (int i = 0; i < 60; ++i)
            console.addMsg(QStringLiteral("line %1").arg(i), i % 4);
        QScrollBar *bar = textEdit(console)->verticalScrollBar();
        bar->setValue(0);
        const int revision = textEdit(console)->document()->revision();
        console.updateIcons();
        QCOMPARE(textEdit(console)->document()->revision(), revision);
        QCOMPARE(bar->value(), 0);

        g_framework->additButtonColor9 = QStringLiteral("#123456");
        console.updateIcons();
        QVERIFY(textEdit(console)->document()->revision() != revision);
        QCOMPARE(textEdit(console)->document()->blockCount(), 60);
        QCOMPARE(formatAt(console, 2, 1).foreground().color(), QColor(QStringLiteral("#123456")));
    }

    void clearAndClose()
    {
        ConsoleWidget console;
        console.addMsg(QStringLiteral("a"), 1);
        console.addMsg(QStringLiteral("b"), 2);
        console.findChild<QToolButton *>(QStringLiteral("clearButton"))->click();
        QVERIFY(textEdit(console)->toPlainText().isEmpty());
        QCOMPARE(console.lineCount(), 0);
        // Cleared lines do not come back with the next theme change.
        console.updateIcons();
        QVERIFY(textEdit(console)->toPlainText().isEmpty());

        QSignalSpy closed(&console, &ConsoleWidget::closeButtonClicked);
        console.show();
        console.findChild<QToolButton *>(QStringLiteral("closeButton"))->click();
        QCOMPARE(closed.count(), 1);
        QVERIFY(console.isVisible()); // the window hides it, not the console itself
    }

    void iconsFollowTheTheme()
    {
        g_framework->additButtonColor1 = QStringLiteral("#ff0000");
        ConsoleWidget console;
        const QIcon icon = console.findChild<QToolButton *>(QStringLiteral("clearButton"))->icon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(24, 24).toImage();
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y)
            for (int x = 0; x < image.width() && !red; ++x)
                red = qAlpha(image.pixel(x, y)) == 255 && QColor(image.pixel(x, y)) == QColor(Qt::red);
        QVERIFY(red);
    }

    // The newest line stays in view through new lines and resizes, until
    // the user scrolls up; back at the end the console follows again.
    void newestLineStaysInView()
    {
        ConsoleWidget console;
        console.resize(400, 120);
        console.show();
        for (int i = 0; i < 60; ++i)
            console.addMsg(QStringLiteral("line %1").arg(i), i % 4);
        QScrollBar *bar = textEdit(console)->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());

        // A smaller window (the splitter moved, the main window resized).
        console.resize(300, 80);
        QTest::qWait(20);
        QCOMPARE(bar->value(), bar->maximum());
        console.resize(500, 200);
        QTest::qWait(20);
        QCOMPARE(bar->value(), bar->maximum());

        bar->setValue(0);
        console.addMsg(QStringLiteral("while reading older lines"), 1);
        QCOMPARE(bar->value(), 0);
        console.resize(300, 80);
        QTest::qWait(20);
        QCOMPARE(bar->value(), 0);

        bar->setValue(bar->maximum());
        console.addMsg(QStringLiteral("latest"), 1);
        QCOMPARE(bar->value(), bar->maximum());
    }

    // Lines written while the console is hidden are in view when it is shown.
    void hiddenConsoleShowsTheNewestLine()
    {
        QWidget frame;
        frame.resize(400, 300);
        ConsoleWidget *console = new ConsoleWidget(&frame);
        console->setGeometry(0, 0, 400, 120);
        frame.show();
        console->hide();
        for (int i = 0; i < 60; ++i)
            console->addMsg(QStringLiteral("line %1").arg(i), 0);
        console->show();
        QTest::qWait(20);
        QScrollBar *bar = textEdit(*console)->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
    }
};

QUORLOG_TEST_MAIN(TestConsoleWidget)
#include "tst_consolewidget.moc"
