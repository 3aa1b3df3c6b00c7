// Every text the user reads fits the widget that shows it: labels, buttons,
// the items of combo boxes, lists, trees and tables, on every page and in the
// theme windows, in English and Polish, at 1600 x 1000 and at the window's
// smallest size, with the console closed and open; and in every dialog, as it
// opens and at its smallest size.
//
// What a widget paints is recorded through a paint engine of our own, so the
// check sees the font of the widget's present state (a style sheet may paint a
// disabled button in another font than it was laid out in), the text as drawn
// (an item view elides what does not fit) and where it was drawn.
#include "support/DbTestUtil.h"
#include "support/FtpTestServer.h"
#include "support/MoxBSettingsWriter.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "acquisition/DeviceDialogsInstall.h"
#include "app/SettingFileDialog.h"
#include "app/Framework.h"
#include "app/Language.h"
#include "app/MainWindow.h"
#include "app/SourceTypeFile.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "database/DeviceCfg.h"
#include "themes/ThemeEditWindow.h"
#include "themes/ThemeWindow.h"
#include "ui_DataFilterPage.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QStandardItemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPaintEngine>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeView>
#include <QTemporaryDir>
#include <QtMath>

#include <memory>

namespace {

// One run of text as a widget painted it, in the widget's coordinates.
struct DrawnText
{
    QString text;
    QFont font;
    QRectF box;  // its advance across, its ink up and down
    QRectF clip; // the painter's clip when it was drawn; null without one
};

class RecordingEngine : public QPaintEngine
{
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    QList<DrawnText> texts;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            transform = state.transform();
    }
    // Nothing but text is recorded.
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}
    void drawLines(const QLineF *, int) override {}
    void drawLines(const QLine *, int) override {}
    void drawRects(const QRectF *, int) override {}
    void drawRects(const QRect *, int) override {}
    void drawPoints(const QPointF *, int) override {}
    void drawPoints(const QPoint *, int) override {}
    void drawEllipse(const QRectF &) override {}
    void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
    void drawTiledPixmap(const QRectF &, const QPixmap &, const QPointF &) override {}
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        if (item.text().trimmed().isEmpty())
            return;
        // Across: the advance, as layouts measure text. Up and down: the ink,
        // as a line box taller than its glyphs loses nothing when it is cut.
        const QRectF ink = QFontMetricsF(item.font()).tightBoundingRect(item.text());
        const QRectF box(p.x(), p.y() + ink.top(), item.width(), ink.height());
        QRectF clip;
        if (painter()->hasClipping())
            clip = transform.mapRect(painter()->clipBoundingRect());
        texts << DrawnText{item.text(), item.font(), transform.mapRect(box), clip};
    }
    Type type() const override { return QPaintEngine::User; }

private:
    QTransform transform;
};

class RecordingDevice : public QPaintDevice
{
public:
    explicit RecordingDevice(const QSize &size) : size(size) {}
    QPaintEngine *paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return size.width();
        case PdmHeight: return size.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    QSize size;
};

// The texts a widget paints itself (its children not included).
QList<DrawnText> drawnTexts(QWidget *widget)
{
    RecordingDevice device(widget->size());
    widget->render(&device, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return device.engine.texts;
}

// The part of the widget that its parents leave on screen. A scroll area
// brings any of its panel into view up and down, so it cuts only across.
QRect shownRect(const QWidget *widget)
{
    QRect r = widget->rect();
    bool scrolls = false;
    for (const QWidget *w = widget; w->parentWidget() && !w->isWindow(); w = w->parentWidget()) {
        const QWidget *parent = w->parentWidget();
        const auto *area = qobject_cast<const QAbstractScrollArea *>(parent->parentWidget());
        scrolls = scrolls || (area && area->viewport() == parent);
        QRect clip(widget->mapFrom(parent, QPoint(0, 0)), parent->size());
        if (scrolls)
            clip = QRect(clip.left(), r.top(), clip.width(), r.height());
        r &= clip;
    }
    return r;
}

QString nameOf(const QWidget *widget)
{
    QStringList chain;
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
            chain.prepend(w->objectName());
            if (chain.size() == 3)
                break;
        }
    }
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(widget->metaObject()->className()),
                                       chain.join(QLatin1Char('/')));
}

