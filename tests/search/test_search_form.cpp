// The search dialog: initial state, the scope boxes filled from the tree, validation, the results
// handed to its callback and shown under the search-results node; once through the main window.
#include "Rig.h"
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "TestMain.h"
#include "browse/ListItems.h"
#include "search/TSerchForm.h"
#include "store/TMainData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

namespace {
const QStringList kTree = {
    QStringLiteral("文字资料0"),
    QStringLiteral("+算法1"),
    QStringLiteral("++排序2"),
    QStringLiteral("++查找2"),
    QStringLiteral("+网络1"),
    QStringLiteral("实例资料0"),
    QStringLiteral("+工具1"),
    QStringLiteral("+算法1"),
    QStringLiteral("搜索结果0"),
};

QStringList itemsOf(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// Chooses text in box as a user does and runs the box's change handler.
bool choose(TSerchForm& form, QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    if (index < 0)
        return false;
    box->setCurrentIndex(index);
    if (box == form.FWComBox)
        form.FWComBoxChange();
    else if (box == form.BigComBox)
        form.BigComBoxChange();
    return true;
}

QList<ListEntry> entriesOf(const QListWidget* list)
{
    QList<ListEntry> out;
    for (int i = 0; i < list->count(); ++i)
        out.append({list->item(i)->text(), listitems::image(list->item(i)), listitems::id(list->item(i))});
    return out;
}

QList<ListEntry> byId(QList<ListEntry> entries)
{
    std::sort(entries.begin(), entries.end(), [](const ListEntry& a, const ListEntry& b) { return a.id < b.id; });
    return entries;
}

// The results callback's side: what it was handed, and the result list a window keeps from it
// (each call replaces the list).
struct RecordedResults {
    explicit RecordedResults(QList<ListEntry> before = {}) : kept(std::move(before)) { }
    TSerchForm::ResultsSink sink(std::function<void(const QList<ListEntry>&)> also = {})
    {
        return [this, also](const QList<ListEntry>& hits) {
            ++calls;
            kept = hits;
            if (also)
                also(hits);
        };
    }
    int calls = 0;
    QList<ListEntry> kept;
};
}  // namespace

namespace QTest {
template <> char* toString(const ListEntry& e)
{
    return qstrdup(QStringLiteral("(%1, %2, %3)").arg(e.caption).arg(e.image).arg(e.id).toUtf8().constData());
}
}  // namespace QTest

class SearchFormTest final : public QObject {
    Q_OBJECT
private slots:
    void initialState()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        RecordedResults results;
        TSerchForm form(nullptr, &rig.tree, results.sink());
        QCOMPARE(form.windowTitle(), QStringLiteral("搜索窗口     提示：搜索结果存放在左边的树形目录下"));
        QVERIFY(form.width() >= 513 && form.height() >= 186);
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("准备就绪"));
        QVERIFY(!form.CheckBox1->isChecked());
        QVERIFY(!form.BeginTime->isEnabled());
        QVERIFY(!form.EndTime->isEnabled());
        QCOMPARE(form.BeginTime->date(), QDate::currentDate());
        QCOMPARE(form.EndTime->date(), QDate::currentDate());
        QCOMPARE(itemsOf(form.FWComBox), (QStringList {QStringLiteral("文字资料"), QStringLiteral("实例资料")}));
        QCOMPARE(form.FWComBox->currentIndex(), -1);
        QCOMPARE(form.BigComBox->count(), 0);
        QCOMPARE(form.SmallComBox->count(), 0);

