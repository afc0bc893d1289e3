// The details pane: rows for the selected list item and the action labels over them.
#include "app/Gbk.h"
#include "app/Images.h"
#include "app/Opener.h"
#include "app/Prompts.h"
#include "app/SettingsFile.h"
#include "app/TMainForm.h"
#include "browse/ListItems.h"
#include "store/Statements.h"
#include "store/TFile.h"
#include "tree/TreeNodes.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidgetItem>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTreeWidget>
#include <QUrl>
#include <functional>

namespace {
const char* const kActionLabelName = "qsActionLabel";
const char* const kLabelHostName = "qsActionLabelHost";
constexpr int kLabelLeft = 300;  // into the value column
constexpr int kTextPreviewBytes = 30;
constexpr int kDescriptionPreviewBytes = 60;

// A clickable caption laid over a value cell; its "tag" property is the material id.
class TActionLabel final : public QLabel {
public:
    using Handler = std::function<void(QLabel*)>;

    TActionLabel(const QString& caption, qint64 tag, Handler handler, QWidget* parent)
        : QLabel(caption, parent), m_handler(std::move(handler))
    {
        setObjectName(QString::fromLatin1(kActionLabelName));
        setProperty("tag", tag);
        setCursor(Qt::PointingHandCursor);
        QFont f = font();
        f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun")});  // else the system's CJK font
        f.setPointSize(10);
        setFont(f);
        // Inside the table the inherited roles would draw it in the view's text colour.
        setForegroundRole(QPalette::WindowText);
        setBackgroundRole(QPalette::Window);
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
        setPalette(pal);
        adjustSize();
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        m_pressed = false;
        event->accept();
        if (click) {
            const Handler handler = m_handler;  // the label may be scheduled for destruction by it
            handler(this);
        }
    }

private:
    Handler m_handler;
    bool m_pressed = false;
};

int addRow(QTableWidget* table, const QString& name, const QString& value)
{
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(images::detailImage(0), name));
    table->setItem(row, 1, new QTableWidgetItem(value));
    return row;
}

// A transparent widget filling a value cell: the view moves it with its row whenever the pane is
// scrolled or resized, and it keeps its label 300 pixels in, centred on the row's height.
class TLabelCell final : public QWidget {
public:
    explicit TLabelCell(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QString::fromLatin1(kLabelHostName));
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        for (QLabel* label : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
            label->move(kLabelLeft, qMax(0, (height() - label->height()) / 2));
    }
};

void addActionLabel(QTableWidget* table, int row, const QString& caption, qint64 tag, TActionLabel::Handler handler)
{
    auto* host = new TLabelCell;
    auto* label = new TActionLabel(caption, tag, std::move(handler), host);
    label->move(kLabelLeft, 1);
    table->setCellWidget(row, 1, host);
}

// Shows each value on one line (a preview's line breaks become spaces; the item keeps its text)
// and keeps a value from running under the label laid over its cell.
class TDetailDelegate final : public QStyledItemDelegate {
public:
    explicit TDetailDelegate(QTableWidget* table) : QStyledItemDelegate(table), m_table(table) {}

    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        if (value.typeId() != QMetaType::QString)
            return QStyledItemDelegate::displayText(value, locale);
        QString text = value.toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return QStyledItemDelegate::displayText(text, locale);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!m_table->indexWidget(index)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        QStyleOptionViewItem background = opt;
        background.text.clear();
        background.icon = QIcon();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, opt.widget);
        opt.rect.setWidth(qMin(opt.rect.width(), kLabelLeft - 4));
        opt.state &= ~QStyle::State_HasFocus;
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    }

private:
    QTableWidget* m_table;
};

void destroyActionLabels(QTableWidget* table)
{
    // Deferred: a label's own click may be what leads here.
    const QList<QLabel*> labels = table->findChildren<QLabel*>(QString::fromLatin1(kActionLabelName));
    for (QLabel* label : labels) {
        label->hide();
        label->deleteLater();
    }
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->cellWidget(row, 1))
            table->removeCellWidget(row, 1);
    }
}

QString childrenValue(const QTreeWidgetItem* node)
{
    if (!node || node->childCount() == 0)
        return QStringLiteral("0个");
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i)
        names.append(node->child(i)->text(0));
    return QStringLiteral("共") + QString::number(node->childCount()) + QStringLiteral("个  它们是：") +
           names.join(QStringLiteral("， "));
}

// When the count cannot be taken, the status bar already tells why; the row says so rather than
// showing a number that was never counted.
QString countValue(const Statement& statement)
{
    int count = -1;
    if (!TFile::OpenAndCount(statement, count) || count < 0)
        return QStringLiteral("统计失败");
    return QStringLiteral("共") + QString::number(count) + QStringLiteral("个");
}

QString preview(const QStringList& lines, int maxBytes)
{
    return gbk::prefix(joinLinesCrLf(lines), maxBytes) + QStringLiteral("...") + QStringLiteral("     ");
}