struct Misfit
{
    QString widget;
    QString text;
    int need;
    int have;
    QString what; // which way it does not fit, or "elided"
};

class FitChecker
{
public:
    QList<Misfit> misfits;

    void checkTree(QWidget *root)
    {
        QList<QWidget *> widgets{root};
        widgets << root->findChildren<QWidget *>();
        for (QWidget *w : widgets) {
            if (!w->isVisible() || w->width() <= 0 || w->window() != root->window())
                continue; // popups are checked as windows of their own
            const QRect shown = shownRect(w);
            if (shown.isEmpty()) {
                const QString text = shownText(w);
                if (!text.isEmpty())
                    add(w, text, w->height(), 0, QStringLiteral("height (cut off)"));
                continue;
            }
            if (auto *label = qobject_cast<QLabel *>(w))
                checkLabel(label, shown);
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                checkButton(button, shown);
            else if (auto *combo = qobject_cast<QComboBox *>(w))
                checkCombo(combo, shown);
            else if (auto *view = qobject_cast<QAbstractItemView *>(w))
                checkView(view);
            else if (auto *area = qobject_cast<QScrollArea *>(w))
                checkScrollArea(area);
        }
    }

private:
    // The text a label, button or combo box shows; empty for other widgets.
    static QString shownText(const QWidget *w)
    {
        if (auto *label = qobject_cast<const QLabel *>(w))
            return label->text();
        if (auto *button = qobject_cast<const QAbstractButton *>(w))
            return button->text();
        if (auto *combo = qobject_cast<const QComboBox *>(w))
            return combo->currentText();
        return QString();
    }

    void add(const QWidget *w, const QString &text, qreal need, int have, const QString &what)
    {
        misfits << Misfit{nameOf(w), text, int(qCeil(need - 0.01)), have, what};
    }

    // Every drawn run lies in the allowed rectangle; reports the widest need.
    void checkRuns(const QWidget *w, const QList<DrawnText> &runs, const QRect &allowed, const QString &full)
    {
        if (runs.isEmpty())
            return;
        QRectF all = runs.first().box;
        QString drawn;
        for (const DrawnText &run : runs) {
            all |= run.box;
            drawn += run.text;
        }
        const QString text = full.isEmpty() ? drawn : full;
        // What the contents rectangle would need to hold the text where it is drawn.
        const QRectF need = all | QRectF(allowed);
        if (need.width() > allowed.width() + 0.5)
            add(w, text, need.width(), allowed.width(), QStringLiteral("width"));
        else
            checkClips(w, runs);
        if (need.height() > allowed.height() + 0.5)
            add(w, text, need.height(), allowed.height(), QStringLiteral("height"));
    }

    // Text drawn into a rectangle is cut at its edges.
    void checkClips(const QWidget *w, const QList<DrawnText> &runs)
    {
        for (const DrawnText &run : runs) {
            if (run.clip.isNull())
                continue;
            const QRectF need = run.box | run.clip;
            if (need.width() > run.clip.width() + 0.5)
                add(w, run.text, need.width(), int(run.clip.width()), QStringLiteral("width (clipped)"));
        }
    }

    void checkLabel(QLabel *label, const QRect &shown)
    {
        if (label->text().isEmpty())
            return;
        checkRuns(label, drawnTexts(label), label->contentsRect() & shown,
                  plainText(label->text(), label->textFormat()));
    }

