#pragma once
// The theme chooser over the main window's lower right corner: the six themes
// as picture buttons; a click previews, Accept keeps the theme, unchecking
// the main window's theme toggle goes back to the saved one. The user theme
// is created, edited and deleted here.
#include <QPointer>
#include <QWidget>

class QSettings;
class QToolButton;
class ThemeEditWindow;
namespace Ui {
class ThemeWindow;
}

class ThemeWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ThemeWindow(QWidget *parent = nullptr);
    ~ThemeWindow() override;

    // Declines an open editor (the toggle was unchecked while editing).
    void cancelThemeEditing();

    int chosenThemeIndex() const { return currentThemeIndex; }
    ThemeEditWindow *editor() const { return themeEditWindow; }

public slots:
    void handleDarkThemeButtonClicked();
    void handleGoldThemeButtonClicked();
    void handleLightThemeButtonClicked();
    void handleRedThemeButtonClicked();
    void handleBlueThemeButtonClicked();
    void handleUserThemeButtonClicked();
    void handleAcceptThemeButtonClicked();
    void handleDeleteThemeButtonClicked();
    void handleEditThemeButtonClicked();
    void handleThemeEditWindowFinished();
    void handleThemeEditWindowDeclined();
    void resetThemeEditWindowPointer();

private:
    void uncheckAllThemeButtons();
    void updateUserThemeButton();
    void checkThemeButton(int index);
    void openThemeEditWindow();
    void previewBuiltIn(int index);
    QToolButton *themeButton(int index) const;
    void applyTheme(int index);

    Ui::ThemeWindow *ui;
    int currentThemeIndex;
    ThemeEditWindow *themeEditWindow;
    QSettings *settings;
};
