// OPEN DATABASE on a database made to the schema alone (tables, none of the
// program's indexes): the open builds the indexes on its task, behind its
// progress window, while the window's thread keeps serving; Cancel there ends
// the open and leaves the file as it was; once built, an open builds nothing.
#include "support/DbTestUtil.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "app/Framework.h"
#include "app/ConsoleWidget.h"
#include "app/MainWindow.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "ui_DataFilterPage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

namespace {

// Enough that each Data index takes a good part of a second to build.
constexpr int kValues = 1500000;
constexpr int kParameters = 10;

const QString kAllIndexes[] = {QStringLiteral("idx_Data_dateTime"), QStringLiteral("idx_Data_idParameters_dateTime"),
                               QStringLiteral("idx_Parameters_idDevices_name")};

QStringList indexNames(const QString &path)
{
    QStringList names;
    for (const QString &line : testdb::contentDigest(path))
        if (line.startsWith(QLatin1String("index|")))
            names << line.section(QLatin1Char('|'), 1, 1);
    return names;
}

QString utcText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// An older database whose Data table lacks the column its indexes are on.
bool makeUnindexableDatabase(const QString &path)
{
    if (!testdb::makeSchemaOnlyDatabase(path, 1000, kParameters))
        return false;
    const QString name = QStringLiteral("fixture");
    QSqlDatabase db = testdb::open(name, path);
    const bool dropped = testdb::exec(db, {QStringLiteral("ALTER TABLE Data DROP COLUMN dateTime")}).isEmpty();
    db = QSqlDatabase();
    Connections::remove(name);
    return dropped;
}

QString preparingLine(const QString &path)
{
    return QStringLiteral("Preparing the database %1: building the indexes it lacks. This is done once and may take "
                          "a while for a large database.")
        .arg(path);
}

// What a 10 ms timer on the window's thread saw during one open.
struct Watched
{
    qint64 maxGapMs = 0;
    qint64 openMs = 0;
    qint64 cancelToEndMs = -1; // from the click on Cancel to the open's end
    bool windowAllAlong = true; // a progress window in view at every tick while the task ran, until a cancel
    QStringList labels;         // the texts the progress window showed, in order
};

} // namespace

