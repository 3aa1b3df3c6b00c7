#include "themes/ThemeEditWindow.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Prompts.h"
#include "common/Trace.h"
#include "themes/ColorMarkers.h"
#include "themes/ThemeColors.h"
#include "ui_ThemeEditWindow.h"

#include <QColor>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSettings>

ThemeEditWindow::ThemeEditWindow(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ThemeEditWindow)
    , settings(nullptr)
    , brightness(50)
    , savedBrightness(50)
    , lightBase(true)
{
    TRACE_FUNC();
    ui->setupUi(this);
    setFixedSize(550, 500);
    // The grids' fixed label widths hold their texts in a smaller font.
    const QString smaller = QStringLiteral("QLabel, QLineEdit { font-size: 8pt; }");
    ui->gridFrame->setStyleSheet(smaller);
    ui->gridFrame_2->setStyleSheet(smaller);
    // A row label is never narrower than its text: the form lets two of them
    // shrink to 100 pixels, and with them the columns that hold the others.
    for (QFrame *grid : {ui->gridFrame, ui->gridFrame_2}) {
        for (QLabel *label : grid->findChildren<QLabel *>()) {
            label->ensurePolished();
            label->setMinimumWidth(qMax(label->minimumWidth(), label->minimumSizeHint().width()));
        }
    }
    settings = new QSettings(g_framework->configFilePath, QSettings::IniFormat, this);
    if (QWidget *window = g_framework->mainWindow.data())
        move(window->width() - width(), window->height() - height() - 28);
    setAttribute(Qt::WA_DeleteOnClose);
    userThemePath = g_framework->userThemePath;
    g_framework->themeEditorOpen = true;

    buildInitialTheme();

    for (int n = 1; n <= StandardCount; ++n)
        colorEditButtons.insert(findChild<QLineEdit *>(QStringLiteral("editThemeColor%1").arg(n)),
                                findChild<QPushButton *>(QStringLiteral("buttonColor%1").arg(n)));
    for (int n = 1; n <= ColorCount - StandardCount; ++n)
        additColorEditButtons.insert(findChild<QLineEdit *>(QStringLiteral("additEditThemeColor%1").arg(n)),
                                     findChild<QPushButton *>(QStringLiteral("additButtonColor%1").arg(n)));
    const QRegularExpression pattern(QStringLiteral("^#?([0-9A-Fa-f]{6}|[0-9A-Fa-f]{3})$"));
    for (QLineEdit *field : colorEditButtons.keys()) {
        field->setValidator(new QRegularExpressionValidator(pattern, field));
        connect(field, &QLineEdit::textChanged, this, &ThemeEditWindow::updateColorsWatch);
    }
    for (QLineEdit *field : additColorEditButtons.keys()) {
        field->setValidator(new QRegularExpressionValidator(pattern, field));
        connect(field, &QLineEdit::textChanged, this, &ThemeEditWindow::updateAdditColorsWatch);
    }
    for (int slot = 0; slot < ColorCount; ++slot)
        connect(buttonOfSlot(slot), &QPushButton::clicked, this, &ThemeEditWindow::openColorPickerDialog);

    ui->paletteBrightnessSlider->setRange(0, 100);
    ui->paletteBrightnessSlider->setValue(brightness);
    connect(ui->paletteBrightnessSlider, &QSlider::valueChanged, this, &ThemeEditWindow::updateBrightnessLabel);
    updateBrightnessLabel(ui->paletteBrightnessSlider->value());
    connect(ui->paletteBrightnessSlider, &QSlider::sliderReleased, this, &ThemeEditWindow::applyBrightnessOnRelease);
}

ThemeEditWindow::~ThemeEditWindow()
{
    if (g_framework)
        g_framework->themeEditorOpen = false;
    delete ui;
}

QLineEdit *ThemeEditWindow::fieldOfSlot(int slot) const
{
    return slot < StandardCount
               ? findChild<QLineEdit *>(QStringLiteral("editThemeColor%1").arg(slot + 1))
               : findChild<QLineEdit *>(QStringLiteral("additEditThemeColor%1").arg(slot - StandardCount + 1));
}

