#include "app/TOptionForm.h"

#include "browse/ViewerFont.h"

#include "common/Colors.h"
#include "common/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr qint32 kWhite = 16777215;

QRadioButton* makeRadio(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QRadioButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& title)
{
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

// Tight margins keep the pages near the dialog's design size with the platform's taller fonts.
template <typename Layout> Layout* compact(Layout* layout)
{
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(2);
    return layout;
}

QIcon swatch(qint32 value)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colorFromValue(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

// The record holds the height the way the platform's font record does: negative character
// height in pixels at 96 dots per inch.
int heightForPoints(int points) { return -qRound(points * 96.0 / 72.0); }

}  // namespace

TOptionForm::TOptionForm(QWidget* owner, const QString& settingsPath, std::function<void(int)> applyListViewStyle)
    : QDialog(owner), m_settingsPath(settingsPath), m_applyListViewStyle(std::move(applyListViewStyle))
{
    setObjectName(QStringLiteral("TOptionForm"));
    setWindowTitle(QStringLiteral("选项"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = buildGeneralPage();
    TabSheet2 = buildAdvancedPage();
    PageControl1->addTab(TabSheet1, QStringLiteral("常规"));
    PageControl1->addTab(TabSheet2, QStringLiteral("高级"));

    OkBtn = new QPushButton(QStringLiteral("确定"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("取消"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(PageControl1, 1);
    outer->addLayout(buttons);
    // The design size, grown where the platform's fonts need more room so no text is cut.
    setFixedSize(QSize(364, 336).expandedTo(outer->sizeHint()));

    connect(ThisOBtn, &QRadioButton::clicked, this, &TOptionForm::ThisOBtnClick);
    connect(NewOBtn, &QRadioButton::clicked, this, &TOptionForm::NewOBtnClick);
    connect(FontBtn, &QPushButton::clicked, this, &TOptionForm::FontBtnClick);
    connect(OkBtn, &QPushButton::clicked, this, &TOptionForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TOptionForm::CancelBtnClick);

    FormCreate();
}

QWidget* TOptionForm::buildGeneralPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    GroupBox1 = makeGroup(page, "GroupBox1", QStringLiteral("首选项"));

    IconGroup = makeGroup(GroupBox1, "IconGroup", QStringLiteral("图标查看方式"));
    BigIconOBtn = makeRadio(IconGroup, "BigIconOBtn", QStringLiteral("大图标"));
    SmallIconOBtn = makeRadio(IconGroup, "SmallIconOBtn", QStringLiteral("小图标"));
    ListOBtn = makeRadio(IconGroup, "ListOBtn", QStringLiteral("列表"));
    auto* iconRow = compact(new QHBoxLayout(IconGroup));
    iconRow->addWidget(BigIconOBtn);
    iconRow->addWidget(SmallIconOBtn);
    iconRow->addWidget(ListOBtn);

    OrderGroup = makeGroup(GroupBox1, "OrderGroup", QStringLiteral("默认资料排序方式"));
    ByNameOBtn = makeRadio(OrderGroup, "ByNameOBtn", QStringLiteral("按名称"));
    ByTimeOBtn = makeRadio(OrderGroup, "ByTimeOBtn", QStringLiteral("按创建时间"));
    auto* orderRow = compact(new QHBoxLayout(OrderGroup));
    orderRow->addWidget(ByNameOBtn);
    orderRow->addWidget(ByTimeOBtn);
    orderRow->addStretch(1);

    ViewGroup = makeGroup(GroupBox1, "ViewGroup", QStringLiteral("资料浏览方式"));
    ThisOBtn = makeRadio(ViewGroup, "ThisOBtn", QStringLiteral("在主窗体上浏览"));
    NewOBtn = makeRadio(ViewGroup, "NewOBtn", QStringLiteral("在新窗口中浏览"));
    // A group of its own, so its buttons exclude each other but not the two above.
    WindowGroup = makeGroup(ViewGroup, "WindowGroup", QString());
    AllNewOBtn = makeRadio(WindowGroup, "AllNewOBtn", QStringLiteral("在同一个窗口浏览不同的资料"));
    EveryNewOBtn = makeRadio(WindowGroup, "EveryNewOBtn", QStringLiteral("为每一个资料新开一个窗口"));
    auto* windowColumn = compact(new QVBoxLayout(WindowGroup));
    windowColumn->addWidget(AllNewOBtn);
    windowColumn->addWidget(EveryNewOBtn);
    auto* viewColumn = compact(new QVBoxLayout(ViewGroup));
    viewColumn->addWidget(ThisOBtn);
    viewColumn->addWidget(NewOBtn);
    auto* indent = new QHBoxLayout;
    indent->addSpacing(16);
    indent->addWidget(WindowGroup, 1);
    viewColumn->addLayout(indent);

    auto* prefs = compact(new QVBoxLayout(GroupBox1));
    prefs->addWidget(IconGroup);
    prefs->addWidget(OrderGroup);
    prefs->addWidget(ViewGroup);
    prefs->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(GroupBox1);
    return page;
}

QWidget* TOptionForm::buildAdvancedPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));

    VisualGroup = makeGroup(page, "VisualGroup", QStringLiteral("浏览资料时的视觉设置："));
    ColorBox = new QComboBox(VisualGroup);
    ColorBox->setObjectName(QStringLiteral("ColorBox"));
    for (const NamedColor& c : namedColors())
        ColorBox->addItem(swatch(c.value), c.name, c.value);
    ColorBox->setCurrentIndex(namedColorIndex(kWhite));
    FontBtn = new QPushButton(QStringLiteral("设置..."), VisualGroup);
    FontBtn->setObjectName(QStringLiteral("FontBtn"));
    auto* colorLabel = new QLabel(QStringLiteral("浏览窗口背景色："), VisualGroup);
    colorLabel->setBuddy(ColorBox);
    auto* fontLabel = new QLabel(QStringLiteral("浏览窗口字体设置："), VisualGroup);
    fontLabel->setBuddy(FontBtn);
    auto* grid = compact(new QGridLayout(VisualGroup));
    grid->addWidget(colorLabel, 0, 0);
    grid->addWidget(ColorBox, 0, 1);
    grid->addWidget(fontLabel, 1, 0);
    grid->addWidget(FontBtn, 1, 1, Qt::AlignLeft);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);

    TrayGroup = makeGroup(page, "TrayGroup", QStringLiteral("任务栏图标"));
    MinToTrayCheck = new QCheckBox(QStringLiteral("最小化到任务栏"), TrayGroup);
    MinToTrayCheck->setObjectName(QStringLiteral("MinToTrayCheck"));
    CloseToTrayCheck = new QCheckBox(QStringLiteral("关闭时缩小到任务栏"), TrayGroup);
    CloseToTrayCheck->setObjectName(QStringLiteral("CloseToTrayCheck"));
    auto* trayColumn = compact(new QVBoxLayout(TrayGroup));
    trayColumn->addWidget(MinToTrayCheck);
    trayColumn->addWidget(CloseToTrayCheck);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(VisualGroup);
    layout->addWidget(TrayGroup);
    layout->addStretch(1);
    return page;
}

qint32 TOptionForm::selectedColor() const
{
    return ColorBox->currentIndex() >= 0 ? qint32(ColorBox->currentData().toInt()) : kWhite;
}

void TOptionForm::selectColor(qint32 value)
{
    int index = ColorBox->findData(value);
    if (index < 0) {
        // A colour the list does not name stays selectable under its value, so OK writes it back
        // unchanged.
        ColorBox->addItem(
            swatch(value), QStringLiteral("$%1").arg(quint32(value), 8, 16, QLatin1Char('0')).toUpper(), value);
        index = ColorBox->count() - 1;
    }
    ColorBox->setCurrentIndex(index);
}

void TOptionForm::setWindowModeEnabled(bool enabled)
{
    AllNewOBtn->setEnabled(enabled);
    EveryNewOBtn->setEnabled(enabled);
}

void TOptionForm::FormCreate()
{
    MinToTrayCheck->setChecked(false);
    CloseToTrayCheck->setChecked(false);
    const SettingsRead read = readSettings(m_settingsPath, SettingsLines::General);
    if (!read.ok()) {
        // The dialog still opens; what was not filled keeps its designed state.
        prompts().standardError(this, read.error);
        return;
    }
    {
        const SettingsValues& v = read.values;
        const int icon = v.icon;
        const int order = v.order;
        const int viewStyle = v.viewStyle;
        const int viewStyleDe = v.viewStyleDe;
        selectColor(v.color);
        // A value outside a group's buttons leaves that group with nothing checked.
        const QList<QRadioButton*> iconButtons = {BigIconOBtn, SmallIconOBtn, ListOBtn};
        if (icon >= 0 && icon < iconButtons.size())
            iconButtons.at(icon)->setChecked(true);
        if (order == 0 || order == 1)
            (order == 0 ? ByNameOBtn : ByTimeOBtn)->setChecked(true);
        if (viewStyle == 0 || viewStyle == 1)
            (viewStyle == 0 ? ThisOBtn : NewOBtn)->setChecked(true);
        if (viewStyleDe == 0 || viewStyleDe == 1)
            (viewStyleDe == 0 ? AllNewOBtn : EveryNewOBtn)->setChecked(true);
        if (ThisOBtn->isChecked())
            setWindowModeEnabled(false);
        const TrayOptionSet tray = trayOptionsFromText(v.trayWay);
        MinToTrayCheck->setChecked(tray.minimize);
        CloseToTrayCheck->setChecked(tray.close);
    }
    const QString fontError = FontInit();
    if (!fontError.isEmpty())
        prompts().standardError(this, fontError);
}

QString TOptionForm::FontInit()
{
    SettingsValues base;
    base.font = m_font;
    const SettingsRead read = readSettings(m_settingsPath, SettingsLines::Font, base);
    // The lines read before a failure stay in the record; the chooser's font is set only from a whole one.
    m_font = read.values.font;
    if (!read.ok())
        return read.error;
    // Qt fonts have no character set or colour: those stay in the record, carried unchanged.
    m_chooserFont = viewerfont::toQFont(m_font, m_chooserFont);
    return QString();
}

void TOptionForm::ThisOBtnClick() { setWindowModeEnabled(false); }

void TOptionForm::NewOBtnClick() { setWindowModeEnabled(true); }

void TOptionForm::FontBtnClick()
{
    QFont font = m_chooserFont;
    if (!prompts().chooseFont(this, font))
        return;
    m_chooserFont = font;
    m_font.name = font.family();
    const int points = font.pointSize() > 0 ? font.pointSize() : qRound(font.pixelSize() * 72.0 / 96.0);
    m_font.size = points;
    m_font.height = heightForPoints(points);
    m_font.bold = font.bold();
    m_font.italic = font.italic();
    m_font.underline = font.underline();
    m_font.strikeout = font.strikeOut();
}

SettingsValues TOptionForm::values() const
{
    SettingsValues v;
    // A group with no button checked counts as 0; disabled buttons count like the others.
    v.icon = SmallIconOBtn->isChecked() ? 1 : ListOBtn->isChecked() ? 2 : 0;
    v.order = ByTimeOBtn->isChecked() ? 1 : 0;
    v.viewStyle = NewOBtn->isChecked() ? 1 : 0;
    v.viewStyleDe = EveryNewOBtn->isChecked() ? 1 : 0;
    v.color = selectedColor();
    v.font = m_font;
    v.trayWay = QString(MinToTrayCheck->isChecked() ? QStringLiteral("0") : QString())
        + (CloseToTrayCheck->isChecked() ? QStringLiteral("1") : QString());
    return v;
}

void TOptionForm::apply(const SettingsValues& v)
{
    ViewerColor = v.color;
    if (m_applyListViewStyle)
        m_applyListViewStyle(v.icon);
    ListOrder = v.order == 0 ? 1 : 2;
    ViewMode = v.viewStyle;
    ViewerWindowMode = v.viewStyleDe;
    TrayOptions = trayOptionsFromText(v.trayWay);
}

void TOptionForm::OkBtnClick()
{
    const SettingsValues v = values();
    QString error;
    if (!writeSettingsFile(m_settingsPath, v, &error)) {
        // Nothing is applied and the dialog stays open, so the user can try again or cancel.
        prompts().standardError(this, error);
        return;
    }
    apply(v);
    accept();
}

void TOptionForm::CancelBtnClick() { reject(); }