        form.CheckBox1->click();
        QVERIFY(form.BeginTime->isEnabled());
        QVERIFY(form.EndTime->isEnabled());
        form.CheckBox1->click();
        QVERIFY(!form.BeginTime->isEnabled());
        QVERIFY(!form.EndTime->isEnabled());
        QCOMPARE(results.calls, 0);
    }

    void scopeBoxes()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        RecordedResults results;
        TSerchForm form(nullptr, &rig.tree, results.sink());
        const QString all = QStringLiteral("全部类别");

        QVERIFY(choose(form, form.FWComBox, QStringLiteral("文字资料")));
        QCOMPARE(itemsOf(form.BigComBox), (QStringList {all, QStringLiteral("算法"), QStringLiteral("网络")}));
        QCOMPARE(form.BigComBox->currentIndex(), -1);
        QCOMPARE(form.SmallComBox->count(), 0);

        QVERIFY(choose(form, form.BigComBox, QStringLiteral("算法")));
        QCOMPARE(itemsOf(form.SmallComBox), (QStringList {all, QStringLiteral("排序"), QStringLiteral("查找")}));
        QCOMPARE(form.SmallComBox->currentIndex(), -1);

        QVERIFY(choose(form, form.BigComBox, QStringLiteral("网络")));
        QCOMPARE(itemsOf(form.SmallComBox), QStringList {all});
        QCOMPARE(form.SmallComBox->currentIndex(), -1);

        QVERIFY(choose(form, form.BigComBox, all));
        QCOMPARE(itemsOf(form.SmallComBox), QStringList {all});
        QCOMPARE(form.SmallComBox->currentIndex(), -1);

        // A kind change refills the categories and empties the subcategories.
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("算法")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("排序")));
        QVERIFY(choose(form, form.FWComBox, QStringLiteral("实例资料")));
        QCOMPARE(itemsOf(form.BigComBox), (QStringList {all, QStringLiteral("工具"), QStringLiteral("算法")}));
        QCOMPARE(form.BigComBox->currentIndex(), -1);
        QCOMPARE(form.SmallComBox->count(), 0);
        QCOMPARE(form.SmallComBox->currentText(), QString());

        // The example kind's 算法 has no subcategories, unlike the text kind's category of that name.
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("算法")));
        QCOMPARE(itemsOf(form.SmallComBox), QStringList {all});
    }

    void emptyKindRoot()
    {
        TestDataDir dir;
        Rig rig(dir);
        RecordedResults results;
        TSerchForm form(nullptr, &rig.tree, results.sink());
        QVERIFY(choose(form, form.FWComBox, QStringLiteral("实例资料")));
        QCOMPARE(itemsOf(form.BigComBox), QStringList {QStringLiteral("全部类别")});
        QCOMPARE(form.BigComBox->currentIndex(), -1);
    }

    void validationMessages()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        const QList<ListEntry> earlier = {{QStringLiteral("earlier result"), 4, 7}};
        RecordedResults results(earlier);
        TSerchForm form(nullptr, &rig.tree, results.sink());

        form.SerchBtnClick();  // nothing chosen, nothing typed: the scope comes first
        QVERIFY(choose(form, form.FWComBox, QStringLiteral("文字资料")));
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("全部类别")));
        form.SerchBtnClick();  // the subcategory box still shows no choice
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("全部类别")));
        form.SerchBtnClick();
        QCOMPARE(prompts.texts(),
            (QStringList {QStringLiteral("请选择搜索范围！"), QStringLiteral("请选择搜索范围！"),
                QStringLiteral("标题关键字和作者至少填写一样！")}));
        for (const ShownPrompt& p : prompts.shown)
            QCOMPARE(p.kind, QStringLiteral("message"));
        // A refused search leaves the earlier results alone.
        QCOMPARE(results.calls, 0);
        QCOMPARE(results.kept, earlier);
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("准备就绪"));
    }

    void resultsStoredAndListed()
    {
        TestDataDir dir(kTree);
        const qint64 quick = dir.addText(
            QStringLiteral("快速排序"), QStringLiteral("算法"), QStringLiteral("排序"), {}, QStringLiteral("张三"));
        dir.addText(
            QStringLiteral("堆排序"), QStringLiteral("算法"), QStringLiteral("排序"), {}, QStringLiteral("李四"));
        const qint64 mine = dir.addText(
            QStringLiteral("it+(DYH)+s 排序"), QStringLiteral("网络"), QString(), {}, QStringLiteral("张三"));
        const qint64 tool = dir.addExe(QStringLiteral("编辑器"), QStringLiteral("工具"), QString(),
            QStringLiteral("/bin/vi"), {}, {}, QStringLiteral("2004-03-31 23:59:59"));
        Rig rig(dir);
        ScriptedPrompts prompts;
        // The results go to the material list, as the main window hands them on.
        RecordedResults results;
        TSerchForm form(nullptr, &rig.tree,
            results.sink([&rig](const QList<ListEntry>& hits) { rig.list.setSearchResults(hits); }));

        QVERIFY(choose(form, form.FWComBox, QStringLiteral("文字资料")));
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("全部类别")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("全部类别")));
        form.AuthorKey->setText(QStringLiteral("张三"));
        form.SerchBtnClick();
        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.lastText()));
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("恭喜，共找到2个资料"));
        const QList<ListEntry> expected
            = {{QStringLiteral("快速排序"), 4, quick}, {QStringLiteral("it's 排序"), 4, mine}};
        QCOMPARE(byId(results.kept), expected);

        // The search-results node lists exactly the stored items.
        rig.click({QStringLiteral("搜索结果")});
        QCOMPARE(byId(rig.view.entries), expected);

        // Another search replaces the results; example materials carry image 5.
        QVERIFY(choose(form, form.FWComBox, QStringLiteral("实例资料")));
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("工具")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("全部类别")));
        form.AuthorKey->clear();
        form.TitleKey->setText(QStringLiteral("编辑"));
        form.CheckBox1->click();
        form.BeginTime->setDate(QDate(2004, 3, 31));
        form.EndTime->setDate(QDate(2004, 3, 31));
        form.SerchBtnClick();
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("恭喜，共找到1个资料"));
        QCOMPARE(results.kept, (QList<ListEntry> {{QStringLiteral("编辑器"), 5, tool}}));

        // No hits empties the store.
        form.BeginTime->setDate(QDate(2004, 4, 1));
        form.EndTime->setDate(QDate(2004, 4, 30));
        form.SerchBtnClick();
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("很遗憾，没有找到"));
        QVERIFY(results.kept.isEmpty());
        QVERIFY(prompts.shown.isEmpty());
    }

    // "同时搜索资料内容" stands right of the title keyword, starts unticked, and ticked finds the keyword in bodies
    // and descriptions as well as titles, through the index once it is built and by reading every body before.
    void contentsBox()
    {
        TestDataDir dir(kTree);
        const qint64 inTitle = dir.addText(QStringLiteral("线程池入门"), QStringLiteral("算法"), QString());
        const qint64 inBody = dir.addText(QStringLiteral("并发"), QStringLiteral("算法"), QStringLiteral("排序"),
            QStringLiteral("一个线程池+(MH)+用法"));
        dir.addText(QStringLiteral("无关"), QStringLiteral("算法"), QString(), QStringLiteral("线程 池"));
        const qint64 about = dir.addExe(QStringLiteral("工具"), QStringLiteral("工具"), QString(),
            QStringLiteral("/bin/t"), QStringLiteral("管理线程池"));
        Rig rig(dir);
        rig.data.useAbsolutePath();
        ScriptedPrompts prompts;
        RecordedResults results;
        TSerchForm form(nullptr, &rig.tree, results.sink());
        QCOMPARE(form.ContentBox->text(), QStringLiteral("同时搜索资料内容"));
        QVERIFY(!form.ContentBox->isChecked());
        form.layout()->activate();
        const QRect key = form.TitleKey->geometry();
        const QRect box = form.ContentBox->geometry();
        QVERIFY(box.left() >= key.right());
        QVERIFY(box.top() < key.bottom() && box.bottom() > key.top());

        QVERIFY(choose(form, form.FWComBox, QStringLiteral("文字资料")));
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("全部类别")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("全部类别")));
        form.TitleKey->setText(QStringLiteral("线程池"));
        form.SerchBtnClick();
        QCOMPARE(results.kept, (QList<ListEntry> {{QStringLiteral("线程池入门"), 4, inTitle}}));
        QVERIFY(TSerchForm::lastContentsKeyword().isEmpty());

        // No index yet: the bodies are read, and the index is built meanwhile.
        form.ContentBox->click();
        form.SerchBtnClick();
        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.lastText()));
        const QList<ListEntry> both = {{QStringLiteral("线程池入门"), 4, inTitle}, {QStringLiteral("并发"), 4, inBody}};
        QCOMPARE(byId(results.kept), both);
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("恭喜，共找到2个资料"));
        QCOMPARE(TSerchForm::lastContentsKeyword(), QStringLiteral("线程池"));
        QVERIFY(rig.data.contentIndex().waitForBuild(60000));
        QVERIFY(QFile::exists(rig.data.contentIndex().indexPath()));

        // Through the index: the same hits; the other conditions still hold.
        form.SerchBtnClick();
        QCOMPARE(byId(results.kept), both);
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("算法")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("排序")));
        form.SerchBtnClick();
        QCOMPARE(results.kept, (QList<ListEntry> {{QStringLiteral("并发"), 4, inBody}}));
        form.TitleKey->setText(QStringLiteral("线程池:用"));
        form.SerchBtnClick();
        QCOMPARE(results.kept, (QList<ListEntry> {{QStringLiteral("并发"), 4, inBody}}));
        QVERIFY(choose(form, form.FWComBox, QStringLiteral("实例资料")));
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("全部类别")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("全部类别")));
        form.TitleKey->setText(QStringLiteral("线程池"));
        form.SerchBtnClick();
        QCOMPARE(results.kept, (QList<ListEntry> {{QStringLiteral("工具"), 5, about}}));
        form.TitleKey->setText(QStringLiteral("不存在"));
        form.SerchBtnClick();
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("很遗憾，没有找到"));
        QVERIFY(TSerchForm::lastContentsKeyword().isEmpty());
        QVERIFY(prompts.shown.isEmpty());

        // Every opening starts unticked.
        form.FormCreate();
        QVERIFY(!form.ContentBox->isChecked());
    }

    void missingDatabase()
    {
        TestDataDir dir(kTree);
        Rig rig(dir);
        ScriptedPrompts prompts;
        RecordedResults results({{QStringLiteral("earlier result"), 4, 7}});
        QVERIFY(QFile::remove(dir.file(QStringLiteral("Data.QSD"))));
        TSerchForm form(nullptr, &rig.tree, results.sink());
        QVERIFY(choose(form, form.FWComBox, QStringLiteral("文字资料")));
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("算法")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("排序")));
        form.TitleKey->setText(QStringLiteral("it's"));
        form.SerchBtnClick();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown.first().kind, QStringLiteral("message"));
        const QString prefix = QStringLiteral("发生错误，原因：");
        QVERIFY2(prompts.lastText().startsWith(prefix) && prompts.lastText().size() > prefix.size(),
            qPrintable(prompts.lastText()));
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("正在搜索..."));
        QVERIFY(results.kept.isEmpty());
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("Data.QSD"))));
    }

    // The main window keeps the hits in its hidden result list, and its search-results node lists them.
    void mainWindowKeepsAndListsTheResults()
    {
        TestDataDir dir(kTree);
        const qint64 quick = dir.addText(
            QStringLiteral("快速排序"), QStringLiteral("算法"), QStringLiteral("排序"), {}, QStringLiteral("张三"));
        dir.addText(
            QStringLiteral("堆排序"), QStringLiteral("算法"), QStringLiteral("排序"), {}, QStringLiteral("李四"));
        TestApp app(dir);
        MainData->useAbsolutePath();
        ScriptedPrompts prompts;
        listitems::add(app->ui().StoreItemView, QStringLiteral("earlier result"), 4, 7);
        TSerchForm form(&app.form(), &app->categoryTree(), app->searchResultsSink());
        QVERIFY(choose(form, form.FWComBox, QStringLiteral("文字资料")));
        QVERIFY(choose(form, form.BigComBox, QStringLiteral("算法")));
        QVERIFY(choose(form, form.SmallComBox, QStringLiteral("全部类别")));
        form.AuthorKey->setText(QStringLiteral("张三"));
        form.SerchBtnClick();
        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.lastText()));
        const QList<ListEntry> expected = {{QStringLiteral("快速排序"), 4, quick}};
        QCOMPARE(entriesOf(app->ui().StoreItemView), expected);
        clickNode(app.form(), {QStringLiteral("搜索结果")});
        QCOMPARE(entriesOf(app->ui().MainList), expected);

        // No hits: both lists are empty.
        form.AuthorKey->setText(QStringLiteral("王五"));
        form.SerchBtnClick();
        QCOMPARE(form.SerchLabel->text(), QStringLiteral("很遗憾，没有找到"));
        QCOMPARE(app->ui().StoreItemView->count(), 0);
        clickNode(app.form(), {QStringLiteral("搜索结果")});
        QCOMPARE(app->ui().MainList->count(), 0);
    }
};

QS_TEST_CLASS(SearchFormTest)
#include "test_search_form.moc"