    void checkButton(QAbstractButton *button, const QRect &shown)
    {
        if (button->text().isEmpty())
            return;
        QRect contents = button->rect();
        if (qobject_cast<QPushButton *>(button)) {
            QStyleOptionButton opt;
            opt.initFrom(button);
            opt.text = button->text();
            opt.icon = button->icon();
            opt.iconSize = button->iconSize();
            contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
        } else if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button)) {
            QStyleOptionButton opt;
            opt.initFrom(button);
            opt.text = button->text();
            const bool check = qobject_cast<QCheckBox *>(button);
            contents = button->style()->subElementRect(check ? QStyle::SE_CheckBoxContents
                                                             : QStyle::SE_RadioButtonContents,
                                                       &opt, button);
        }
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        checkRuns(button, drawnTexts(button), contents & shown, text.trimmed());
    }

    // Any item may be the current one: each must fit the field that shows it.
    void checkCombo(QComboBox *combo, const QRect &shown)
    {
        const QList<DrawnText> runs = drawnTexts(combo);
        const QFont font = runs.isEmpty() ? combo->font() : runs.first().font;
        const QFontMetricsF fm(font);
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = combo->isEditable();
        const QRect field = combo->style()
                                ->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo)
                                .adjusted(1, 0, -1, 0)
            & shown;
        for (int i = 0; i < combo->count(); ++i) {
            QString text = combo->itemText(i);
            text.replace(QLatin1Char('\t'), QLatin1Char(' '));
            qreal need = fm.horizontalAdvance(text);
            if (!combo->itemIcon(i).isNull())
                need += combo->iconSize().width() + 4;
            if (need > field.width() + 0.5)
                add(combo, combo->itemText(i), need, field.width(), QStringLiteral("width"));
        }
        // The list it opens.
        if (combo->count() == 0)
            return;
        combo->showPopup();
        QCoreApplication::processEvents();
        if (combo->view()->isVisible())
            checkView(combo->view(), true);
        combo->hidePopup();
        QCoreApplication::processEvents();
    }

    // scrollers: the view scrolls by other means than its scroll bars (the
    // list a combo box opens).
    void checkView(QAbstractItemView *view, bool scrollers = false)
    {
        QAbstractItemModel *model = view->model();
        if (!model)
            return;
        QWidget *viewport = view->viewport();
        const QList<DrawnText> runs = drawnTexts(viewport);
        const bool unscrollable = !scrollers && view->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff;
        checkClips(view, runs);
        // An item's text keeps a margin on either side.
        const int textMargin = (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) * 2;
        for (const DrawnText &run : runs) {
            // The item a run belongs to is the one under its start.
            const QModelIndex index = view->indexAt(QPointF(run.box.left() + 1, run.box.center().y()).toPoint());
            if (!index.isValid())
                continue;
            QRect cell = view->visualRect(index);
            if (view->horizontalScrollBar()->maximum() == 0)
                cell &= viewport->rect(); // nothing scrolls it into view
            const QRectF need = run.box | QRectF(cell);
            if (need.width() > cell.width() + 0.5)
                add(view, run.text, need.width(), cell.width(), QStringLiteral("width"));
            const QString shownText = index.data(Qt::DisplayRole).toString().simplified();
            if (run.text.contains(QChar(0x2026)) && !shownText.contains(QChar(0x2026))) {
                qreal need = 0;
                for (const QString &line : index.data(Qt::DisplayRole).toString().split(QLatin1Char('\n')))
                    need = qMax(need, QFontMetricsF(run.font).horizontalAdvance(line));
                add(view, shownText, need + textMargin, cell.width(), QStringLiteral("elided"));
            }
        }
        // Rows that no scroll bar can bring into view must be inside it.
        if (unscrollable) {
            const QRect area = viewport->rect();
            for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
                const QRect r = view->visualRect(model->index(row, 0, view->rootIndex()));
                if (r.isValid() && r.bottom() > area.bottom())
                    add(view, QStringLiteral("row %1").arg(row), r.bottom() + 1, area.height(),
                        QStringLiteral("height"));
            }
        }
    }

    // A panel in a scroll area scrolls up and down; its controls must fit
    // its width, or they are cut at the right.
    void checkScrollArea(QScrollArea *area)
    {
        QWidget *panel = area->widget();
        if (!panel || !panel->isVisible())
            return;
        const int need = panel->minimumSizeHint().width();
        if (need > area->viewport()->width())
            add(area, QStringLiteral("(panel)"), need, area->viewport()->width(), QStringLiteral("width"));
    }

    static QString plainText(const QString &text, Qt::TextFormat format)
    {
        if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text))) {
            QTextDocument doc;
            doc.setHtml(text);
            return doc.toPlainText().simplified();
        }
        return text.simplified();
    }
};

