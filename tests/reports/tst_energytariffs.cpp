#include "reports/EnergyReportDialogs.h"
#include "reports/ReportViewPage.h"

#include "app/Framework.h"
#include "common/Prompts.h"
#include "support/TestMain.h"
#include "ui_AddEnergyTariffDialog.h"
#include "ui_ReportViewPage.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

class TestEnergyTariffs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void formHasThreeTabsPageLeavesOne();
    void seasonsStayBackToBack();
    void tariffsAddListRemove();
    void savedTariffsAreKeptAndAppended();
    void namesWithCommasRoundTrip_data();
    void namesWithCommasRoundTrip();
    void addRefusals();
    void removeUnknownNameRewritesKeys();
    void extraRowDialog_data();
    void extraRowDialog();
    void extraRowMessages_data();
    void extraRowMessages();
    void tariffDialog();

private:
    ReportViewPage *newPage();
    template <class T>
    T *child(const char *name)
    {
        T *w = m_page->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    // Answers the next name dialog with this name and Save.
    void answerName(ScriptedPrompts &prompts, const QString &name);
    void addTariff(const QString &name, const QString &summerPeaks);
    QStringList comboItems();
    QString rawIni() const;

    QTemporaryDir m_dir;
    QString m_ini;
    ReportViewPage *m_page = nullptr;
};

void TestEnergyTariffs::initTestCase()
{
    QVERIFY(m_dir.isValid());
    g_framework = new Framework();
}

void TestEnergyTariffs::init()
{
    static int serial = 0;
    m_ini = m_dir.filePath(QStringLiteral("cfg%1.ini").arg(++serial));
    g_framework->configFilePath = m_ini;
    m_page = newPage();
}

void TestEnergyTariffs::cleanup()
{
    delete m_page;
    m_page = nullptr;
}

void TestEnergyTariffs::cleanupTestCase()
{
    delete g_framework;
    g_framework = nullptr;
}

ReportViewPage *TestEnergyTariffs::newPage()
{
    return new ReportViewPage(nullptr);
}

void TestEnergyTariffs::answerName(ScriptedPrompts &prompts, const QString &name)
{
    prompts.execAnswers.enqueue([name](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("tariffNameText"))->setText(name);
        dialog->findChild<QPushButton *>(QStringLiteral("addTariffNameOkButton"))->click();
        return int(QDialog::Accepted);
    });
}

void TestEnergyTariffs::addTariff(const QString &name, const QString &summerPeaks)
{
    ScriptedPrompts prompts;
    answerName(prompts, name);
    child<QLineEdit>("summerTariffPeaksLine")->setText(summerPeaks);
    child<QPushButton>("addTariffButton")->click();
    QCOMPARE(prompts.count(QStringLiteral("exec")), 1);
}

