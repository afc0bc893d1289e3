#pragma once
// The options dialog: shows the settings file as radio buttons, a colour box, a font chooser and
// two check boxes; OK writes the whole file anew and applies the settings to the running program.
#include "common/SettingsFile.h"

#include <QDialog>
#include <QFont>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTabWidget;

class TOptionForm final : public QDialog {
    Q_OBJECT
public:
    // settingsPath: the file shown and written; applyListViewStyle gives the main list its view style.
    // The controls are filled from the settings file at once (FormCreate).
    TOptionForm(QWidget* owner, const QString& settingsPath, std::function<void(int)> applyListViewStyle);

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;  // "常规"
    QWidget* TabSheet2 = nullptr;  // "高级"
    QGroupBox* GroupBox1 = nullptr;  // "首选项"
    QGroupBox* IconGroup = nullptr;
    QGroupBox* OrderGroup = nullptr;
    QGroupBox* ViewGroup = nullptr;
    QGroupBox* WindowGroup = nullptr;  // the inner group without caption
    QRadioButton* BigIconOBtn = nullptr;
    QRadioButton* SmallIconOBtn = nullptr;
    QRadioButton* ListOBtn = nullptr;
    QRadioButton* ByNameOBtn = nullptr;
    QRadioButton* ByTimeOBtn = nullptr;
    QRadioButton* ThisOBtn = nullptr;
    QRadioButton* NewOBtn = nullptr;
    QRadioButton* AllNewOBtn = nullptr;
    QRadioButton* EveryNewOBtn = nullptr;
    QGroupBox* VisualGroup = nullptr;
    QComboBox* ColorBox = nullptr;
    QPushButton* FontBtn = nullptr;
    QGroupBox* TrayGroup = nullptr;
    QCheckBox* MinToTrayCheck = nullptr;
    QCheckBox* CloseToTrayCheck = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // The dialog's copy of the viewer font record and the font the chooser starts from.
    const ViewerFontRecord& fontRecord() const { return m_font; }
    const QFont& chooserFont() const { return m_chooserFont; }
    // The colour value chosen in ColorBox; selecting a value no name has adds it as an entry.
    qint32 selectedColor() const;
    void selectColor(qint32 value);
    // Everything OK would write, collected from the controls.
    SettingsValues values() const;

    // Reads lines 7 to 12 into the font record and the chooser's font; throws SettingsError,
    // keeping what was read before the failure.
    // Reads the font lines into the record and the chooser; the reader's error text when it stopped.
    QString FontInit();

public slots:
    void FormCreate();
    void ThisOBtnClick();
    void NewOBtnClick();
    void FontBtnClick();
    void OkBtnClick();
    void CancelBtnClick();

private:
    QWidget* buildGeneralPage();
    QWidget* buildAdvancedPage();
    void setWindowModeEnabled(bool enabled);
    void apply(const SettingsValues& v);

    QString m_settingsPath;
    std::function<void(int)> m_applyListViewStyle;
    ViewerFontRecord m_font;
    QFont m_chooserFont;
};
