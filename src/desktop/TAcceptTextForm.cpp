#include "desktop/TAcceptTextForm.h"

#include "common/BodyField.h"
#include "common/Gbk.h"
#include "common/Images.h"
#include "common/Kinds.h"
#include "common/Prompts.h"
#include "store/Escaping.h"
#include "store/TFile.h"
#include "tree/CategoryTree.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel* makeLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(15);
    font.setBold(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 128, 128));  // teal
    label->setPalette(pal);
    return label;
}

// The text as the memo holds it: one paragraph per line, whatever the line ends were.
QString memoText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool isExampleRoot(const TTreeNode* node) { return !node->parent() && node->text() == kinds::exampleRoot(); }
}  // namespace

// ---- the text filing dialog ----------------------------------------------------------------------

TAcceptTextForm::TAcceptTextForm(Layout layout, const TCategoryTree* tree, QWidget* owner)
    : QWidget(owner,
        Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint),
      m_tree(tree)
{
    setWindowIcon(images::appIcon());
    buildControls(layout);
}

TAcceptTextForm::TAcceptTextForm(const QString& text, const TCategoryTree* tree, QWidget* owner)
    : TAcceptTextForm(Layout::Text, tree, owner)
{
    setObjectName(QStringLiteral("TAcceptTextForm"));
    setBody(text);
    NameEdit->setText(proposeTitle(text));
    fillCategoryLists();
}

TAcceptTextForm::~TAcceptTextForm()
{
    if (AcceptTextForm == this)
        AcceptTextForm = nullptr;
}

