#include "edit/TAddFileForm.h"

#include "common/BodyField.h"
#include "common/Gbk.h"
#include "common/Prompts.h"
#include "store/Escaping.h"
#include "store/TFile.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

void setColor(QWidget* w, const QColor& color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    w->setPalette(pal);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont f = label->font();
    f.setFamilies({QStringLiteral("MS Sans Serif"), f.family()});
    f.setPixelSize(13);
    f.setBold(true);
    label->setFont(f);
    setColor(label, QColor(0x00, 0x80, 0x80));  // teal
    return label;
}

// The serif face the hints of the dialog use.
QFont songFont(const QFont& base, int pixelSize, bool bold)
{
    QFont f = base;
    f.setFamilies(
        {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"), base.family()});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// A memo shows its lines like a text of lines each ended by a break, so that a body of one empty
// line stays a body that is filled in.
QString memoText(const BodyLines& lines) { return lines.text(u"\n"); }

}  // namespace

TAddFileForm::TAddFileForm(QWidget* owner, const QStringList& placement)
    : TAddFileForm(owner, placement, AddMode, QStringLiteral("文字资料"))
{
    arrange(nullptr);
}

TAddFileForm::TAddFileForm(QWidget* owner, const TFileText& record, const QStringList& placement)
    : TAddFileForm(owner, placement, EditMode, QStringLiteral("文字资料"))
{
    arrange(nullptr);
    title->setText(record.title);
    writer->setText(record.writer);
    MainText->setPlainText(memoText(record.main));
    m_createtime = record.createtime;
}

TAddFileForm::TAddFileForm(QWidget* owner, const QStringList& placement, Mode mode, const QString& kindWord)
    : QDialog(owner), m_placement(placement), m_mode(mode)
{
    setObjectName(QStringLiteral("TAddFileForm"));
    buildControls();
    setCaption(kindWord);
}

void TAddFileForm::setCaption(const QString& kindWord)
{
    const QString place
        = kindWord + QStringLiteral("->") + m_placement.value(1) + QStringLiteral("->") + m_placement.value(2);
    if (m_mode == AddMode)
        setWindowTitle(QStringLiteral("添加资料在:->") + place);
    else
        setWindowTitle(QStringLiteral("修改资料在:->") + place + QStringLiteral("->") + m_placement.value(3));
}

void TAddFileForm::buildControls()
{
    Label1 = makeLabel(this, "Label1", QStringLiteral("标题："));
    title = new QLineEdit(this);
    title->setObjectName(QStringLiteral("title"));
    Label2 = makeLabel(this, "Label2", QStringLiteral("作者："));
    writer = new QLineEdit(this);
    writer->setObjectName(QStringLiteral("writer"));
    Label4 = new QLabel(QStringLiteral("(可不填)"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(songFont(font(), 13, false));
    setColor(Label4, QColor(0x80, 0x00, 0x00));  // maroon
    Label3 = makeLabel(this, "Label3", QStringLiteral("正文："));
    read = new QLabel(QStringLiteral("从剪贴板"), this);
    read->setObjectName(QStringLiteral("read"));
    read->setFont(songFont(font(), 13, false));
    setColor(read, QColor(0xFF, 0x00, 0x00));
    read->setCursor(Qt::PointingHandCursor);
    read->setToolTip(QStringLiteral("从剪贴板"));
    read->installEventFilter(this);
    MainText = new QPlainTextEdit(this);
    MainText->setObjectName(QStringLiteral("MainText"));
    MainText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bodyfield::setUp(MainText);
    AddBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("添加"), this);
    AddBtn->setObjectName(QStringLiteral("AddBtn"));
    CancelBtn = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("取消"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    // Return in a one-line field must not store a half-typed material.
    AddBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(14);

    connect(AddBtn, &QPushButton::clicked, this, &TAddFileForm::AddBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TAddFileForm::CancelBtnClick);
}

void TAddFileForm::arrange(QWidget* extraRow)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(9, 8, 9, 8);
    outer->setSpacing(5);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(Label1);
    titleRow->addWidget(title, 1);
    outer->addLayout(titleRow);

    auto* writerRow = new QHBoxLayout;
    writerRow->addWidget(Label2);
    writer->setFixedWidth(200);
    writerRow->addWidget(writer);
    writerRow->addSpacing(6);
    writerRow->addWidget(Label4);
    writerRow->addStretch(1);
    outer->addLayout(writerRow);

    if (extraRow)
        outer->addWidget(extraRow);

    auto* bodyHead = new QHBoxLayout;
    bodyHead->addWidget(Label3);
    bodyHead->addStretch(1);
    bodyHead->addWidget(read);
    outer->addLayout(bodyHead);
    outer->addWidget(MainText, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ProgressBar1, 1);
    buttons->addSpacing(20);
    buttons->addWidget(AddBtn);
    buttons->addWidget(CancelBtn);
    outer->addLayout(buttons);

    // Both label columns line up with the wider of the two captions.
    const int labelWidth = qMax(Label1->sizeHint().width(), Label2->sizeHint().width());
    Label1->setFixedWidth(labelWidth);
    Label2->setFixedWidth(labelWidth);

    // It opens at its usual size and may be made larger, the body growing with it: code is easier to
    // check in a larger field.
    setMinimumSize(475, 275);
    resize(475, 275);
    setSizeGripEnabled(true);
}

bool TAddFileForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == read && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        readClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAddFileForm::readClick()
{
    MainText->paste();
    MainText->setFocus();
}

void TAddFileForm::CancelBtnClick() { reject(); }

void TAddFileForm::AddBtnClick()
{
    // The body is tested first; a blank or a line break alone counts as filled.
    if (MainText->toPlainText().isEmpty() || title->text().isEmpty()) {
        prompts().message(this, QStringLiteral("有些内容是必须填写的，包括标题和正文，你可能没有填写！"));
        return;
    }
    TFileText record;
    storeRecord(record, record.main);
}

bool TAddFileForm::storeRecord(TFile& record, BodyLines& bodyLines)
{
    const QString typedTitle = title->text();
    const QString typedBody = MainText->toPlainText();
    // The stored forms are copies: the fields keep showing what was typed, whatever the outcome.
    const QString storedTitle = EscapeTitleText(typedTitle);
    const QString storedBody = EscapeBodyText(typedBody);

    record.title = storedTitle;
    record.writer = writer->text();
    bodyLines = splitLines(storedBody);
    record.classname = m_placement.value(2);
    record.bigclassname = m_placement.value(1);
    bool stored = false;
    if (m_mode == AddMode) {
        stored = record.InsertNew();
    } else {
        // The material keeps the time it was first filed, not the time of the change.
        record.createtime = m_createtime;
        stored = record.UpdateById(m_placement.value(4).toLongLong());
    }
    prompts().message(this, ResultMessage);
    TFile::ReportSafetyCopyNotice();

    if (!stored)
        return false;  // nothing typed is lost: the user can fix the cause and try again
    clearFields();
    if (m_mode == EditMode)
        accept();
    return true;
}

void TAddFileForm::clearFields()
{
    title->clear();
    writer->clear();
    MainText->clear();
}
