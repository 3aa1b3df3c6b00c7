#pragma once
// The editor of the user theme: 12 standard colours (the first 11 live as
// colour markers in the user style sheet, the 12th in the settings), 10
// additional colours of particular pages and the palette brightness. Every
// complete change is stored and applied at once.
#include <QMap>
#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QSettings;
namespace Ui {
class ThemeEditWindow;
}

class ThemeEditWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ColorCount = 22;
    static constexpr int StandardCount = 12;

    explicit ThemeEditWindow(QWidget *parent = nullptr);
    ~ThemeEditWindow() override;

    // Declines exactly as the Decline button does.
    void cancelEditing();
    void updateColorButtons();
    void restoreColors();

    // The working colours, slots 0-11 standard, 12-21 additional.
    QString color(int slot) const { return colors[slot]; }
    int workingBrightness() const { return brightness; }

signals:
    void editingFinished();
    void editingDeclined();

public slots:
    void on_acceptEditThemeButton_clicked();
    void on_declineEditThemeButton_clicked();
    void updateColorsWatch();
    void updateAdditColorsWatch();
    void openColorPickerDialog();
    void updateBrightnessLabel(int value);
    void applyBrightnessOnRelease();

private:
    void buildInitialTheme();
    void saveAndApplyTheme();
    void watchField(const QMap<QLineEdit *, QPushButton *> &map, int firstSlot);
    QLineEdit *fieldOfSlot(int slot) const;
    QPushButton *buttonOfSlot(int slot) const;

    Ui::ThemeEditWindow *ui;
    QSettings *settings;
    QString savedColors[ColorCount];
    QString colors[ColorCount];
    int brightness;
    int savedBrightness;
    QMap<QLineEdit *, QPushButton *> colorEditButtons;
    QMap<QLineEdit *, QPushButton *> additColorEditButtons;
    QString userThemePath;
    bool lightBase;
};
