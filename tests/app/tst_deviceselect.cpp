// Device selection dialog: the picture buttons and their places, the value
// each returns, closing without a choice, and the example mode.
#include "support/TestMain.h"

#include "app/DeviceSelectDialog.h"
#include "common/Prompts.h"

#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QToolBox>
#include <QToolButton>

namespace {

const QString examplesRoot = QStringLiteral(":/examples/_resources/examples/");

// The example folders that hold at least one file, named as the folders are.
QStringList exampleFoldersWithFiles()
{
    QStringList names;
    const QStringList folders = QDir(examplesRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : folders)
        if (!QDir(examplesRoot + name).entryList(QDir::Files).isEmpty())
            names << name;
    return names;
}

QStringList enabledButtons(const DeviceSelectDialog &dialog)
{
    QStringList names;
    for (QToolButton *button : dialog.findChildren<QToolButton *>())
        if (button->objectName().contains(QLatin1String("button")) && button->isEnabled())
            names << button->objectName();
    names.sort();
    return names;
}

} // namespace

class TestDeviceSelect : public QObject
{
    Q_OBJECT

private slots:
    void formAndWindow()
    {
        DeviceSelectDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select device type"));
        QCOMPARE(dialog.size(), QSize(460, 570));
        QCOMPARE(dialog.chosenDeviceType(), int(DEVICE_UNDEFINED));
        QVERIFY(dialog.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("label"))->text(), QStringLiteral("Devices:"));

        QToolBox *box = dialog.findChild<QToolBox *>(QStringLiteral("AppDevices_toolBox"));
        QVERIFY(box);
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(box->itemText(0), QStringLiteral("Power network meters and analyzers"));
        QCOMPARE(box->itemText(1), QStringLiteral("Recorders"));
        QCOMPARE(box->itemText(2), QStringLiteral("Transducers"));

        // 18 model buttons, all enabled until the example mode is asked for.
        QCOMPARE(enabledButtons(dialog).size(), 18);
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("result");

