#include "themes/ThemeWindow.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/Trace.h"
#include "themes/ThemeEditWindow.h"
#include "ui_ThemeWindow.h"

#include <QSettings>

namespace {
const char *const userPicture = ":/styleImages/_resources/styleImages/userThemeView.png";
const char *const plusIcon = ":/newIcons/_resources/newIcons/plus80.svg";
} // namespace

ThemeWindow::ThemeWindow(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ThemeWindow)
    , currentThemeIndex(0)
    , themeEditWindow(nullptr)
    , settings(nullptr)
{
    TRACE_FUNC();
    ui->setupUi(this);
    setFixedSize(550, 450);
    settings = new QSettings(g_framework->configFilePath, QSettings::IniFormat, this);
    if (QWidget *window = g_framework->mainWindow.data())
        move(window->width() - width(), window->height() - height() - 28);

    connect(ui->DarkThemeButton, &QToolButton::clicked, this, &ThemeWindow::handleDarkThemeButtonClicked);
    connect(ui->GoldThemeButton, &QToolButton::clicked, this, &ThemeWindow::handleGoldThemeButtonClicked);
    connect(ui->LightThemeButton, &QToolButton::clicked, this, &ThemeWindow::handleLightThemeButtonClicked);
    connect(ui->RedThemeButton, &QToolButton::clicked, this, &ThemeWindow::handleRedThemeButtonClicked);
    connect(ui->BlueThemeButton, &QToolButton::clicked, this, &ThemeWindow::handleBlueThemeButtonClicked);
    connect(ui->UserThemeButton, &QToolButton::clicked, this, &ThemeWindow::handleUserThemeButtonClicked);
    connect(ui->AcceptThemeButton, &QPushButton::clicked, this, &ThemeWindow::handleAcceptThemeButtonClicked);
    connect(ui->DeleteThemeButton, &QPushButton::clicked, this, &ThemeWindow::handleDeleteThemeButtonClicked);
    connect(ui->EditThemeButton, &QPushButton::clicked, this, &ThemeWindow::handleEditThemeButtonClicked);

    ui->EditThemeButton->hide();
    ui->DeleteThemeButton->hide();
    currentThemeIndex = g_framework->savedTheme;
    checkThemeButton(currentThemeIndex);
    if (currentThemeIndex == Framework::ThemeUser && g_framework->themeUserCreated) {
        ui->EditThemeButton->show();
        ui->DeleteThemeButton->show();
    }
    updateUserThemeButton();
}

ThemeWindow::~ThemeWindow()
{
    delete ui;
}

QToolButton *ThemeWindow::themeButton(int index) const
{
    switch (index) {
    case Framework::ThemeDark:
        return ui->DarkThemeButton;
    case Framework::ThemeLight:
        return ui->LightThemeButton;
    case Framework::ThemeGold:
        return ui->GoldThemeButton;
    case Framework::ThemeRed:
        return ui->RedThemeButton;
    case Framework::ThemeBlue:
        return ui->BlueThemeButton;
    case Framework::ThemeUser:
        return ui->UserThemeButton;
    default:
        return nullptr;
    }
}

void ThemeWindow::applyTheme(int index)
{
    if (MainWindow *window = g_framework->mainWindow.data())
        window->applyTheme(index);
    else
        g_framework->loadTheme(index);
}

void ThemeWindow::uncheckAllThemeButtons()
{
    for (int index = Framework::ThemeDark; index <= Framework::ThemeUser; ++index)
        themeButton(index)->setChecked(false);
    ui->EditThemeButton->hide();
    ui->DeleteThemeButton->hide();
}

void ThemeWindow::checkThemeButton(int index)
{
    if (QToolButton *button = themeButton(index))
        button->setChecked(true);
}