const QString kDbName = QStringLiteral("textfit_fixture");

// Two instruments with long names, a month of data. The first one's file
// server is FtpTestServer's (plain FTP).
bool writeDatabase(const QString &path)
{
    QFile::remove(path);
    QSqlDatabase db = testdb::createSchemaDatabase(kDbName, path);
    if (!db.isOpen())
        return false;
    QStringList statements = {
        QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable, addresIP, protocolType, "
                       "user, pass) VALUES (1, 'Substation meter north', 4, '/srv/meter', 1, '127.0.0.1', 0, 'meter', "
                       "'%1')")
            .arg(storedPassword::encode(QStringLiteral("pa ss#1"))), // Base64: nothing to quote
        QStringLiteral("INSERT INTO Devices (id, name, type, filesPath, onlineCfgEnable) "
                       "VALUES (2, 'Boiler room transducer', 6, '/srv/wex', 0)"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (1, 1, 'U1', 'V')"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) "
                       "VALUES (2, 1, 'Active energy import', 'kWh')"),
        QStringLiteral("INSERT INTO Parameters (id, idDevices, name, unit) VALUES (3, 2, 'Temperature', 'degC')"),
    };
    const qint64 first = QDateTime(QDate(2024, 3, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    for (int day = 0; day < 31; ++day)
        for (int p = 1; p <= 3; ++p)
            statements << QStringLiteral("INSERT INTO Data (idParameters, value, flag, dateTime) "
                                         "VALUES (%1, %2, 0, %3)")
                              .arg(p)
                              .arg(day * 10 + p)
                              .arg(first + day * 86400000LL);
    db.transaction();
    const QStringList errors = testdb::exec(db, statements);
    db.commit();
    Connections::remove(kDbName);
    return errors.isEmpty();
}

} // namespace