void TAcceptTextForm::buildControls(Layout kind)
{
    const bool withPath = kind == Layout::Example;
    setWindowTitle(withPath ? QStringLiteral("添加实例资料") : QStringLiteral("添加文字资料"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(4);

    NameLabel = makeLabel(QStringLiteral("资料标题："), this);
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    AuthorLabel = makeLabel(QStringLiteral("资料作者（可不填写）："), this);
    AuthorEdit = new QLineEdit(this);
    AuthorEdit->setObjectName(QStringLiteral("AuthorEdit"));
    ClassLabel = makeLabel(QStringLiteral("分类："), this);
    BigClassCombo = new QComboBox(this);
    BigClassCombo->setObjectName(QStringLiteral("BigClassCombo"));
    SmallClassCombo = new QComboBox(this);
    SmallClassCombo->setObjectName(QStringLiteral("SmallClassCombo"));
    MainMemo = new QPlainTextEdit(this);
    MainMemo->setObjectName(QStringLiteral("MainMemo"));
    MainMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bodyfield::setUp(MainMemo);
    OkBtn = new QPushButton(QStringLiteral("添加"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("取消"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    layout->addWidget(NameLabel);
    layout->addWidget(NameEdit);
    layout->addWidget(AuthorLabel);
    layout->addWidget(AuthorEdit);
    layout->addWidget(ClassLabel);
    auto* classRow = new QHBoxLayout;
    classRow->addWidget(BigClassCombo, 1);
    classRow->addWidget(SmallClassCombo, 1);
    layout->addLayout(classRow);
    if (withPath) {
        PathLabel = makeLabel(QStringLiteral("路径:"), this);
        PathEdit = new QLineEdit(this);
        PathEdit->setObjectName(QStringLiteral("PathEdit"));
        AboutLabel = makeLabel(QStringLiteral("简介："), this);
        layout->addWidget(PathLabel);
        layout->addWidget(PathEdit);
        layout->addWidget(AboutLabel);
    }
    layout->addWidget(MainMemo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);

    resize(348, withPath ? 390 : 423);
    // The owner is the small floating window in a corner; the dialog opens in the middle of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    connect(BigClassCombo, &QComboBox::currentIndexChanged, this, [this](int) { BigClassComboChange(); });
    connect(OkBtn, &QPushButton::clicked, this, &TAcceptTextForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TAcceptTextForm::CancelBtnClick);
}

QString TAcceptTextForm::proposeTitle(const QString& text)
{
    // Ten bytes never hold more than ten characters (twenty UTF-16 units): no need to look further. A title
    // is one line: it stops at the first line break.
    QString head = text.left(20);
    const qsizetype lineEnd = head.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (lineEnd >= 0)
        head.truncate(lineEnd);
    return gbk::prefix(head, 10);
}

QList<TTreeNode*> TAcceptTextForm::treeNodes() const { return m_tree ? m_tree->allNodes() : QList<TTreeNode*> {}; }

QList<TTreeNode*> TAcceptTextForm::categoryRange() const
{
    // From the node after the text root up to the example root (to the end when there is none).
    QList<TTreeNode*> range;
    const QList<TTreeNode*> nodes = treeNodes();
    for (qsizetype i = 1; i < nodes.size(); ++i) {
        if (isExampleRoot(nodes.at(i)))
            break;
        range.append(nodes.at(i));
    }
    return range;
}

void TAcceptTextForm::fillCategoryLists()
{
    const QSignalBlocker blocker(BigClassCombo);
    BigClassCombo->clear();
    for (TTreeNode* node : categoryRange()) {
        if (node->level() == 1)
            BigClassCombo->addItem(node->text());
    }
    BigClassCombo->setCurrentIndex(BigClassCombo->count() > 0 ? 0 : -1);
    BigClassComboChange();
}

void TAcceptTextForm::BigClassComboChange()
{
    SmallClassCombo->clear();
    SmallClassCombo->addItem(rootEntry());
    if (BigClassCombo->currentIndex() >= 0) {
        const QString category = BigClassCombo->currentText();
        for (TTreeNode* node : categoryRange()) {
            if (node->level() == 2 && node->parent()->text() == category)
                SmallClassCombo->addItem(node->text());
        }
    }
    SmallClassCombo->setCurrentIndex(0);
}

bool TAcceptTextForm::contentComplete() const { return !body().isEmpty(); }

void TAcceptTextForm::setBody(const QString& text)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text.at(i) == QLatin1Char('\n') || text.at(i) == QLatin1Char('\r')) {
            longest = qMax(longest, i - start);
            start = i + 1;
        }
    }
    m_bodyHeld = longest > kMaxEditableLine;
    MainMemo->setReadOnly(m_bodyHeld);
    if (!m_bodyHeld) {
        m_heldBody.clear();
        MainMemo->setPlainText(memoText(text));
        return;
    }
    m_heldBody = memoText(text);
    MainMemo->setPlainText(m_heldBody.left(4000)
        + QStringLiteral("……\n\n（正文含有极长的行，这里只显示开头，不能修改；添加时保存全部 %1 个字符。）")
              .arg(m_heldBody.size()));
}

QString TAcceptTextForm::body() const { return m_bodyHeld ? m_heldBody : MainMemo->toPlainText(); }

bool TAcceptTextForm::storeMaterial(const QString& title, const QString& writer, const QString& category,
    const QString& subcategory, const QString& escapedBody)
{
    TFileText record;
    record.title = title;
    record.writer = writer;
    record.bigclassname = category;
    record.classname = subcategory;
    record.main = splitLines(escapedBody);
    return record.InsertNew();
}

void TAcceptTextForm::OkBtnClick()
{
    if (m_closing)
        return;
    if (NameEdit->text().isEmpty() || !contentComplete()) {
        prompts().warn(this, QStringLiteral("内容不完整，请填写完整"));
        return;
    }
    // The head of the subcategory list files the material in the category itself, even when a
    // subcategory happens to carry the same name.
    const QString subcategory = SmallClassCombo->currentIndex() > 0 ? SmallClassCombo->currentText() : QString();
    const bool stored = storeMaterial(EscapeTitleText(NameEdit->text()), AuthorEdit->text(),
        BigClassCombo->currentText(), subcategory, EscapeBodyText(body()));
    prompts().box(this, ResultMessage, QStringLiteral("Quillstash"), Prompts::Icon::None);
    TFile::ReportSafetyCopyNotice();
    if (!stored)
        return;  // the input stays, as typed, for another try
    postAcceptClosed();
    close();
}

void TAcceptTextForm::CancelBtnClick()
{
    postAcceptClosed();
    close();
}

void TAcceptTextForm::postAcceptClosed()
{
    m_closing = true;
    QTimer::singleShot(0, this, &TAcceptTextForm::WMAcceptClosed);
}

void TAcceptTextForm::WMAcceptData(const QString& data)
{
    setBody(data);
    show();
    raise();
}

void TAcceptTextForm::clearReference()
{
    if (AcceptTextForm == this)
        AcceptTextForm = nullptr;
}

void TAcceptTextForm::WMAcceptClosed()
{
    m_closing = true;
    hide();
    clearReference();
    deleteLater();
}

// ---- the example filing dialog ------------------------------------------------------------------

TAcceptExeForm::TAcceptExeForm(const QString& path, const TCategoryTree* tree, QWidget* owner)
    : TAcceptTextForm(Layout::Example, tree, owner)
{
    setObjectName(QStringLiteral("TAcceptExeForm"));
    PathEdit->setText(path);
    fillCategoryLists();
}

TAcceptExeForm::~TAcceptExeForm()
{
    if (AcceptExeForm == this)
        AcceptExeForm = nullptr;
}

QList<TTreeNode*> TAcceptExeForm::categoryRange() const
{
    // From the node after the example root up to, not including, the last node (the search-results
    // node). Without an example root there is nothing to offer.
    QList<TTreeNode*> range;
    const QList<TTreeNode*> nodes = treeNodes();
    qsizetype start = -1;
    for (qsizetype i = 0; i < nodes.size() && start < 0; ++i) {
        if (isExampleRoot(nodes.at(i)))
            start = i + 1;
    }
    if (start < 0)
        return range;
    for (qsizetype i = start; i < nodes.size() - 1; ++i)
        range.append(nodes.at(i));
    return range;
}

bool TAcceptExeForm::contentComplete() const { return !PathEdit->text().isEmpty(); }

bool TAcceptExeForm::storeMaterial(const QString& title, const QString& writer, const QString& category,
    const QString& subcategory, const QString& escapedBody)
{
    TFileExe record;
    record.title = title;
    record.writer = writer;
    record.bigclassname = category;
    record.classname = subcategory;
    record.about = splitLines(escapedBody);
    record.fpath = PathEdit->text();
    return record.InsertNew();
}

void TAcceptExeForm::WMAcceptData(const QString& data)
{
    PathEdit->setText(data);
    show();
    raise();
}

void TAcceptExeForm::clearReference()
{
    if (AcceptExeForm == this)
        AcceptExeForm = nullptr;
}