// A material deleted since the listing loads partly or not at all: the rows show what the record
// holds, and the record's failure text goes to the status bar.
void reportLoad(QStatusBar* status, bool loaded)
{
    if (!loaded)
        status->showMessage(ResultMessage);
}
// The rows every material shows before its content.
void addRecordRows(QTableWidget* table, const TFile& file)
{
    addRow(table, QStringLiteral("名称:"), file.title);
    addRow(table, QStringLiteral("分类:"), file.bigclassname + QStringLiteral("--->") + file.classname);
    addRow(table, QStringLiteral("作者:"), file.writer);
    addRow(table, QStringLiteral("创建时间:"), file.createtime);
}
}  // namespace

void TMainForm::MainDetailShow(QListWidgetItem* item, bool selected)
{
    if (!dynamic_cast<TDetailDelegate*>(MainDetail->itemDelegate()))
        MainDetail->setItemDelegate(new TDetailDelegate(MainDetail));
    destroyActionLabels(MainDetail);
    if (!selected || !item)
        return;
    MainDetail->setRowCount(0);

    const int image = listitems::image(item);
    const QString caption = item->text();
    const qint64 id = listitems::id(item);

    if (image == 3) {
        addRow(MainDetail, QStringLiteral("类型:"), QStringLiteral("总目录"));
        QTreeWidgetItem* node = nullptr;
        for (QTreeWidgetItem* candidate : treenodes::allNodes(MainTreeView)) {
            if (candidate->text(0) == caption) {
                node = candidate;
                break;
            }
        }
        addRow(MainDetail, QStringLiteral("拥有子分类："), childrenValue(node));
        addRow(MainDetail, QStringLiteral("拥有资料数："), countValue(sql::countAll(tableForKind(caption))));
        return;
    }

    if (image == 4) {
        TFileText file;
        reportLoad(MainStatus, file.LoadById(id));
        addRecordRows(MainDetail, file);
        const int row = addRow(MainDetail, QStringLiteral("内容:"), preview(file.main, kTextPreviewBytes));
        if (ViewMode == 0)
            addActionLabel(MainDetail, row, QStringLiteral("在当前窗口浏览"), id, [this](QLabel* l) { ViewInThisFrm(l); });
        else
            addActionLabel(MainDetail, row, QStringLiteral("在新窗口中浏览"), id, [this](QLabel* l) { ViewInNewFrm(l); });
        return;
    }

    if (image == 5) {
        TFileExe file;
        reportLoad(MainStatus, file.LoadById(id));
        addRecordRows(MainDetail, file);
        int row = addRow(MainDetail, QStringLiteral("简介:"), preview(file.about, kDescriptionPreviewBytes));
        addActionLabel(MainDetail, row, QStringLiteral("在新窗口浏览简介"), id, [this](QLabel* l) { ViewInNewFrm(l); });
        row = addRow(MainDetail, QStringLiteral("资料路径:"), file.fpath);
        RunPath = file.fpath;
        addActionLabel(MainDetail, row, QStringLiteral("运行资料"), id, [this](QLabel*) { RunDetail(); });
        return;
    }

    // A category or subcategory folder item.
    addRow(MainDetail, QStringLiteral("类型:"), QStringLiteral("分类目录"));
    QTreeWidgetItem* current = treenodes::selected(MainTreeView);
    QTreeWidgetItem* node = nullptr;
    if (current && current->childCount() > 0) {
        for (int i = 0; i < current->childCount() && !node; ++i) {
            if (current->child(i)->text(0) == caption)
                node = current->child(i);
        }
        if (!node)
            node = current->child(current->childCount() - 1);
    }
    addRow(MainDetail, QStringLiteral("拥有子分类："), childrenValue(node));
    Statement count;
    if (node) {
        QTreeWidgetItem* parent = treenodes::parentOf(node);
        QTreeWidgetItem* grandparent = treenodes::grandparentOf(node);
        QTreeWidgetItem* root = grandparent ? grandparent : parent;
        const QString table = tableForKind(root ? root->text(0) : QString());
        if (image == 1 && grandparent)
            count = sql::countSubcategory(table, node->text(0), parent->text(0));
        else
            count = sql::countCategory(table, node->text(0));
    } else {
        // The tree no longer holds the folder the list showed: count by its name in the kind of
        // the selected place.
        count = sql::countCategory(tableForKind(treenodes::kindText(current)), caption);
    }
    addRow(MainDetail, QStringLiteral("拥有资料数："), countValue(count));
}

void TMainForm::RunDetail()
{
    const QFileInfo target(RunPath);
    if (!RunPath.isEmpty() && target.exists() && target.isFile())
        opener().open(QUrl::fromLocalFile(target.absoluteFilePath()));
    else
        prompts().message(this, QStringLiteral("资料路径有错，不存在该路径，请修改。"));
}