void ThemeWindow::updateUserThemeButton()
{
    if (g_framework->themeUserCreated) {
        ui->UserThemeButton->setIcon(QIcon(QLatin1String(userPicture)));
        ui->UserThemeButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    } else {
        ui->UserThemeButton->setIcon(Framework::createColoredIcon(
            QLatin1String(plusIcon), QColor(g_framework->additButtonColor1), QSize(80, 80)));
        ui->UserThemeButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
}

void ThemeWindow::openThemeEditWindow()
{
    if (themeEditWindow)
        return;
    themeEditWindow = new ThemeEditWindow(g_framework->mainWindow.data());
    themeEditWindow->setWindowFlags(Qt::WindowStaysOnTopHint);
    connect(themeEditWindow, &ThemeEditWindow::editingFinished, this, &ThemeWindow::handleThemeEditWindowFinished);
    connect(themeEditWindow, &ThemeEditWindow::editingDeclined, this, &ThemeWindow::handleThemeEditWindowDeclined);
    connect(themeEditWindow, &QObject::destroyed, this, &ThemeWindow::resetThemeEditWindowPointer);
    themeEditWindow->show();
    hide();
}

void ThemeWindow::previewBuiltIn(int index)
{
    uncheckAllThemeButtons();
    checkThemeButton(index);
    currentThemeIndex = index;
    applyTheme(index);
    updateUserThemeButton();
}

void ThemeWindow::handleDarkThemeButtonClicked() { previewBuiltIn(Framework::ThemeDark); }
void ThemeWindow::handleGoldThemeButtonClicked() { previewBuiltIn(Framework::ThemeGold); }
void ThemeWindow::handleLightThemeButtonClicked() { previewBuiltIn(Framework::ThemeLight); }
void ThemeWindow::handleRedThemeButtonClicked() { previewBuiltIn(Framework::ThemeRed); }
void ThemeWindow::handleBlueThemeButtonClicked() { previewBuiltIn(Framework::ThemeBlue); }

void ThemeWindow::handleUserThemeButtonClicked()
{
    uncheckAllThemeButtons();
    checkThemeButton(Framework::ThemeUser);
    currentThemeIndex = Framework::ThemeUser;
    if (g_framework->themeUserCreated) {
        ui->EditThemeButton->show();
        ui->DeleteThemeButton->show();
        applyTheme(Framework::ThemeUser);
        updateUserThemeButton();
    } else {
        openThemeEditWindow();
    }
}

void ThemeWindow::handleEditThemeButtonClicked()
{
    openThemeEditWindow();
}

void ThemeWindow::handleThemeEditWindowFinished()
{
    show();
    applyTheme(currentThemeIndex);
    updateUserThemeButton();
    ui->EditThemeButton->show();
    ui->DeleteThemeButton->show();
}

void ThemeWindow::handleThemeEditWindowDeclined()
{
    show();
    if (g_framework->themeUserCreated) {
        applyTheme(currentThemeIndex);
        updateUserThemeButton();
        return;
    }
    currentThemeIndex = g_framework->savedTheme == Framework::ThemeUser ? int(Framework::ThemeDark)
                                                                       : g_framework->savedTheme;
    applyTheme(currentThemeIndex);
    ui->UserThemeButton->setChecked(false);
    checkThemeButton(currentThemeIndex);
    updateUserThemeButton();
}

void ThemeWindow::handleAcceptThemeButtonClicked()
{
    g_framework->savedTheme = currentThemeIndex;
    // The main window's toggle handler releases this window and applies the
    // saved theme, now the one just kept, before the call returns.
    QPointer<MainWindow> window = g_framework->mainWindow.data();
    if (window)
        window->setThemeToggleUnchecked();
    if (window)
        window->saveThemeIndex(currentThemeIndex);
    close();
}

void ThemeWindow::handleDeleteThemeButtonClicked()
{
    if (ui->UserThemeButton->isChecked()) {
        g_framework->themeUserCreated = false;
        currentThemeIndex = g_framework->savedTheme == Framework::ThemeUser ? int(Framework::ThemeDark)
                                                                           : g_framework->savedTheme;
        settings->beginGroup(QStringLiteral("ThemeStyle"));
        settings->setValue(QStringLiteral("themeCreated"), false);
        settings->setValue(QStringLiteral("savedTheme"), currentThemeIndex);
        settings->endGroup();
        settings->sync();
        g_framework->savedTheme = currentThemeIndex;
        applyTheme(currentThemeIndex);
        uncheckAllThemeButtons();
        checkThemeButton(currentThemeIndex);
    }
    updateUserThemeButton();
}

void ThemeWindow::cancelThemeEditing()
{
    if (!themeEditWindow)
        return;
    currentThemeIndex = g_framework->savedTheme;
    themeEditWindow->cancelEditing();
    applyTheme(currentThemeIndex);
    show();
    updateUserThemeButton();
}

void ThemeWindow::resetThemeEditWindowPointer()
{
    themeEditWindow = nullptr;
}