class TestTextFit : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QString dbPath;
    QString session; // what is open: "", "database", "ZelB", "MoxB"

    MainWindow *window() { return g_framework->mainWindow.data(); }

    void setLanguage(const QString &code)
    {
        if (currentLanguage() == code && window())
            return;
        g_framework->setLanguage(code, true);
        settle();
        QVERIFY(window());
        window()->show();
        // Each language starts without a session.
        window()->on_actionClosedata_triggered();
        settle();
        session.clear();
    }

    void openSession(const QString &kind)
    {
        if (session == kind)
            return;
        window()->on_actionClosedata_triggered();
        settle();
        if (kind == QLatin1String("database")) {
            QVERIFY(writeDatabase(dbPath));
            g_framework->openFile(dbPath, INTERNAL_DB, 0, {});
        } else if (kind == QLatin1String("ZelB")) {
            window()->loadExample(ZelB);
        } else if (kind == QLatin1String("MoxB")) {
            window()->loadExample(MoxB);
            settle();
            const auto language = currentLanguage() == QLatin1String("pl") ? moxbsettings::Language::Polish
                                                                            : moxbsettings::Language::English;
            const QString settings = writeTemp(QStringLiteral("settings.MoxBArch.csv"),
                                               moxbsettings::csv(moxbsettings::sections(
                                                   language, {QStringLiteral("1"), QStringLiteral("2")})));
            g_framework->openFile(settings, MoxB, MoxB_SETTING_FILE_CSV, {});
        }
        settle();
        QTRY_VERIFY(g_framework->getSessionInfo().isOpen || kind.isEmpty());
        session = kind;
    }

    void setConsole(bool open)
    {
        window()->findChild<QToolButton *>(QStringLiteral("consoleButton"))->setChecked(open);
    }

    void checkAt(QWidget *root, const QString &where, QStringList &report)
    {
        QCoreApplication::processEvents();
        FitChecker checker;
        checker.checkTree(root);
        for (const Misfit &m : checker.misfits) {
            const QString line = QStringLiteral("%1: %2 \"%3\" needs %4 %5, has %6")
                                     .arg(where, m.widget, m.text, m.what)
                                     .arg(m.need)
                                     .arg(m.have);
            if (!report.contains(line))
                report << line;
        }
    }

    // The page under both window sizes, console closed and open; prepare
    // puts the page into the state to check and names further windows
    // (popups) to check with it.
    void walk(const std::function<QList<QWidget *>()> &prepare, QStringList &report)
    {
        for (bool console : {false, true}) {
            setConsole(console);
            for (bool smallest : {false, true}) {
                QCoreApplication::processEvents();
                const QSize size = smallest ? window()->minimumSizeHint() : QSize(1600, 1000);
                window()->resize(size);
                QCoreApplication::processEvents();
                const QList<QWidget *> popups = prepare ? prepare() : QList<QWidget *>();
                QCoreApplication::processEvents();
                const QString where = QStringLiteral("%1x%2%3")
                                          .arg(window()->width())
                                          .arg(window()->height())
                                          .arg(console ? QStringLiteral(" console") : QString());
                checkAt(window(), where, report);
                for (QWidget *popup : popups) {
                    checkAt(popup, where + QStringLiteral(" popup"), report);
                    popup->hide();
                }
            }
        }
        setConsole(false);
    }

    DataFilterPage *filterPage()
    {
        return qobject_cast<DataFilterPage *>(window()->cachedPages().value(MainWindow::DATA_FILTER_PAGE));
    }

    // What each row of the walk does with its page before it is checked.
    std::function<QList<QWidget *>()> stateAction(const QString &state)
    {
        if (state == QLatin1String("device selected")) {
            return [this]() {
                QTreeView *tree = filterPage()->form()->treeView;
                tree->selectionModel()->select(tree->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
                return QList<QWidget *>();
            };
        }
        if (state == QLatin1String("calendar")) {
            return [this]() {
                QDateEdit *edit = filterPage()->form()->dateEnd;
                // A press on the arrow opens the popup.
                QTest::mousePress(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
                QWidget *popup = edit->calendarWidget()->window();
                return popup->isVisible() ? QList<QWidget *>{popup} : QList<QWidget *>{edit};
            };
        }
        if (state == QLatin1String("5 columns") || state == QLatin1String("16 columns")) {
            const int params = state.split(QLatin1Char(' ')).first().toInt() - 2;
            return [this, params]() {
                QWidget *page = window()->cachedPages().value(MainWindow::REPORT_VIEW_PAGE);
                auto *list = page->findChild<QListWidget *>(QStringLiteral("basicReportParametersSelectionList"));
                for (int i = 0; i < list->count(); ++i)
                    list->item(i)->setCheckState(i < params ? Qt::Checked : Qt::Unchecked);
                page->findChild<QRadioButton *>(QStringLiteral("basicReportIntervalMinutes"))->setChecked(true);
                page->findChild<QPushButton *>(QStringLiteral("generateBasicReportButton"))->click();
                settle();
                page->findChild<QPushButton *>(QStringLiteral("adjustBasicReportSizeButton"))->click();
                QCoreApplication::processEvents();
                return QList<QWidget *>();
            };
        }
        if (state == QLatin1String("theme chooser") || state == QLatin1String("theme editor")) {
            const bool editor = state == QLatin1String("theme editor");
            return [this, editor]() {
                auto *toggle = window()->findChild<QPushButton *>(QStringLiteral("themeToggle"));
                toggle->setChecked(false);
                settle();
                toggle->setChecked(true);
                settle();
                if (editor) {
                    window()->themeChooser()->findChild<QToolButton *>(QStringLiteral("UserThemeButton"))->click();
                    settle();
                }
                return QList<QWidget *>();
            };
        }
        return nullptr;
    }

    // A window the program opened, as it opens and, where it can be made
    // smaller, at its smallest size. A panel inside the main window is
    // checked where it stands.
    void walkWindow(QWidget *dialog, QStringList &report)
    {
        if (!dialog->isVisible())
            dialog->show();
        QCoreApplication::processEvents();
        if (!dialog->isWindow()) {
            checkAt(dialog, QStringLiteral("in the window"), report);
            return;
        }
        const auto checkHere = [&]() {
            QCoreApplication::processEvents();
            checkAt(dialog, QStringLiteral("%1x%2").arg(dialog->width()).arg(dialog->height()), report);
        };
        checkHere();
        const QSize opened = dialog->size();
        QSize smallest = dialog->minimumSize();
        if (smallest.isEmpty())
            smallest = dialog->minimumSizeHint(); // invalid without a layout
        if (smallest.isValid() && smallest != opened) {
            dialog->resize(smallest);
            checkHere();
            dialog->resize(opened);
        }
    }

    QPushButton *filterPageButton(const char *name)
    {
        return filterPage()->findChild<QPushButton *>(QLatin1String(name));
    }

    void selectDevice(const QString &name)
    {
        QTreeView *tree = filterPage()->form()->treeView;
        const QModelIndexList found =
            tree->model()->match(tree->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchContains);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        tree->selectionModel()->select(found.first(), QItemSelectionModel::ClearAndSelect);
        QCoreApplication::processEvents();
    }

    // Opens the dialog the way the program does. A dialog the program runs
    // modally arrives in Prompts::exec, whose answer gets check; others are
    // returned to be checked.
    QWidget *openDialog(const QString &dialog, const std::function<int(QDialog *)> &check)
    {
        const auto picking = [](const char *button) {
            return [button](QDialog *d) {
                d->findChild<QToolButton *>(QLatin1String(button))->click();
                return int(QDialog::Rejected);
            };
        };
        if (dialog == QLatin1String("about")) {
            prompts->execAnswers << check;
            window()->on_actionAbout_triggered();
        } else if (dialog == QLatin1String("device selector")) {
            prompts->execAnswers << check;
            window()->on_openDeviceButton_clicked();
        } else if (dialog == QLatin1String("example selector")) {
            prompts->execAnswers << check;
            window()->on_actionExamples_triggered();
        } else if (dialog == QLatin1String("ZelC source selector")) {
            prompts->execAnswers << picking("ZelC_button") << check;
            window()->on_openDeviceButton_clicked();
            session.clear(); // choosing a type closes the session
        } else if (dialog == QLatin1String("MoxB source selector")) {
            prompts->execAnswers << picking("MoxB_button") << check;
            window()->on_openDeviceButton_clicked();
            session.clear();
        } else if (dialog == QLatin1String("settings file question")) {
            // Nothing in the program opens it any more (a message box asks instead).
            auto *question = new SettingFileDialog(window());
            question->setAttribute(Qt::WA_DeleteOnClose);
            return question;
        } else if (dialog == QLatin1String("theme editor")) {
            window()->findChild<QPushButton *>(QStringLiteral("themeToggle"))->setChecked(true);
            settle();
            window()->themeChooser()->findChild<QToolButton *>(QStringLiteral("UserThemeButton"))->click();
            settle();
            return window()->findChild<ThemeEditWindow *>();
        } else if (dialog == QLatin1String("PDF options")) {
            window()->changePage(MainWindow::REPORT_VIEW_PAGE);
            settle();
            stateAction(QStringLiteral("5 columns"))(); // a report to export
            prompts->execAnswers << check;
            window()->cachedPages()
                .value(MainWindow::REPORT_VIEW_PAGE)
                ->findChild<QPushButton *>(QStringLiteral("exportBasicReportToPdfButton"))
                ->click();
        } else if (dialog.startsWith(QLatin1String("energy"))) {
            // The page removes its energy tab, but its buttons' slots remain.
            window()->changePage(MainWindow::REPORT_VIEW_PAGE);
            settle();
            QWidget *page = window()->cachedPages().value(MainWindow::REPORT_VIEW_PAGE);
            prompts->execAnswers << check;
            if (dialog == QLatin1String("energy tariff")) {
                for (const char *peaks : {"summerTariffPeaksLine", "winterTariffPeaksLine"})
                    page->findChild<QLineEdit *>(QLatin1String(peaks))->setText(QStringLiteral("7-13"));
                page->findChild<QPushButton *>(QStringLiteral("addTariffButton"))->click();
            } else {
                // Its button waits for an energy report, which nothing makes.
                QMetaObject::invokeMethod(page, "on_addVirtualRowButton_clicked");
            }
        } else {
            window()->changePage(MainWindow::DATA_FILTER_PAGE);
            settle();
            if (dialog == QLatin1String("template save")) {
                // A template holds the parameters checked in the tree.
                filterPage()->model()->item(0)->child(1)->child(0)->setCheckState(Qt::Checked);
                prompts->execAnswers << check;
                filterPageButton("saveCfg2TemplButton")->click();
            } else if (dialog == QLatin1String("template load")) {
                prompts->execAnswers << check;
                filterPageButton("loadCfgTemplButton")->click();
            } else if (dialog == QLatin1String("instrument add")) {
                prompts->execAnswers << check;
                filterPageButton("addNewDeviceButton")->click();
            } else {
                selectDevice(QStringLiteral("Substation meter north"));
                prompts->execAnswers << check;
                if (dialog == QLatin1String("instrument edit"))
                    filterPageButton("editDeviceButton")->click();
                else if (dialog == QLatin1String("import"))
                    filterPageButton("importDataButton")->click();
                else if (dialog == QLatin1String("file server"))
                    filterPageButton("downloadDataButton")->click();
            }
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        // The font the program gets on X11 without a desktop's settings.
        QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
        g_framework = new Framework();
        g_framework->createMainWindow();
        window()->show();
        prompts = new ScriptedPrompts();
        installDeviceDialogs(); // as the program does at start
        dbPath = QDir(QDir::tempPath()).filePath(QStringLiteral("textfit.qdb"));
    }

    void cleanup()
    {
        window()->findChild<QPushButton *>(QStringLiteral("themeToggle"))->setChecked(false);
        settle();
    }

    void cleanupTestCase()
    {
        delete prompts;
    }

    void pages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("sessionKind");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("state");
        const struct
        {
            const char *session;
            MainWindow::EPageIndexes page;
            const char *state;
        } rows[] = {
            {"", MainWindow::WELCOME_PAGE, ""},
            {"", MainWindow::WELCOME_PAGE, "theme chooser"},
            {"", MainWindow::WELCOME_PAGE, "theme editor"},
            {"", MainWindow::DIGITAL_SIGN_PAGE, ""},
            {"database", MainWindow::DATA_FILTER_PAGE, ""},
            {"database", MainWindow::DATA_FILTER_PAGE, "device selected"},
            {"database", MainWindow::DATA_FILTER_PAGE, "calendar"},
            {"ZelB", MainWindow::TABLE_VIEW_PAGE, ""},
            {"ZelB", MainWindow::CHART_VIEW_PAGE, ""},
            {"ZelB", MainWindow::REPORT_VIEW_PAGE, ""},
            {"ZelB", MainWindow::REPORT_VIEW_PAGE, "5 columns"},
            {"ZelB", MainWindow::REPORT_VIEW_PAGE, "16 columns"},
            {"ZelB", MainWindow::CSV_EXPORT_PAGE, ""},
            {"MoxB", MainWindow::TABLE_VIEW_PAGE, ""},
            {"MoxB", MainWindow::CHART_VIEW_PAGE, ""},
            {"MoxB", MainWindow::REPORT_VIEW_PAGE, ""},
            {"MoxB", MainWindow::CSV_EXPORT_PAGE, ""},
            {"MoxB", MainWindow::DEVICE_SETTINGS_PAGE, ""},
        };
        const QMetaEnum pageNames = QMetaEnum::fromType<MainWindow::EPageIndexes>();
        for (const char *lang : {"en", "pl"})
            for (const auto &row : rows)
                QTest::addRow("%s %s %s%s%s", lang, *row.session ? row.session : "no session",
                              pageNames.valueToKey(row.page), *row.state ? ", " : "", row.state)
                    << QString::fromLatin1(lang) << QString::fromLatin1(row.session) << int(row.page)
                    << QString::fromLatin1(row.state);
    }

    void pages()
    {
        QFETCH(QString, language);
        QFETCH(QString, sessionKind);
        QFETCH(int, page);
        QFETCH(QString, state);
        setLanguage(language);
        openSession(sessionKind);
        // Only the page under test sets the window's smallest size.
        window()->removeCachedPages(0);
        settle();
        window()->changePage(page);
        settle();
        // The record count arrives from a task of its own.
        if (page == MainWindow::DATA_FILTER_PAGE)
            QTRY_COMPARE(filterPage()->form()->dataRecordsValueLabel->text(), QStringLiteral("93"));
        QStringList report;
        walk(stateAction(state), report);
        for (const QString &line : report)
            qWarning().noquote() << line;
        QVERIFY2(report.isEmpty(), qPrintable(QStringLiteral("%1 texts do not fit").arg(report.size())));
    }

    void dialogs_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("sessionKind");
        QTest::addColumn<QString>("dialog");
        const struct
        {
            const char *session;
            const char *dialog;
        } rows[] = {
            {"", "about"},
            {"", "device selector"},
            {"", "example selector"},
            {"", "ZelC source selector"},
            {"", "MoxB source selector"},
            {"", "settings file question"},
            {"", "theme editor"},
            {"database", "instrument add"},
            {"database", "instrument edit"},
            {"database", "import"},
            {"database", "file server"},
            {"database", "template save"},
            {"database", "template load"},
            {"ZelB", "PDF options"},
            {"ZelB", "energy tariff"},
            {"ZelB", "energy extra row"},
        };
        for (const char *lang : {"en", "pl"})
            for (const auto &row : rows)
                QTest::addRow("%s %s", lang, row.dialog)
                    << QString::fromLatin1(lang) << QString::fromLatin1(row.session) << QString::fromLatin1(row.dialog);
    }

    void dialogs()
    {
        QFETCH(QString, language);
        QFETCH(QString, sessionKind);
        QFETCH(QString, dialog);
        std::unique_ptr<FtpTestServer> server;
        QTemporaryDir served;
        if (dialog == QLatin1String("file server")) {
            FTP_SERVER_AVAILABLE_OR_SKIP();
            QVERIFY(served.isValid());
            QDir(served.path()).mkpath(QStringLiteral("archive/2024"));
            for (const char *name : {"archive/2024/meter_2024-03.csv", "archive/meter_events.csv", "readme.txt"}) {
                QFile file(served.filePath(QLatin1String(name)));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write("1;2;3\n");
            }
            server = std::make_unique<FtpTestServer>();
            QVERIFY2(server->start(served.path(), FtpTestServer::Plain), qPrintable(server->error()));
        }
        setLanguage(language);
        openSession(sessionKind);
        window()->resize(1600, 1000);
        settle();

        QStringList report;
        int shown = 0;
        prompts->execAnswers.clear();
        const auto check = [&](QDialog *d) {
            ++shown;
            walkWindow(d, report);
            d->hide();
            return int(QDialog::Rejected);
        };
        if (QWidget *opened = openDialog(dialog, check)) {
            ++shown;
            walkWindow(opened, report);
            if (opened->isWindow())
                opened->close();
        }
        settle();
        prompts->execAnswers.clear();
        QCOMPARE(shown, 1);
        for (const QString &line : report)
            qWarning().noquote() << line;
        QVERIFY2(report.isEmpty(), qPrintable(QStringLiteral("%1 texts do not fit").arg(report.size())));
    }
};

QUORLOG_TEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
