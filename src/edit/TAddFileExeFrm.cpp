#include "edit/TAddFileExeFrm.h"

#include "common/Prompts.h"
#include "store/TFile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TAddFileExeFrm::TAddFileExeFrm(QWidget* owner, const QStringList& placement)
    : TAddFileForm(owner, placement, AddMode, QStringLiteral("实例资料"))
{
    buildPathRow();
}

TAddFileExeFrm::TAddFileExeFrm(QWidget* owner, const TFileExe& record, const QStringList& placement)
    : TAddFileForm(owner, placement, EditMode, QStringLiteral("实例资料"))
{
    buildPathRow();
    title->setText(record.title);
    writer->setText(record.writer);
    MainText->setPlainText(record.about.text(u"\n"));
    PathEdit->setText(record.fpath);
    m_createtime = record.createtime;
}

void TAddFileExeFrm::buildPathRow()
{
    setObjectName(QStringLiteral("TAddFileExeFrm"));
    Label3->setText(QStringLiteral("实例简介："));

    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("pathRow"));
    Label5 = new QLabel(QStringLiteral("实例路径："), row);
    Label5->setObjectName(QStringLiteral("Label5"));
    QFont f = Label5->font();
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"), f.family()});
    f.setPixelSize(16);
    f.setBold(true);
    Label5->setFont(f);
    QPalette pal = Label5->palette();
    pal.setColor(QPalette::WindowText, QColor(0x00, 0x80, 0x80));
    Label5->setPalette(pal);
    PathEdit = new QLineEdit(row);
    PathEdit->setObjectName(QStringLiteral("PathEdit"));
    BrowerBtn = new QPushButton(QStringLiteral("浏览"), row);
    BrowerBtn->setObjectName(QStringLiteral("BrowerBtn"));
    BrowerBtn->setAutoDefault(false);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label5);
    layout->addWidget(PathEdit, 1);
    layout->addWidget(BrowerBtn);

    arrange(row);
    // Tab follows the rows from top to bottom.
    setTabOrder(writer, PathEdit);
    setTabOrder(PathEdit, BrowerBtn);
    setTabOrder(BrowerBtn, MainText);

    connect(BrowerBtn, &QPushButton::clicked, this, &TAddFileExeFrm::BrowerBtnClick);
}

void TAddFileExeFrm::AddBtnClick()
{
    // The path is tested first; the description may stay empty.
    if (PathEdit->text().isEmpty() || title->text().isEmpty()) {
        prompts().message(this, QStringLiteral("有些内容是必须填写的，包括标题和实例路径，你可能没有填写！"));
        return;
    }
    TFileExe record;
    record.fpath = PathEdit->text();
    storeRecord(record, record.about);
}

void TAddFileExeFrm::CancelBtnClick() { reject(); }

void TAddFileExeFrm::BrowerBtnClick()
{
    const QString path = prompts().chooseFile(this, openDialogFilter());
    if (!path.isEmpty())
        PathEdit->setText(path);
}

void TAddFileExeFrm::clearFields()
{
    TAddFileForm::clearFields();
    PathEdit->clear();
}
