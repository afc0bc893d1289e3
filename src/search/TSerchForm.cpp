#include "search/TSerchForm.h"

#include "common/Kinds.h"
#include "common/Prompts.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <thread>

namespace {

QString g_contentsKeyword;

// Fills box with "全部类别" and the texts of node's children, nothing chosen.
void fillWithChildren(QComboBox* box, const TTreeNode* node)
{
    box->clear();
    box->addItem(search::allCategories());
    for (int i = 0; node && i < node->childCount(); ++i)
        box->addItem(node->child(i)->text());
    box->setCurrentIndex(-1);
}

QDateEdit* makeDateEdit(QWidget* parent, const char* name)
{
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TSerchForm::TSerchForm(QWidget* owner, const TCategoryTree* tree, ResultsSink results)
    : QDialog(owner), m_tree(tree), m_results(std::move(results))
{
    setObjectName(QStringLiteral("TSerchForm"));
    setWindowTitle(QStringLiteral("搜索窗口     提示：搜索结果存放在左边的树形目录下"));
    buildControls();
    FormCreate();
}

void TSerchForm::buildControls()
{
    Label1 = makeLabel(this, "Label1", QStringLiteral("搜索范围："));
    Label7 = makeLabel(this, "Label7", QStringLiteral("资料类型"));
    Label8 = makeLabel(this, "Label8", QStringLiteral("分类名"));
    Label9 = makeLabel(this, "Label9", QStringLiteral("子分类名"));
    FWComBox = new QComboBox(this);
    FWComBox->setObjectName(QStringLiteral("FWComBox"));
    FWComBox->addItems({kinds::textRoot(), kinds::exampleRoot()});
    BigComBox = new QComboBox(this);
    BigComBox->setObjectName(QStringLiteral("BigComBox"));
    SmallComBox = new QComboBox(this);
    SmallComBox->setObjectName(QStringLiteral("SmallComBox"));
    for (QComboBox* box : {FWComBox, BigComBox, SmallComBox}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(8);
    }

    Label2 = makeLabel(this, "Label2", QStringLiteral("搜索标题关键字："));
    TitleKey = new QLineEdit(this);
    TitleKey->setObjectName(QStringLiteral("TitleKey"));
    ContentBox = new QCheckBox(QStringLiteral("同时搜索资料内容"), this);
    ContentBox->setObjectName(QStringLiteral("ContentBox"));
    Label4 = makeLabel(this, "Label4", QStringLiteral("（搜索某个作者的全部资料，可不填此项）"));
    Label3 = makeLabel(this, "Label3", QStringLiteral("搜索作者："));
    AuthorKey = new QLineEdit(this);
    AuthorKey->setObjectName(QStringLiteral("AuthorKey"));
    Label5 = makeLabel(this, "Label5", QStringLiteral("（不填此项，表示搜索全部作者）"));

    CheckBox1 = new QCheckBox(QStringLiteral("创建时间："), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    BeginTime = makeDateEdit(this, "BeginTime");
    Label6 = makeLabel(this, "Label6", QStringLiteral("至"));
    EndTime = makeDateEdit(this, "EndTime");

    SerchLabel = makeLabel(this, "SerchLabel", QString());
    {
        QPalette pal = SerchLabel->palette();
        pal.setColor(QPalette::WindowText, QColor(128, 0, 0));  // maroon
        SerchLabel->setPalette(pal);
        QFont font = SerchLabel->font();
        font.setBold(true);
        SerchLabel->setFont(font);
    }
    SerchBtn = new QPushButton(QStringLiteral("搜索"), this);
    SerchBtn->setObjectName(QStringLiteral("SerchBtn"));
    SerchBtn->setDefault(true);
    CloseBtn = new QPushButton(QStringLiteral("关闭"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(Label7, 0, 1);
    grid->addWidget(Label8, 0, 2);
    grid->addWidget(Label9, 0, 3);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(FWComBox, 1, 1);
    grid->addWidget(BigComBox, 1, 2);
    grid->addWidget(SmallComBox, 1, 3);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(TitleKey, 2, 1);
    auto* keyRow = new QHBoxLayout;
    keyRow->setSpacing(6);
    keyRow->addWidget(ContentBox);
    keyRow->addWidget(Label4, 1);
    grid->addLayout(keyRow, 2, 2, 1, 2);
    grid->addWidget(Label3, 3, 0);
    grid->addWidget(AuthorKey, 3, 1);
    grid->addWidget(Label5, 3, 2, 1, 2);
    grid->addWidget(CheckBox1, 4, 0);
    grid->addWidget(BeginTime, 4, 1);
    auto* toRow = new QHBoxLayout;
    toRow->setSpacing(6);
    toRow->addWidget(Label6);
    toRow->addWidget(EndTime, 1);
    grid->addLayout(toRow, 4, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(SerchLabel, 1);
    bottom->addWidget(SerchBtn);
    bottom->addWidget(CloseBtn);
    grid->addLayout(bottom, 5, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);

    // The design size, grown where the platform's fonts need more room so no text is cut.
    setFixedSize(QSize(513, 186).expandedTo(grid->sizeHint()));

    connect(FWComBox, &QComboBox::activated, this, &TSerchForm::FWComBoxChange);
    connect(BigComBox, &QComboBox::activated, this, &TSerchForm::BigComBoxChange);
    connect(CheckBox1, &QCheckBox::clicked, this, &TSerchForm::CheckBox1Click);
    connect(SerchBtn, &QPushButton::clicked, this, &TSerchForm::SerchBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TSerchForm::CloseBtnClick);
}

void TSerchForm::FormCreate()
{
    CheckBox1->setChecked(false);
    ContentBox->setChecked(false);
    BeginTime->setEnabled(false);
    EndTime->setEnabled(false);
    BeginTime->setDate(QDate::currentDate());
    EndTime->setDate(QDate::currentDate());
    FWComBox->setCurrentIndex(-1);
    BigComBox->clear();
    SmallComBox->clear();
    SerchLabel->setText(QStringLiteral("准备就绪"));
}

void TSerchForm::FWComBoxChange()
{
    SmallComBox->clear();
    if (FWComBox->currentIndex() < 0) {
        BigComBox->clear();
        return;
    }
    fillWithChildren(BigComBox, m_tree ? m_tree->kindRoot(FWComBox->currentText()) : nullptr);
}

void TSerchForm::BigComBoxChange()
{
    if (BigComBox->currentIndex() < 0) {
        SmallComBox->clear();
        return;
    }
    const QString category = BigComBox->currentText();
    const TTreeNode* node = nullptr;
    if (category != search::allCategories() && m_tree) {
        // The first category of this name under the chosen kind root.
        if (const TTreeNode* root = m_tree->kindRoot(FWComBox->currentText()))
            node = root->childNamed(category);
    }
    fillWithChildren(SmallComBox, node);
}

void TSerchForm::CheckBox1Click()
{
    // The pickers follow the box, so they can never get out of step with it.
    BeginTime->setEnabled(CheckBox1->isChecked());
    EndTime->setEnabled(CheckBox1->isChecked());
}

search::SearchInput TSerchForm::input() const
{
    search::SearchInput in;
    if (FWComBox->currentIndex() >= 0)
        in.kind = FWComBox->currentText();
    if (BigComBox->currentIndex() >= 0)
        in.category = BigComBox->currentText();
    if (SmallComBox->currentIndex() >= 0)
        in.subcategory = SmallComBox->currentText();
    in.titleKey = TitleKey->text();
    in.contents = ContentBox->isChecked();
    in.author = AuthorKey->text();
    in.useTime = CheckBox1->isChecked();
    in.beginDate = BeginTime->date();
    in.endDate = EndTime->date();
    return in;
}

void TSerchForm::SerchBtnClick()
{
    const search::SearchInput in = input();
    const QString problem = search::validate(in);
    if (!problem.isEmpty()) {
        prompts().message(this, problem);
        return;
    }
    const Statement st = search::buildStatement(in);
    if (m_results)
        m_results({});
    SerchLabel->setText(QStringLiteral("正在搜索..."));
    SerchLabel->repaint();

    QList<search::SearchHit> hits;
    QString error;
    // A keyword is looked up through the contents index, beside the window; an author alone by the data module.
    const bool ok = !in.titleKey.isEmpty() ? runWithIndex(in, hits, &error)
                                           : MainData && search::run(*MainData, st, hits, &error);
    g_contentsKeyword = ok && search::searchesContents(in) && !hits.isEmpty() ? in.titleKey : QString();
    // Hits read before a failure are kept, as a result list of their own.
    const int image = in.kind == kinds::textRoot() ? 4 : 5;
    QList<ListEntry> entries;
    entries.reserve(hits.size());
    for (const search::SearchHit& hit : std::as_const(hits))
        entries.append(ListEntry {hit.title, image, hit.id});
    if (m_results)
        m_results(entries);
    if (!ok) {
        prompts().message(this, QStringLiteral("发生错误，原因：") + error);
        return;
    }
    SerchLabel->setText(
        hits.isEmpty() ? QStringLiteral("很遗憾，没有找到") : QStringLiteral("恭喜，共找到%1个资料").arg(hits.size()));
}

bool TSerchForm::runWithIndex(const search::SearchInput& in, QList<search::SearchHit>& hits, QString* error)
{
    if (!MainData)
        return false;
    // Reading every body of a large knowledge base takes a while: it runs beside the window, which stays
    // responsive meanwhile.
    TContentIndex& index = MainData->contentIndex();
    const bool useIndex = index.phase() == TContentIndex::Phase::Idle;
    const QString path = QFileInfo(MainData->databasePath()).absoluteFilePath();
    contentindex::State state = contentindex::State::Unusable;
    bool ok = false;
    SerchBtn->setEnabled(false);
    QEventLoop loop;
    std::thread worker([&] {
        {
            const QMutexLocker lock(&index.readerLock());
            ok = search::runWithIndex(path, in, useIndex, hits, error, &state);
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    SerchBtn->setEnabled(true);
    if (useIndex && (state == contentindex::State::Missing || state == contentindex::State::Outdated))
        index.startBuild();
    return ok;
}

QString TSerchForm::lastContentsKeyword() { return g_contentsKeyword; }

void TSerchForm::CloseBtnClick() { reject(); }
