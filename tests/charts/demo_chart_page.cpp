// Manual check under a display (Xvfb), not a test: the program opens the ZelB
// example, shows the chart page, zooms with the wheel, moves the navigator,
// saves the chart as PNG and compares that file with the chart on screen.
// Usage: demo_chart_page <out-prefix> [theme index] [language] [example: ZelB, ZelDX, MoxB or MoxA]
// Writes <prefix>-window.png (the whole window), <prefix>-guide.png (the same,
// 900 pixels wide) and <prefix>-chart.png.
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/ui/ChartViewPage.h"
#include "charts/ui/QChartViewer.h"
#include "charts/ui/QViewPortControl.h"
#include "chartlib/XYChart.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlog"));
    if (argc < 2)
        return 2;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    const int theme = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1;

    g_framework = new Framework();
    g_framework->savedTheme = theme;
    if (argc > 3)
        g_framework->setLanguage(QString::fromLocal8Bit(argv[3]), false);
    g_framework->createMainWindow();
    g_framework->mainWindow->resize(1280, 800);
    int status = 1;
    const QString example = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("ZelB");
    const avaibleDevices_t device = example == QLatin1String("MoxB")   ? MoxB
                                    : example == QLatin1String("MoxA")  ? MoxA
                                    : example == QLatin1String("ZelDX") ? ZelDX
                                                                        : ZelB;
    QTimer::singleShot(300, [device]() {
        g_framework->mainWindow->loadExample(device);
        g_framework->mainWindow->changePage(MainWindow::CHART_VIEW_PAGE);
    });
    QTimer::singleShot(2500, [&status]() {
        auto *page = g_framework->mainWindow->findChild<ChartViewPage *>();
        if (!page) {
            std::printf("no chart page\n");
            return;
        }
        QChartViewer *viewer = page->chartViewer();
        std::printf("legend rows: %d\n", page->legendElements().size());
        std::printf("section: %d/%d\n", page->getCurrentSection(), page->getSectionCount());
        const double before = viewer->getViewPortWidth();
        const QPoint at(viewer->getPlotAreaLeft() + viewer->getPlotAreaWidth() / 3,
                        viewer->getPlotAreaTop() + viewer->getPlotAreaHeight() / 2);
        QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewer, &move);
        for (int i = 0; i < 6; ++i) {
            QWheelEvent wheel(at, viewer->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(viewer, &wheel);
        }
        std::printf("wheel zoom: width %.4f -> %.4f\n", before, viewer->getViewPortWidth());
        // Drag the navigator's frame to the right.
        QViewPortControl *nav = page->viewPortControl();
        const double left = viewer->getViewPortLeft();
        const QPoint grip(int(nav->width() * (left + viewer->getViewPortWidth() / 2) * 0.9) + 40, nav->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(nav, &press);
        QMouseEvent drag(QEvent::MouseMove, grip + QPoint(120, 0), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(nav, &drag);
        QMouseEvent release(QEvent::MouseButtonRelease, grip + QPoint(120, 0), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(nav, &release);
        QTimer::singleShot(500, [page, viewer, left, &status]() {
            std::printf("navigator: left %.4f -> %.4f\n", left, viewer->getViewPortLeft());
            // Track line where the mouse points, as a user sees it.
            const QPoint at(viewer->getPlotAreaLeft() + viewer->getPlotAreaWidth() / 2,
                            viewer->getPlotAreaTop() + viewer->getPlotAreaHeight() / 2);
            QMouseEvent hover(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(viewer, &hover);
            QCoreApplication::processEvents();
        });
        QTimer::singleShot(1200, [page, viewer, &status]() {
            const QString chartFile = QString::fromLocal8Bit(qgetenv("DEMO_PREFIX")) + QStringLiteral("-chart.png");
            const bool saved = page->saveImage(chartFile);
            const QImage file(chartFile);
            const QImage screen = viewer->grab().toImage().convertToFormat(QImage::Format_ARGB32);
            const QImage chart = static_cast<chartlib::BaseChart *>(viewer->getChart())
                                     ->makeImage()
                                     .convertToFormat(QImage::Format_ARGB32);
            // The viewer shows the chart over the frame's background: compare
            // the opaque pixels of the saved file with the screen.
            int differ = 0, compared = 0;
            const QImage saved32 = file.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < std::min(saved32.height(), screen.height()); ++y)
                for (int x = 0; x < std::min(saved32.width(), screen.width()); ++x) {
                    const QRgb p = saved32.pixel(x, y);
                    if (qAlpha(p) != 255)
                        continue;
                    ++compared;
                    if ((screen.pixel(x, y) | 0xFF000000u) != p)
                        ++differ;
                }
            std::printf("png saved: %s, %dx%d, screen %dx%d, opaque pixels compared %d, differing %d, chart==file %s\n",
                        saved ? "yes" : "no", file.width(), file.height(), screen.width(), screen.height(), compared,
                        differ, chart.size() == file.size() ? "size" : "no");
            status = saved && differ == 0 ? 0 : 1;
            QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
            if (shot.isNull())
                shot = g_framework->mainWindow->grab();
            shot.save(QString::fromLocal8Bit(qgetenv("DEMO_PREFIX")) + QStringLiteral("-window.png"));
            // The guide's pictures are 900 pixels wide.
            shot.scaledToWidth(900, Qt::SmoothTransformation)
                .save(QString::fromLocal8Bit(qgetenv("DEMO_PREFIX")) + QStringLiteral("-guide.png"));
            QApplication::quit();
        });
    });
    qputenv("DEMO_PREFIX", prefix.toLocal8Bit());
    app.exec();
    return status;
}