class TestOpeningIndexes : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QString path;

    MainWindow *window() { return g_framework->mainWindow.data(); }
    DataFilterPage *page()
    {
        return qobject_cast<DataFilterPage *>(window()->cachedPages().value(MainWindow::DATA_FILTER_PAGE));
    }
    void closeSession()
    {
        window()->on_actionClosedata_triggered();
        endPoolThreads();
    }

    // OPEN DATABASE as the user clicks it, the file chosen in the dialog.
    // cancelAt > 0: Cancel is clicked in the progress window once it shows
    // that index being built.
    Watched openThroughWindow(int cancelAt = 0)
    {
        Watched w;
        prompts->fileAnswers.enqueue(path);
        const QString cancelLabel = QStringLiteral("Building the database indexes (%1 of ").arg(cancelAt);
        bool cancelled = false;
        // The open task's last line; the page it opens may follow.
        QAtomicInt taskEnded(0);
        const QMetaObject::Connection lines = connect(
            g_framework, &Framework::consoleMessage, g_framework,
            [&taskEnded](const QString &text, int) {
                if (text.startsWith(QLatin1String("Session opened in: ")) || text == QLatin1String("Session closed"))
                    taskEnded.storeRelease(1);
            },
            Qt::DirectConnection);
        QElapsedTimer sinceTick, sinceCancel, open;
        QTimer user;
        user.setInterval(10);
        connect(&user, &QTimer::timeout, [&]() {
            w.maxGapMs = qMax(w.maxGapMs, sinceTick.restart());
            QProgressDialog *shown = nullptr;
            for (QProgressDialog *dialog : window()->findChildren<QProgressDialog *>())
                if (dialog->isVisible())
                    shown = dialog;
            if (!shown) {
                w.windowAllAlong = w.windowAllAlong && (cancelled || taskEnded.loadAcquire());
                return;
            }
            if (w.labels.value(w.labels.size() - 1) != shown->labelText().section(QLatin1Char('\n'), -1))
                w.labels << shown->labelText().section(QLatin1Char('\n'), -1);
            if (cancelAt > 0 && !cancelled && shown->labelText().section(QLatin1Char('\n'), -1).startsWith(cancelLabel)) {
                if (QPushButton *cancel = shown->findChild<QPushButton *>()) {
                    cancelled = true;
                    sinceCancel.start();
                    cancel->click();
                }
            }
        });
        user.start();
        sinceTick.start();
        open.start();
        window()->findChild<QToolButton *>(QStringLiteral("openDatabaseButton"))->click();
        w.openMs = open.elapsed();
        if (cancelled)
            w.cancelToEndMs = sinceCancel.elapsed();
        user.stop();
        disconnect(lines);
        settle();
        return w;
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        path = QDir(QDir::tempPath()).filePath(QStringLiteral("older.qdb"));
    }

    void cleanupTestCase()
    {
        closeSession();
        delete prompts;
    }

    void init()
    {
        closeSession();
        prompts->calls.clear();
        window()->consoleWidget()->findChild<QTextEdit *>()->clear();
    }

    // The build runs behind the open's progress window, which names it; the
    // console says what is prepared; the window's thread serves its timer
    // all along; afterwards the indexes are there and the page shows the
    // period. Opened again, nothing is built and nothing said about it.
    void openBuildsIndexesOnce()
    {
        QVERIFY(testdb::makeSchemaOnlyDatabase(path, kValues, kParameters));
        const QStringList before = testdb::contentDigest(path);
        QCOMPARE(indexNames(path), QStringList());

        const Watched first = openThroughWindow();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY2(first.windowAllAlong, qPrintable(first.labels.join(QLatin1String(" / "))));
        QVERIFY2(first.maxGapMs < 1000, qPrintable(QString::number(first.maxGapMs)));
        // The index of the few parameters is made at once; the two of the
        // values each show.
        QVERIFY2(first.labels.contains(QStringLiteral("Building the database indexes (2 of 3)...")),
                 qPrintable(first.labels.join(QLatin1String(" / "))));
        QVERIFY2(first.labels.contains(QStringLiteral("Building the database indexes (3 of 3)...")),
                 qPrintable(first.labels.join(QLatin1String(" / "))));
        QStringList lines = windowConsoleLines();
        QVERIFY2(lines.contains(preparingLine(path)), qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY2(lines.filter(QStringLiteral("Session opened in: ")).size() == 1,
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);

        QVERIFY(page());
        QCOMPARE(page()->form()->firstDateValueLabel->text(), utcText(testdb::kSchemaOnlyFirst));
        QCOMPARE(page()->form()->lastDateValueLabel->text(),
                 utcText(testdb::kSchemaOnlyFirst + qint64(kValues / kParameters - 1) * 1000));
        closeSession();
        QStringList names = indexNames(path);
        names.sort();
        QCOMPARE(names, QStringList(std::begin(kAllIndexes), std::end(kAllIndexes)));
        // Besides the indexes, nothing changed.
        const QStringList after = testdb::contentDigest(path);
        QCOMPARE(after.filter(QRegularExpression(QStringLiteral("^(?!index\\|)"))), before);

        window()->consoleWidget()->findChild<QTextEdit *>()->clear();
        const Watched second = openThroughWindow();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        lines = windowConsoleLines().replaceInStrings(path, QStringLiteral("<file>"));
        QVERIFY2(lines.filter(QStringLiteral("index")).isEmpty(), qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY2(second.labels.filter(QStringLiteral("index")).isEmpty(),
                 qPrintable(second.labels.join(QLatin1String(" / "))));
        QVERIFY2(second.openMs < 1000, qPrintable(QString::number(second.openMs)));
        QCOMPARE(page()->form()->firstDateValueLabel->text(), utcText(testdb::kSchemaOnlyFirst));
    }

    // Cancel while the largest index is being built: the open ends at once,
    // no session, and the file holds what it held (no index, not even the
    // ones finished before). The next open builds them.
    void cancelLeavesFileAsItWas()
    {
        QVERIFY(testdb::makeSchemaOnlyDatabase(path, kValues, kParameters));
        const QStringList before = testdb::contentDigest(path);

        const Watched cancelled = openThroughWindow(2);
        QVERIFY2(cancelled.cancelToEndMs >= 0, qPrintable(cancelled.labels.join(QLatin1String(" / "))));
        QVERIFY2(cancelled.cancelToEndMs < 1000, qPrintable(QString::number(cancelled.cancelToEndMs)));
        QVERIFY2(cancelled.maxGapMs < 1000, qPrintable(QString::number(cancelled.maxGapMs)));
        QVERIFY(cancelled.windowAllAlong);
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!page());
        const QStringList lines = windowConsoleLines();
        QVERIFY2(lines.contains(QStringLiteral("Opening the database was canceled while its indexes were being built; "
                                               "the file %1 is left as it was.")
                                    .arg(path)),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(lines.filter(QStringLiteral("Session opened in: ")).isEmpty());
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        endPoolThreads();
        QCOMPARE(testdb::contentDigest(path), before);

        const Watched again = openThroughWindow();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QVERIFY2(!again.labels.filter(QStringLiteral("Building the database indexes (")).isEmpty(),
                 qPrintable(again.labels.join(QLatin1String(" / "))));
        QCOMPARE(indexNames(path).size(), 3);
    }

    // An index that cannot be built (its column is missing) does not stop
    // the open: the console says why, nothing of the build stays, and the
    // schema upgrade then adds the column.
    void failedBuildStillOpens()
    {
        QVERIFY(makeUnindexableDatabase(path));
        openThroughWindow();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        const QStringList lines = windowConsoleLines();
        const QStringList failed =
            lines.filter(QStringLiteral("The indexes of the database %1 could not be built: ").arg(path));
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed.first().contains(QStringLiteral("dateTime")), qPrintable(failed.first()));
        QVERIFY(failed.first().endsWith(QStringLiteral(". It opens without them; look-ups in it may be slow.")));
        QVERIFY(lines.contains(QStringLiteral("The Quorlog database has been updated.")));
        QCOMPARE(prompts->count(QStringLiteral("message")), 0);
        closeSession();
        QCOMPARE(indexNames(path), QStringList());
    }

    // A Polish user reads the build's texts in Polish.
    void polishTexts()
    {
        QVERIFY(makeUnindexableDatabase(path));
        QTranslator polish;
        QVERIFY(polish.load(QStringLiteral(QUORLOG_BIN_DIR "/qrlg_pl.qm")));
        QCoreApplication::installTranslator(&polish);
        openThroughWindow();
        const QString label = QCoreApplication::translate("Framework", "Building the database indexes (%1 of %2)...");
        const QString cancelled = QCoreApplication::translate(
            "Framework",
            "Opening the database was canceled while its indexes were being built; the file %1 is left as it was.");
        QCoreApplication::removeTranslator(&polish);

        const QStringList lines = windowConsoleLines();
        QVERIFY2(lines.contains(QStringLiteral("Przygotowanie bazy danych %1: budowa brakujących indeksów. Odbywa "
                                               "się to jednorazowo i przy dużej bazie może potrwać.")
                                    .arg(path)),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(lines.filter(QStringLiteral("Nie udało się zbudować indeksów bazy danych %1: ").arg(path)).size(),
                 1);
        QCOMPARE(label, QStringLiteral("Budowa indeksów bazy danych (%1 z %2)..."));
        QCOMPARE(cancelled, QStringLiteral("Otwieranie bazy danych anulowano podczas budowy jej indeksów; plik %1 "
                                           "pozostał bez zmian."));
    }
};

QUORLOG_TEST_MAIN(TestOpeningIndexes)
#include "tst_openingindexes.moc"