QPushButton *ThemeEditWindow::buttonOfSlot(int slot) const
{
    return slot < StandardCount
               ? findChild<QPushButton *>(QStringLiteral("buttonColor%1").arg(slot + 1))
               : findChild<QPushButton *>(QStringLiteral("additButtonColor%1").arg(slot - StandardCount + 1));
}

void ThemeEditWindow::buildInitialTheme()
{
    Framework &fw = *g_framework;
    QString path;
    if (fw.themeUserCreated) {
        path = userThemePath;
    } else if (const ThemeColors::BaseSheet *base = ThemeColors::baseSheet(fw.savedTheme)) {
        path = QLatin1String(base->path);
        lightBase = base->light;
    }
    QString text;
    ColorMarkers::readSheet(path, &text);
    const QMap<int, QString> markers = ColorMarkers::collect(text);
    for (int n = 1; n <= 11; ++n)
        if (markers.contains(n))
            colors[n - 1] = markers.value(n);

    if (fw.themeUserCreated) {
        settings->beginGroup(QStringLiteral("ThemeStyle"));
        for (int n = 1; n <= 10; ++n)
            colors[StandardCount + n - 1] = settings->value(QStringLiteral("additButtonColor%1").arg(n)).toString();
        colors[11] = settings->value(QStringLiteral("buttonColor12")).toString();
        fw.brightness = settings->value(QStringLiteral("brightnessPrecentage")).toInt();
        settings->endGroup();
    } else {
        const QStringList defaults = ThemeColors::defaultSet(lightBase);
        for (int n = 1; n <= 10; ++n)
            colors[StandardCount + n - 1] = defaults.at(n - 1);
        colors[11] = defaults.at(10);
    }

    for (int slot = 0; slot < ColorCount; ++slot) {
        savedColors[slot] = colors[slot];
        fieldOfSlot(slot)->setText(colors[slot]);
    }
    brightness = fw.brightness;
    savedBrightness = fw.brightness;
    updateColorButtons();
    saveAndApplyTheme();
}

void ThemeEditWindow::saveAndApplyTheme()
{
    Framework &fw = *g_framework;
    TRACE() << "actualColor: " << colors[0];

    // A sheet that cannot be read is left as it is: rewriting it from an
    // empty text would lose the whole theme. Only marker colours are written.
    QString text;
    if (ColorMarkers::readSheet(userThemePath, &text)) {
        for (int n = 1; n <= 11; ++n)
            ColorMarkers::replace(text, n, colors[n - 1]);
        QString error;
        if (!ColorMarkers::writeSheet(userThemePath, text, &error)) {
            qCWarning(lcTrace).noquote() << "Nie można otworzyć pliku do zapisu:" << userThemePath;
            qCWarning(lcTrace).noquote() << "Kod błędu QFile:" << QFileDevice::WriteError;
            qCWarning(lcTrace).noquote() << "Opis błędu:" << error;
        }
    } else {
        qCWarning(lcTrace).noquote() << "Nie można odczytać arkusza motywu:" << userThemePath;
    }

    for (int n = 1; n <= 10; ++n)
        ThemeColors::additColor(fw, n) = colors[StandardCount + n - 1];
    ThemeColors::chartBackColor(fw) = colors[11];
    fw.textColor = colors[9];
    fw.disabledTextColor = colors[4];

    QColor panel;
    panel.setNamedColor(colors[1]);
    fw.lightTheme = panel.isValid() && panel.lightness() >= 129;
    fw.logoColorBlack = fw.lightTheme;

    settings->beginGroup(QStringLiteral("ThemeStyle"));
    for (int n = 1; n <= 10; ++n)
        settings->setValue(QStringLiteral("additButtonColor%1").arg(n), colors[StandardCount + n - 1]);
    settings->setValue(QStringLiteral("buttonColor12"), colors[11]);
    settings->setValue(QStringLiteral("brightnessPrecentage"), brightness);
    settings->setValue(QStringLiteral("logoColorBlack"), fw.logoColorBlack);
    settings->endGroup();
    settings->sync();

    if (MainWindow *window = fw.mainWindow.data())
        window->applyTheme(Framework::ThemeUser);
    else
        fw.loadTheme(Framework::ThemeUser);
}

