// The pages of the main window: how each is built and how its themed icons
// are refreshed. Each view adds its page here when it lands.
#include "app/MainWindow.h"

#include "acquisition/DataFilterPage.h"
#include "app/WelcomePage.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Trace.h"
#include "export/CSVExportPage.h"
#include "reports/ReportViewPage.h"
#include "signature/digitalSignPage.h"
#include "tables/ui/SettingsMoxBPage.h"
#include "tables/ui/TableViewPage.h"

#include <functional>

QWidget *MainWindow::createPage(EPageIndexes index, QWidget *parent)
{
    switch (index) {
    case WELCOME_PAGE:
        return new WelcomePage(parent);
    case DATA_FILTER_PAGE:
        return new DataFilterPage(parent);
    case TABLE_VIEW_PAGE:
        return new TableViewPage(parent);
    case CHART_VIEW_PAGE:
        return new ChartViewPage(parent);
    case REPORT_VIEW_PAGE:
        return new ReportViewPage(parent);
    case CSV_EXPORT_PAGE:
        return new CSVExportPage(parent);
    case DIGITAL_SIGN_PAGE:
        return new digitalSignPage(parent);
    case DEVICE_SETTINGS_PAGE:
        return new SettingsMoxBPage(parent);
    default:
        return nullptr;
    }
}

namespace {

template <class Page>
bool refreshAs(QWidget *page, void (Page::*refresh)())
{
    Page *typed = qobject_cast<Page *>(page);
    if (!typed) {
        TRACE() << "Page cast failed:" << page->objectName();
        return false;
    }
    (typed->*refresh)();
    return true;
}

struct RefreshRow
{
    const char *nameContains;
    std::function<bool(QWidget *)> refresh;
};

} // namespace

void MainWindow::refreshPageIcons(QWidget *page)
{
    if (!page)
        return;
    // Tested in this order; the first name that matches decides.
    static const RefreshRow rows[] = {
        {"WelcomePage", [](QWidget *p) { return refreshAs(p, &WelcomePage::changeLogo); }},
        {"TableViewPage", [](QWidget *p) { return refreshAs(p, &TableViewPage::updateIcons); }},
        {"ChartViewPage", [](QWidget *p) { return refreshAs(p, &ChartViewPage::updateIcons); }},
        {"ReportViewPage", [](QWidget *p) { return refreshAs(p, &ReportViewPage::updateIcons); }},
        {"CSVExportPage", [](QWidget *p) { return refreshAs(p, &CSVExportPage::refreshIcons); }},
        {"digitalSignPage", [](QWidget *p) { return refreshAs(p, &digitalSignPage::updateTexts); }},
        {"DataFilterPage", [](QWidget *p) { return refreshAs(p, &DataFilterPage::updateIcons); }},
        {"SettingsMoxBPage", [](QWidget *p) { return refreshAs(p, &SettingsMoxBPage::updateIcons); }},
    };
    const QString name = page->objectName();
    for (const RefreshRow &row : rows) {
        if (name.contains(QLatin1String(row.nameContains))) {
            row.refresh(page);
            return;
        }
    }
}