QStringList TestEnergyTariffs::comboItems()
{
    auto *combo = child<QComboBox>("tariffsComboBox");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QString TestEnergyTariffs::rawIni() const
{
    QFile file(m_ini);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void TestEnergyTariffs::formHasThreeTabsPageLeavesOne()
{
    QWidget host;
    Ui::ReportViewPage form;
    form.setupUi(&host);
    QCOMPARE(form.tabWidget->count(), 3);
    QCOMPARE(form.tabWidget->tabText(0), QStringLiteral("Basic report"));
    QCOMPARE(form.tabWidget->tabText(1), QStringLiteral("Energy report"));
    QCOMPARE(form.tabWidget->tabText(2), QStringLiteral("PN-EN-50160"));
    QCOMPARE(form.tabWidget->widget(1), form.tab_2);
    QCOMPARE(form.tabWidget->widget(2), form.tab_10);

    // As the form leaves them.
    QCOMPARE(form.summerTariffPeriodBeginningEdit->date(), QDate(2000, 4, 1));
    QCOMPARE(form.summerTariffPeriodEndEdit->date(), QDate(2000, 9, 30));
    QCOMPARE(form.winterTariffPeriodBeginningEdit->date(), QDate(2000, 10, 1));
    QCOMPARE(form.winterTariffPeriodEndEdit->date(), QDate(2000, 3, 31));
    QCOMPARE(form.summerTariffPeriodEndEdit->text(), QStringLiteral("30.09"));
    QCOMPARE(form.summerTariffPeaksLine->text(), QStringLiteral("06:00-13:00;15:00-22:00"));
    QCOMPARE(form.winterTariffPeaksLine->placeholderText(), QStringLiteral("06:00-13:00;15:00-22:00"));
    QCOMPARE(form.tariffsComboBox->count(), 0);
    QVERIFY(form.generateEnergyReportButton->isEnabled());
    QVERIFY(form.generate50160ReportButton->isEnabled());
    for (QPushButton *b : {form.adjustEnergyReportSizeButton, form.exportEnergyReportToPdfButton,
                           form.addVirtualRowButton, form.removeRowButton, form.adjustNormReportSizeButton,
                           form.exportNormReportToPdfButton})
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    QCOMPARE(form.removeRowButton->property("class").toString(), QStringLiteral("commonMenuButtonAbort"));
    QCOMPARE(form.removeTariffButton->property("class").toString(), QStringLiteral("commonMenuButtonAbort"));
    QCOMPARE(form.resetEnergyReportSelectionButton->text(), QStringLiteral("RESTORE\nPARAMETERS"));
    QCOMPARE(form.energyReportParametersSelectionList->editTriggers(), QAbstractItemView::DoubleClicked);
    QCOMPARE(form.normReportParametersSelectionList->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(form.startDateTime50160->dateTime(), QDateTime(QDate(2017, 1, 1), QTime(0, 0)));
    QCOMPARE(form.endDateTime50160->dateTime(), QDateTime(QDate(2018, 1, 1), QTime(0, 0)));
    for (QRadioButton *r : {form.basicNormInterruptions, form.basicNormDip, form.basicNormOvervoltages,
                            form.basicNormAsynch, form.basicReportTypeAvg_3})
        QVERIFY(!r->isChecked());

    // The page builds the same tree and keeps only the basic report.
    auto *tabs = child<QTabWidget>("tabWidget");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Basic report"));
    QVERIFY(child<QWidget>("tab_2"));
    QVERIFY(child<QWidget>("tab_10"));
    QVERIFY(child<QRadioButton>("basicNormInterruptions")->isChecked());
    QVERIFY(child<QRadioButton>("basicNormAsynch")->isChecked());
    // The radio groups of the EN 50160 options leave each other alone.
    child<QRadioButton>("basicNormDip")->setChecked(true);
    QVERIFY(!child<QRadioButton>("basicNormInterruptions")->isChecked());
    QVERIFY(child<QRadioButton>("basicNormAsynch")->isChecked());

    // The EN 50160 period edits bound each other.
    const QDateTime start(QDate(2017, 6, 1), QTime(12, 0));
    child<QDateTimeEdit>("startDateTime50160")->setDateTime(start);
    QCOMPARE(child<QDateTimeEdit>("endDateTime50160")->minimumDateTime(), start);
    const QDateTime end(QDate(2017, 9, 1), QTime(0, 0));
    child<QDateTimeEdit>("endDateTime50160")->setDateTime(end);
    QCOMPARE(child<QDateTimeEdit>("startDateTime50160")->maximumDateTime(), end);
}

void TestEnergyTariffs::seasonsStayBackToBack()
{
    auto *summerBegin = child<QDateTimeEdit>("summerTariffPeriodBeginningEdit");
    auto *summerEnd = child<QDateTimeEdit>("summerTariffPeriodEndEdit");
    auto *winterBegin = child<QDateTimeEdit>("winterTariffPeriodBeginningEdit");
    auto *winterEnd = child<QDateTimeEdit>("winterTariffPeriodEndEdit");

    summerBegin->setDate(QDate(2000, 5, 1));
    QCOMPARE(winterEnd->date(), QDate(2000, 4, 30));
    summerEnd->setDate(QDate(2000, 10, 15));
    QCOMPARE(winterBegin->date(), QDate(2000, 10, 16));
    winterBegin->setDate(QDate(2000, 11, 1));
    QCOMPARE(summerEnd->date(), QDate(2000, 10, 31));
    winterEnd->setDate(QDate(2000, 2, 29));
    QCOMPARE(summerBegin->date(), QDate(2000, 3, 1));
    QCOMPARE(summerBegin->text(), QStringLiteral("01.03"));
}

void TestEnergyTariffs::tariffsAddListRemove()
{
    QSignalSpy dialog(m_page, &ReportViewPage::dialogMessage);

    addTariff(QStringLiteral("Day"), QStringLiteral("07:00-21:00"));
    // The first tariff writes one entry per key, without a trailing separator.
    QSettings ini(m_ini, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("energy_reports"));
    QCOMPARE(ini.value(QStringLiteral("tariffsNames")).toString(), QStringLiteral("Day"));
    QCOMPARE(ini.value(QStringLiteral("summerPeaks")).toString(), QStringLiteral("07:00-21:00"));
    QCOMPARE(ini.value(QStringLiteral("summerPeriods")).toString(), QStringLiteral("01.04-30.09"));
    QCOMPARE(ini.value(QStringLiteral("winterPeriods")).toString(), QStringLiteral("01.10-31.03"));
    QVERIFY(!rawIni().contains(QStringLiteral(",\n")));

    child<QDateTimeEdit>("summerTariffPeriodBeginningEdit")->setDate(QDate(2000, 5, 1));
    child<QLineEdit>("winterTariffPeaksLine")->setText(QStringLiteral("16:00-20:00"));
    addTariff(QStringLiteral("Evening"), QStringLiteral("17:00-21:00"));
    QCOMPARE(comboItems(), (QStringList{QStringLiteral("Day"), QStringLiteral("Evening")}));
    QCOMPARE(child<QComboBox>("tariffsComboBox")->currentIndex(), 1);
    ini.sync();
    QCOMPARE(ini.value(QStringLiteral("tariffsNames")).toStringList(),
             (QStringList{QStringLiteral("Day"), QStringLiteral("Evening")}));
    QCOMPARE(ini.value(QStringLiteral("summerPeriods")).toStringList(),
             (QStringList{QStringLiteral("01.04-30.09"), QStringLiteral("01.05-30.09")}));
    QCOMPARE(ini.value(QStringLiteral("winterPeriods")).toStringList(),
             (QStringList{QStringLiteral("01.10-31.03"), QStringLiteral("01.10-30.04")}));

    // Choosing a tariff shows its peaks and periods.
    child<QComboBox>("tariffsComboBox")->setCurrentIndex(0);
    QCOMPARE(child<QLineEdit>("summerTariffPeaksLine")->text(), QStringLiteral("07:00-21:00"));
    QCOMPARE(child<QLineEdit>("winterTariffPeaksLine")->text(), QStringLiteral("06:00-13:00;15:00-22:00"));
    QCOMPARE(child<QDateTimeEdit>("summerTariffPeriodBeginningEdit")->date(), QDate(2000, 4, 1));
    QCOMPARE(child<QDateTimeEdit>("winterTariffPeriodEndEdit")->date(), QDate(2000, 3, 31));

    // Removing the shown tariff shows the one left, not the removed one.
    child<QPushButton>("removeTariffButton")->click();
    QCOMPARE(comboItems(), QStringList{QStringLiteral("Evening")});
    QCOMPARE(child<QLineEdit>("summerTariffPeaksLine")->text(), QStringLiteral("17:00-21:00"));
    QCOMPARE(child<QLineEdit>("winterTariffPeaksLine")->text(), QStringLiteral("16:00-20:00"));
    QCOMPARE(child<QDateTimeEdit>("summerTariffPeriodBeginningEdit")->date(), QDate(2000, 5, 1));
    ini.sync();
    QCOMPARE(ini.value(QStringLiteral("tariffsNames")).toString(), QStringLiteral("Evening"));
    QCOMPARE(ini.value(QStringLiteral("winterPeaks")).toString(), QStringLiteral("16:00-20:00"));

    // The last one gone: empty keys, cleared peaks, a disabled list.
    child<QPushButton>("removeTariffButton")->click();
    QCOMPARE(comboItems(), QStringList());
    QVERIFY(!child<QComboBox>("tariffsComboBox")->isEnabled());
    QVERIFY(child<QLineEdit>("summerTariffPeaksLine")->text().isEmpty());
    ini.sync();
    for (const char *key : {"tariffsNames", "summerPeaks", "summerPeriods", "winterPeaks", "winterPeriods"}) {
        QVERIFY2(ini.contains(QLatin1String(key)), key);
        QCOMPARE(ini.value(QLatin1String(key)).toString(), QString());
    }
    QCOMPARE(dialog.count(), 0);

    // Adding again after that enables the list again.
    child<QLineEdit>("winterTariffPeaksLine")->setText(QStringLiteral("18:00-19:00"));
    addTariff(QStringLiteral("Again"), QStringLiteral("08:00-09:00"));
    QVERIFY(child<QComboBox>("tariffsComboBox")->isEnabled());
    QCOMPARE(comboItems(), QStringList{QStringLiteral("Again")});
}

void TestEnergyTariffs::savedTariffsAreKeptAndAppended()
{
    addTariff(QStringLiteral("Zeta"), QStringLiteral("01:00-02:00"));
    addTariff(QStringLiteral("Alpha"), QStringLiteral("03:00-04:00"));
    delete m_page;

    // A new page lists what was saved, sorted, and shows the first.
    m_page = newPage();
    QCOMPARE(comboItems(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Zeta")}));
    QCOMPARE(child<QLineEdit>("summerTariffPeaksLine")->text(), QStringLiteral("03:00-04:00"));
    child<QComboBox>("tariffsComboBox")->setCurrentIndex(1);
    QCOMPARE(child<QLineEdit>("summerTariffPeaksLine")->text(), QStringLiteral("01:00-02:00"));

    // A new tariff is added to them, not written over them.
    addTariff(QStringLiteral("Mid"), QStringLiteral("05:00-06:00"));
    delete m_page;
    m_page = newPage();
    QCOMPARE(comboItems(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Mid"), QStringLiteral("Zeta")}));
    child<QComboBox>("tariffsComboBox")->setCurrentIndex(2);
    QCOMPARE(child<QLineEdit>("summerTariffPeaksLine")->text(), QStringLiteral("01:00-02:00"));
}

void TestEnergyTariffs::namesWithCommasRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("comma") << QStringLiteral("Night, weekend");
    QTest::newRow("commas only") << QStringLiteral(",,");
    QTest::newRow("quotes") << QStringLiteral("\"G12\", 'w'");
    QTest::newRow("semicolon equals") << QStringLiteral("a;b=c");
    QTest::newRow("backslash") << QStringLiteral("C:\\x\\");
    QTest::newRow("non-ASCII") << QStringLiteral("Taryfa nocna – źródło");
}

void TestEnergyTariffs::namesWithCommasRoundTrip()
{
    QFETCH(QString, name);
    const QString peaks = QStringLiteral("06:00-13:00,15:00-22:00");
    // Alone, and next to another tariff.
    addTariff(name, peaks);
    delete m_page;
    m_page = newPage();
    QCOMPARE(comboItems(), QStringList{name});
    QCOMPARE(child<QLineEdit>("summerTariffPeaksLine")->text(), peaks);

    addTariff(QStringLiteral("~last"), QStringLiteral("01:00-02:00"));
    delete m_page;
    m_page = newPage();
    QCOMPARE(comboItems(), (QStringList{name, QStringLiteral("~last")}));
    QCOMPARE(child<QLineEdit>("summerTariffPeaksLine")->text(), peaks);
}

void TestEnergyTariffs::addRefusals()
{
    QSignalSpy dialog(m_page, &ReportViewPage::dialogMessage);
    QSignalSpy console(m_page, &ReportViewPage::consoleMessage);
    addTariff(QStringLiteral("Day"), QStringLiteral("07:00-21:00"));
    const QString before = rawIni();

    {
        // Empty peaks: no name is asked for.
        ScriptedPrompts prompts;
        child<QLineEdit>("winterTariffPeaksLine")->clear();
        child<QPushButton>("addTariffButton")->click();
        QCOMPARE(prompts.count(QStringLiteral("exec")), 0);
        QCOMPARE(dialog.count(), 1);
        QCOMPARE(dialog.last().at(0).toString(), QStringLiteral("Empty tariffs peaks!"));
        QCOMPARE(dialog.last().at(1).toString(), QStringLiteral("Error"));
        QCOMPARE(dialog.last().at(2).toInt(), 3);
        child<QLineEdit>("winterTariffPeaksLine")->setText(QStringLiteral("x"));
    }
    {
        ScriptedPrompts prompts;
        answerName(prompts, QStringLiteral("Day"));
        child<QPushButton>("addTariffButton")->click();
        QCOMPARE(dialog.count(), 2);
        QCOMPARE(dialog.last().at(0).toString(), QStringLiteral("Tariff name duplicated!"));
        QCOMPARE(console.last().at(0).toString(), QStringLiteral("Tariff name duplicated!"));
        QCOMPARE(console.last().at(1).toInt(), 3);
    }
    {
        ScriptedPrompts prompts;
        answerName(prompts, QStringLiteral("  "));
        child<QPushButton>("addTariffButton")->click();
        QCOMPARE(dialog.count(), 3);
        QCOMPARE(dialog.last().at(0).toString(), QStringLiteral("Empty tariff name!"));
    }
    {
        // Cancelled: nothing happens.
        ScriptedPrompts prompts;
        prompts.execAnswers.enqueue([](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("tariffNameText"))->setText(QStringLiteral("New"));
            d->findChild<QPushButton *>(QStringLiteral("addTarifNameAbortButton"))->click();
            return int(QDialog::Rejected);
        });
        child<QPushButton>("addTariffButton")->click();
        QCOMPARE(dialog.count(), 3);
    }
    QCOMPARE(comboItems(), QStringList{QStringLiteral("Day")});
    QCOMPARE(rawIni(), before);
}

void TestEnergyTariffs::removeUnknownNameRewritesKeys()
{
    addTariff(QStringLiteral("Day"), QStringLiteral("07:00-21:00"));
    addTariff(QStringLiteral("Night"), QStringLiteral("22:00-06:00"));
    QSettings ini(m_ini, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("energy_reports"));
    ini.remove(QStringLiteral("winterPeaks"));
    ini.sync();

    // The combo box names no stored tariff: the lists stay, the keys are written again.
    child<QComboBox>("tariffsComboBox")->setItemText(1, QStringLiteral("Other"));
    child<QPushButton>("removeTariffButton")->click();
    ini.sync();
    QCOMPARE(ini.value(QStringLiteral("tariffsNames")).toStringList(),
             (QStringList{QStringLiteral("Day"), QStringLiteral("Night")}));
    QCOMPARE(ini.value(QStringLiteral("winterPeaks")).toStringList().size(), 2);
}

void TestEnergyTariffs::extraRowDialog_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("price");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("costValid");
    QTest::addColumn<double>("value");
    QTest::newRow("sum ignores the line") << 0 << "rubbish" << true << true << 0.0;
    QTest::newRow("sum, empty") << 0 << "" << true << true << 0.0;
    QTest::newRow("cost, decimal comma") << 1 << "0,5" << true << true << 0.5;
    QTest::newRow("cost, point") << 1 << "1.25" << true << true << 1.25;
    QTest::newRow("cost, zero") << 1 << "0" << true << true << 0.0;
    QTest::newRow("cost, empty") << 1 << "" << false << false << 0.0;
    QTest::newRow("cost, negative") << 1 << "-0,01" << false << false << -0.01;
    QTest::newRow("cost, text") << 1 << "abc" << false << false << 0.0;
    QTest::newRow("cost, two commas") << 1 << "1,2,3" << false << false << 0.0;
    QTest::newRow("cost, not a number") << 1 << "nan" << false << false << 0.0;
    QTest::newRow("cost, infinite") << 1 << "inf" << false << false << 0.0;
}

void TestEnergyTariffs::extraRowDialog()
{
    QFETCH(int, row);
    QFETCH(QString, price);
    QFETCH(bool, accepted);
    QFETCH(bool, costValid);
    QFETCH(double, value);

    ScriptedPrompts prompts;
    EnergyReportExtraRowSelectDialog dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("EnergyReportExtraRowSelectDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Energy report functions"));
    QVERIFY(dialog.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("addExtraRowComboBox"));
    auto *line = dialog.findChild<QLineEdit *>(QStringLiteral("addExtraRowLine"));
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("Sum"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Cost"));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(line->text().isEmpty());
    QCOMPARE(line->placeholderText(), QStringLiteral("0.01"));
    QVERIFY(!line->isEnabled());
    QVERIFY(dialog.isCostValid());

    bool lineEnabled = false;
    prompts.execAnswers.enqueue([&](QDialog *) {
        combo->setCurrentIndex(row);
        lineEnabled = line->isEnabled();
        line->setText(price);
        dialog.findChild<QPushButton *>(QStringLiteral("addExtraRowButton"))->click();
        return 0;
    });
    QCOMPARE(dialog.runDialog(), accepted);
    QCOMPARE(lineEnabled, row != 0);
    QCOMPARE(dialog.isCostValid(), costValid);
    QCOMPARE(dialog.selectedRow(), row);
    QCOMPARE(dialog.value(), value);
}

void TestEnergyTariffs::extraRowMessages_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("price");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QStringList>("messages");
    const QString noData = QStringLiteral("No data! Please generate energy report first!");
    const QString badPrice = QStringLiteral("Price for energy unit parameter error!");
    QTest::newRow("sum") << 0 << "" << false << QStringList{noData};
    QTest::newRow("cost") << 1 << "2,5" << false << QStringList{noData};
    QTest::newRow("bad cost") << 1 << "-1" << false << QStringList{badPrice};
    QTest::newRow("cancel") << 1 << "" << true << QStringList();
}

void TestEnergyTariffs::extraRowMessages()
{
    QFETCH(int, row);
    QFETCH(QString, price);
    QFETCH(bool, cancel);
    QFETCH(QStringList, messages);

    ScriptedPrompts prompts;
    prompts.execAnswers.enqueue([&](QDialog *d) {
        d->findChild<QComboBox *>(QStringLiteral("addExtraRowComboBox"))->setCurrentIndex(row);
        d->findChild<QLineEdit *>(QStringLiteral("addExtraRowLine"))->setText(price);
        d->findChild<QPushButton *>(cancel ? QStringLiteral("addExtraRowAbortButton")
                                           : QStringLiteral("addExtraRowButton"))
            ->click();
        return 0;
    });
    QSignalSpy dialog(m_page, &ReportViewPage::dialogMessage);
    QSignalSpy console(m_page, &ReportViewPage::consoleMessage);
    // The button waits for an energy report, so its slot is called directly.
    QVERIFY(QMetaObject::invokeMethod(m_page, "on_addVirtualRowButton_clicked"));
    QCOMPARE(prompts.count(QStringLiteral("exec")), 1);
    QCOMPARE(dialog.count(), messages.size());
    QCOMPARE(console.count(), messages.size());
    for (int i = 0; i < messages.size(); ++i) {
        QCOMPARE(dialog.at(i).at(0).toString(), messages.at(i));
        QCOMPARE(dialog.at(i).at(1).toString(), QStringLiteral("Error"));
        QCOMPARE(dialog.at(i).at(2).toInt(), 3);
        QCOMPARE(console.at(i).at(1).toInt(), 3);
    }
}

void TestEnergyTariffs::tariffDialog()
{
    ScriptedPrompts prompts;
    {
        AddEnergyTariffDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QVERIFY(dialog.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
        QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
        auto *line = dialog.findChild<QLineEdit *>(QStringLiteral("tariffNameText"));
        QVERIFY(line->text().isEmpty());
        QCOMPARE(line->placeholderText(), QStringLiteral("My example tariff 1"));
        answerName(prompts, QStringLiteral("G11, flat"));
        QVERIFY(dialog.runDialog());
        QCOMPARE(dialog.tariffName(), QStringLiteral("G11, flat"));
    }
    {
        AddEnergyTariffDialog dialog;
        prompts.execAnswers.enqueue([](QDialog *d) {
            d->findChild<QPushButton *>(QStringLiteral("addTarifNameAbortButton"))->click();
            return 0;
        });
        QVERIFY(!dialog.runDialog());
    }
    {
        // A dialog that already has a name keeps it.
        QDialog named;
        named.setObjectName(QStringLiteral("mine"));
        Ui::AddEnergyTariffDialog form;
        form.setupUi(&named);
        QCOMPARE(named.objectName(), QStringLiteral("mine"));
        QCOMPARE(form.tariffNameText->geometry(), QRect(100, 20, 280, 25));
    }
}

QUORLOG_TEST_MAIN(TestEnergyTariffs)
#include "tst_energytariffs.moc"