void ThemeEditWindow::updateColorButtons()
{
    for (int slot = 0; slot < ColorCount; ++slot)
        buttonOfSlot(slot)->setStyleSheet(QStringLiteral("background-color: ") + colors[slot] + QLatin1Char(';'));
}

void ThemeEditWindow::restoreColors()
{
    for (int slot = 0; slot < ColorCount; ++slot)
        colors[slot] = savedColors[slot];
    brightness = savedBrightness;
}

void ThemeEditWindow::watchField(const QMap<QLineEdit *, QPushButton *> &map, int firstSlot)
{
    QLineEdit *field = qobject_cast<QLineEdit *>(sender());
    if (!field || !map.contains(field))
        return;
    QPushButton *button = map.value(field);
    const QString text = field->text();
    QColor parsed;
    parsed.setNamedColor(text);
    if (text.size() > 6 && text.startsWith(QLatin1Char('#'))) {
        if (parsed.isValid()) {
            const QString style = QStringLiteral("background-color: %1;").arg(text);
            button->setStyleSheet(style);
            const QString prefix = firstSlot == 0 ? QStringLiteral("editThemeColor") : QStringLiteral("additEditThemeColor");
            const int slot = firstSlot + field->objectName().mid(prefix.size()).toInt() - 1;
            colors[slot] = text;
            saveAndApplyTheme();
            button->setStyleSheet(style);
        } else {
            button->setStyleSheet(QStringLiteral("background-color: transparent; border: 1px solid red;"));
        }
        return;
    }
    button->setStyleSheet(QStringLiteral("background-color: transparent;"));
}

void ThemeEditWindow::updateColorsWatch()
{
    watchField(colorEditButtons, 0);
}

void ThemeEditWindow::updateAdditColorsWatch()
{
    watchField(additColorEditButtons, StandardCount);
}

void ThemeEditWindow::openColorPickerDialog()
{
    QPushButton *button = qobject_cast<QPushButton *>(sender());
    QLineEdit *field = nullptr;
    for (int slot = 0; slot < ColorCount && button; ++slot)
        if (buttonOfSlot(slot) == button)
            field = fieldOfSlot(slot);
    if (!field)
        return;
    QColor start;
    start.setNamedColor(field->text());
    if (!start.isValid())
        start = Qt::black;
    const QColor chosen = Prompts::instance().getColor(start, this, tr("Select a color"));
    if (!chosen.isValid())
        return;
    field->setText(chosen.name(QColor::HexRgb).toUpper());
}

void ThemeEditWindow::updateBrightnessLabel(int value)
{
    ui->paletteBrightnessLabel->setText(QStringLiteral("%1%").arg(value));
}

void ThemeEditWindow::applyBrightnessOnRelease()
{
    g_framework->brightness = ui->paletteBrightnessSlider->value();
    brightness = ui->paletteBrightnessSlider->value();
    saveAndApplyTheme();
}

void ThemeEditWindow::on_acceptEditThemeButton_clicked()
{
    g_framework->themeUserCreated = true;
    settings->beginGroup(QStringLiteral("ThemeStyle"));
    settings->setValue(QStringLiteral("themeCreated"), g_framework->themeUserCreated);
    settings->endGroup();
    settings->sync();
    emit editingFinished();
    close();
}

void ThemeEditWindow::on_declineEditThemeButton_clicked()
{
    if (g_framework->themeUserCreated) {
        restoreColors();
        g_framework->brightness = brightness;
        saveAndApplyTheme();
    }
    emit editingDeclined();
    close();
}

void ThemeEditWindow::cancelEditing()
{
    on_declineEditThemeButton_clicked();
}
