// Manual check, not a test: the program's window opens the ZelB example, the
// report page reports the hourly maximum of three parameters, and the report
// is exported to a PDF file. Saves the window as a PNG.
// Usage: demo_report_page <lang> <window.png> <report.pdf>
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "reports/ReportViewPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    if (argc < 4)
        return 2;
    const QString lang = QString::fromLocal8Bit(argv[1]);
    const QString shotPath = QString::fromLocal8Bit(argv[2]);
    const QString pdfPath = QString::fromLocal8Bit(argv[3]);

    g_framework = new Framework();
    g_framework->setLanguage(lang, false);
    g_framework->createMainWindow();
    ScriptedPrompts prompts;

    QTimer::singleShot(300, [&]() {
        MainWindow *window = g_framework->mainWindow.data();
        window->loadExample(ZelB);
        window->changePage(MainWindow::REPORT_VIEW_PAGE);
        auto *page = window->findChild<ReportViewPage *>();
        if (!page) {
            qWarning("no report page");
            QApplication::exit(1);
            return;
        }
        auto *list = page->findChild<QListWidget *>(QStringLiteral("basicReportParametersSelectionList"));
        for (int i = 0; i < 3 && i < list->count(); ++i)
            list->item(i)->setCheckState(Qt::Checked);
        page->findChild<QRadioButton *>(QStringLiteral("basicReportIntervalHourly"))->setChecked(true);
        page->findChild<QRadioButton *>(QStringLiteral("basicReportTypeMax"))->setChecked(true);
        page->findChild<QPushButton *>(QStringLiteral("generateBasicReportButton"))->click();
        page->findChild<QPushButton *>(QStringLiteral("adjustBasicReportSizeButton"))->click();
    });
    QTimer::singleShot(1500, [&]() {
        MainWindow *window = g_framework->mainWindow.data();
        window->grab().save(shotPath);

        auto *page = window->findChild<ReportViewPage *>();
        prompts.execAnswers.enqueue([](QDialog *d) {
            d->findChild<QCheckBox *>(QStringLiteral("isPdfParamColored"))->setChecked(true);
            d->findChild<QPushButton *>(QStringLiteral("pdfExportOkButton"))->click();
            return 1;
        });
        prompts.fileAnswers.enqueue(pdfPath);
        page->findChild<QPushButton *>(QStringLiteral("exportBasicReportToPdfButton"))->click();
        QApplication::quit();
    });
    return app.exec();
}
