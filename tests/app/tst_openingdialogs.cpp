// The source kind dialogs: what each answers for OK, Cancel, Escape and the
// title bar's close, and the settings-file question dialog.
#include "support/TestMain.h"

#include "app/MoxBSourceDataSelectorDialog.h"
#include "app/SettingFileDialog.h"
#include "app/SourceDataSelectorDialog.h"
#include "common/Prompts.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

QAbstractButton *boxButton(QDialog &dialog, QDialogButtonBox::StandardButton which)
{
    return dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))->button(which);
}

// How a test ends the dialog.
enum Ending { PressOk, PressCancel, PressEscape, CloseWindow };

void end(QDialog &dialog, Ending ending)
{
    switch (ending) {
    case PressOk: boxButton(dialog, QDialogButtonBox::Ok)->click(); break;
    case PressCancel: boxButton(dialog, QDialogButtonBox::Cancel)->click(); break;
    case PressEscape: QTest::keyClick(&dialog, Qt::Key_Escape); break;
    case CloseWindow: dialog.close(); break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Ending)

class TestOpeningDialogs : public QObject
{
    Q_OBJECT

private slots:
    void zelCForm()
    {
        SourceDataSelectorDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select file type"));
        QCOMPARE(dialog.size(), QSize(315, 200));
        QVERIFY(dialog.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QCOMPARE(dialog.findChild<QGroupBox *>()->title(), QStringLiteral("Source file"));
        const QStringList names{"radioButton_DataFile", "radioButton_AuditFile", "radioButton_DeepSwellFile",
                                "radioButton_AlarFile"};
        const QStringList texts{"Data file", "Audit file", "Dip and swell file", "Alarm file"};
        for (int i = 0; i < names.size(); ++i) {
            QRadioButton *radio = dialog.findChild<QRadioButton *>(names[i]);
            QVERIFY2(radio, qPrintable(names[i]));
            QCOMPARE(radio->text(), texts[i]);
            QCOMPARE(radio->isChecked(), i == 0);
        }
        QCOMPARE(dialog.findChild<QDialogButtonBox *>("buttonBox")->orientation(), Qt::Vertical);
        QCOMPARE(dialog.selectedSourceTypeFile, 1);
    }

    void zelCKinds_data()
    {
        QTest::addColumn<QString>("radio"); // empty: the preset choice
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("result");

        QTest::newRow("OK at once: data archive") << "" << PressOk << 1 << int(QDialog::Accepted);
        QTest::newRow("data") << "radioButton_DataFile" << PressOk << 1 << int(QDialog::Accepted);
        QTest::newRow("audit") << "radioButton_AuditFile" << PressOk << 2 << int(QDialog::Accepted);
        QTest::newRow("dip and swell") << "radioButton_DeepSwellFile" << PressOk << 3 << int(QDialog::Accepted);
        QTest::newRow("alarm") << "radioButton_AlarFile" << PressOk << 4 << int(QDialog::Accepted);
        QTest::newRow("Cancel") << "radioButton_AuditFile" << PressCancel << 0 << int(QDialog::Rejected);
        // Escape and the title bar give 0 as well, never the last choice.
        QTest::newRow("Escape after a choice") << "radioButton_AlarFile" << PressEscape << 0 << int(QDialog::Rejected);
        QTest::newRow("Escape at once") << "" << PressEscape << 0 << int(QDialog::Rejected);
        QTest::newRow("closed after a choice") << "radioButton_AuditFile" << CloseWindow << 0 << int(QDialog::Rejected);
    }

    void zelCKinds()
    {
        QFETCH(QString, radio);
        QFETCH(Ending, ending);
        QFETCH(int, kind);
        QFETCH(int, result);

        SourceDataSelectorDialog dialog;
        QTimer::singleShot(0, &dialog, [&] {
            if (!radio.isEmpty())
                QTest::mouseClick(dialog.findChild<QRadioButton *>(radio), Qt::LeftButton);
            end(dialog, ending);
        });
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.selectedSourceTypeFile, kind);
        QVERIFY(!dialog.isVisible());
    }

    void moxBForm()
    {
        MoxBSourceDataSelectorDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select file type"));
        QCOMPARE(dialog.size(), QSize(311, 212));
        QVERIFY(dialog.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QCOMPARE(dialog.findChild<QGroupBox *>()->title(), QStringLiteral("Source file"));
        const QStringList names{"radioButton_DataSqlite3File", "radioButton_AuditCSVFile", "radioButton_AlarmCSVFile"};
        const QStringList texts{"Data file ", "Audit file ", "Alarm file "};
        for (int i = 0; i < names.size(); ++i) {
            QRadioButton *radio = dialog.findChild<QRadioButton *>(names[i]);
            QVERIFY2(radio, qPrintable(names[i]));
            QCOMPARE(radio->text(), texts[i]);
            QCOMPARE(radio->isChecked(), i == 0);
        }
        QCOMPARE(dialog.selectedSourceTypeFile, 0);
    }

    void moxBKinds_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("result");

        QTest::newRow("OK at once: data") << "" << PressOk << 1 << int(QDialog::Accepted);
        QTest::newRow("audit") << "radioButton_AuditCSVFile" << PressOk << 2 << int(QDialog::Accepted);
        QTest::newRow("alarm") << "radioButton_AlarmCSVFile" << PressOk << 3 << int(QDialog::Accepted);
        QTest::newRow("back to data") << "radioButton_DataSqlite3File" << PressOk << 1 << int(QDialog::Accepted);
        QTest::newRow("Cancel") << "radioButton_AlarmCSVFile" << PressCancel << 0 << int(QDialog::Rejected);
        QTest::newRow("Escape") << "radioButton_AuditCSVFile" << PressEscape << 0 << int(QDialog::Rejected);
        QTest::newRow("closed") << "" << CloseWindow << 0 << int(QDialog::Rejected);
    }

    void moxBKinds()
    {
        QFETCH(QString, radio);
        QFETCH(Ending, ending);
        QFETCH(int, kind);
        QFETCH(int, result);

        ScriptedPrompts prompts;
        MoxBSourceDataSelectorDialog dialog;
        QTimer::singleShot(0, &dialog, [&] {
            if (!radio.isEmpty())
                QTest::mouseClick(dialog.findChild<QRadioButton *>(radio), Qt::LeftButton);
            end(dialog, ending);
        });
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.selectedSourceTypeFile, kind);
        QCOMPARE(prompts.count(QStringLiteral("message")), 0);
    }

    // OK with no option checked warns and leaves the dialog open.
    void moxBNothingChecked()
    {
        ScriptedPrompts prompts;
        MoxBSourceDataSelectorDialog dialog;
        dialog.show();
        for (QRadioButton *radio : dialog.findChildren<QRadioButton *>()) {
            radio->setAutoExclusive(false);
            radio->setChecked(false);
        }
        boxButton(dialog, QDialogButtonBox::Ok)->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.selectedSourceTypeFile, 0);
        QCOMPARE(prompts.count(QStringLiteral("message")), 1);
        QCOMPARE(prompts.calls.last().title, QStringLiteral("Invalid Selection"));
        QCOMPARE(prompts.calls.last().text, QStringLiteral("Please select a file type option."));

        dialog.findChild<QRadioButton *>("radioButton_AlarmCSVFile")->setChecked(true);
        boxButton(dialog, QDialogButtonBox::Ok)->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedSourceTypeFile, 3);
    }

    void settingFileDialog_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("Yes") << "pushButton" << 4 << int(QDialog::Accepted);
        QTest::newRow("No") << "pushButton_2" << 0 << int(QDialog::Rejected);
    }

    void settingFileDialog()
    {
        QFETCH(QString, button);
        QFETCH(int, answer);
        QFETCH(int, result);

        SettingFileDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QCOMPARE(dialog.size(), QSize(287, 206));
        QVERIFY(dialog.windowFlags().testFlag(Qt::CustomizeWindowHint));
        QCOMPARE(dialog.findChild<QLabel *>("label")->text(), QStringLiteral("Do you want to import settings file?"));
        QCOMPARE(dialog.findChild<QPushButton *>("pushButton")->text(), QStringLiteral("Yes"));
        QCOMPARE(dialog.findChild<QPushButton *>("pushButton_2")->text(), QStringLiteral("No"));
        QCOMPARE(dialog.getSelectedOption(), 0);

        QTimer::singleShot(0, &dialog, [&] { dialog.findChild<QPushButton *>(button)->click(); });
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.getSelectedOption(), answer);
    }
};

QUORLOG_TEST_MAIN(TestOpeningDialogs)
#include "tst_openingdialogs.moc"