        QTest::newRow("ZelDX") << "ZelDX_button" << "ZelDX" << 0 << 0 << 0 << 19;
        QTest::newRow("ZelD") << "ZelD_button" << "ZelD" << 0 << 0 << 1 << 2;
        QTest::newRow("ZelC") << "ZelC_button" << "ZelC" << 0 << 0 << 2 << 3;
        QTest::newRow("ZelB") << "ZelB_button" << "ZelB" << 0 << 1 << 0 << 4;
        QTest::newRow("Vanta") << "Vanta_button" << "Vanta" << 0 << 1 << 1 << 14;
        QTest::newRow("Ostra") << "Ostra_button" << "Ostra" << 0 << 1 << 2 << 5;
        QTest::newRow("ZelA") << "ZelA_button" << "ZelA" << 0 << 2 << 0 << 15;
        QTest::newRow("QuilA") << "QuilAbutton" << "QuilA" << 1 << 0 << 0 << 9;
        QTest::newRow("QuilBIoT") << "QuilBIoT_button" << "QuilB IoT" << 1 << 0 << 1 << 12;
        QTest::newRow("QuilC") << "QuilC_button" << "QuilC" << 1 << 0 << 4 << 13;
        QTest::newRow("Brena") << "Brenabutton" << "Brena" << 1 << 1 << 0 << 10;
        QTest::newRow("MoxA") << "MoxA_button" << "MoxA" << 1 << 1 << 1 << 20;
        QTest::newRow("MoxB") << "MoxB_button" << "MoxB" << 1 << 1 << 4 << 17;
        QTest::newRow("WexB") << "WexB_button" << "WexB" << 2 << 0 << 0 << 7;
        QTest::newRow("WexA") << "WexA_button" << "WexA" << 2 << 0 << 1 << 6;
        QTest::newRow("WexC") << "WexC_button" << "WexC" << 2 << 0 << 2 << 8;
        QTest::newRow("WexD") << "WexD_button" << "WexD" << 2 << 1 << 0 << 11;
        QTest::newRow("Ravel") << "Ravel_button" << "Ravel" << 2 << 1 << 1 << 16;
    }

    // Each button sits in its page and cell, shows a picture and returns its type.
    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QString, text);
        QFETCH(int, page);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, result);

        ScriptedPrompts prompts;
        QPointer<DeviceSelectDialog> dialog = new DeviceSelectDialog();
        QToolButton *b = dialog->findChild<QToolButton *>(button);
        QVERIFY(b);
        QCOMPARE(b->text(), text);
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(b->iconSize(), QSize(100, 100));
        QCOMPARE(b->minimumSize(), QSize(140, 140));
        QVERIFY(!b->icon().pixmap(100, 100).isNull());
        QCOMPARE(dialog->buttonOf(avaibleDevices_t(result)), b);

        QToolBox *box = dialog->findChild<QToolBox *>(QStringLiteral("AppDevices_toolBox"));
        QVERIFY(box->widget(page)->isAncestorOf(b));
        const char *layouts[] = {"gridLayout", "gridLayout_2", "gridLayout_3"};
        QGridLayout *grid = dialog->findChild<QGridLayout *>(QLatin1String(layouts[page]));
        QVERIFY(grid);
        const int at = grid->indexOf(b);
        QVERIFY(at >= 0);
        int r = -1, c = -1, rs = 0, cs = 0;
        grid->getItemPosition(at, &r, &c, &rs, &cs);
        QCOMPARE(r, row);
        QCOMPARE(c, column);

        prompts.execAnswers.enqueue([button](QDialog *d) {
            d->findChild<QToolButton *>(button)->click();
            return d->result();
        });
        QCOMPARE(int(dialog->selectDevice()), result);
        QCOMPARE(prompts.count(QStringLiteral("exec")), 1);
        delete dialog;
    }

    // The same with a real modal run: a click ends the loop with the type.
    void modalRunReturnsClickedType()
    {
        DeviceSelectDialog dialog;
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.findChild<QToolButton *>("MoxB_button")->click(); });
        QCOMPARE(dialog.selectDevice(), MoxB);
        QVERIFY(!dialog.isVisible());
    }

    void closedWithoutChoice_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("close button") << false;
    }

    void closedWithoutChoice()
    {
        QFETCH(bool, escape);
        DeviceSelectDialog dialog;
        QTimer::singleShot(0, &dialog, [&dialog, escape] {
            if (escape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.close();
        });
        QCOMPARE(dialog.selectDevice(), DEVICE_UNDEFINED);
        QVERIFY(!dialog.isVisible());
    }

    // Example mode: exactly the models whose example folder holds a file.
    void exampleMode()
    {
        const QStringList folders = exampleFoldersWithFiles();
        DeviceSelectDialog dialog;
        dialog.enableExampleDevices();
        QStringList expected;
        for (const QString &name : folders) {
            DeviceSelectDialog probe;
            probe.disableAllButtons();
            probe.enableButtonForFolder(name);
            const QStringList one = enabledButtons(probe);
            QCOMPARE(one.size(), 1); // every example folder is named after a model
            expected << one;
        }
        expected.sort();
        QVERIFY(!expected.isEmpty());
        QCOMPARE(enabledButtons(dialog), expected);
        // Folders of models that share a button picture still enable only their own.
        QVERIFY(expected.contains(QStringLiteral("WexB_button")));
        QVERIFY(!dialog.findChild<QToolButton *>("WexD_button")->isEnabled());
        // Only the models of the program's example list can be chosen.
        const QStringList offered{"ZelB", "ZelC", "ZelD", "ZelDX", "Vanta", "QuilA", "MoxA", "MoxB", "WexB", "WexC"};
        for (const QString &name : folders)
            QVERIFY2(offered.contains(name), qPrintable(name));
        for (const char *button : {"ZelA_button", "Ostra_button", "Ravel_button", "WexA_button", "QuilBIoT_button",
                                   "QuilC_button"})
            QVERIFY2(!dialog.findChild<QToolButton *>(QLatin1String(button))->isEnabled(), button);
    }

    void folderNames_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("enabled"); // empty: nothing
        QTest::newRow("ZelB") << "ZelB" << "ZelB_button";
        QTest::newRow("QuilBIoT without blank") << "QuilBIoT" << "QuilBIoT_button";
        QTest::newRow("label with blank") << "QuilB IoT" << "";
        QTest::newRow("letter case") << "zelb" << "";
        QTest::newRow("unknown") << "Foo" << "";
        QTest::newRow("application database") << "INTERNAL_DB" << "";
        QTest::newRow("ZelD answers with the ZelC picture") << "ZelD" << "ZelD_button";
        QTest::newRow("WexD") << "WexD" << "WexD_button";
    }

    void folderNames()
    {
        QFETCH(QString, folder);
        QFETCH(QString, enabled);
        DeviceSelectDialog dialog;
        dialog.disableAllButtons();
        QVERIFY(enabledButtons(dialog).isEmpty());
        dialog.enableButtonForFolder(folder);
        QCOMPARE(enabledButtons(dialog), enabled.isEmpty() ? QStringList() : QStringList{enabled});
    }

    // A disabled button cannot be chosen in example mode.
    void disabledButtonCannotChoose()
    {
        ScriptedPrompts prompts;
        DeviceSelectDialog dialog;
        dialog.disableAllButtons();
        prompts.execAnswers.enqueue([](QDialog *d) {
            d->findChild<QToolButton *>("ZelA_button")->click();
            return int(QDialog::Rejected);
        });
        QCOMPARE(dialog.selectDevice(), DEVICE_UNDEFINED);
    }
};

QUORLOG_TEST_MAIN(TestDeviceSelect)
#include "tst_deviceselect.moc"
