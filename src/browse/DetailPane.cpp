// The details pane: rows for the selected list item and the action labels laid over them.
#include "browse/DetailPane.h"

#include "browse/ListItems.h"
#include "common/Images.h"
#include "common/Opener.h"
#include "common/Prompts.h"
#include "common/RunState.h"
#include "common/StatusSink.h"
#include "tree/TreeSelection.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidgetItem>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QUrl>
#include <functional>

namespace {
const char* const kActionLabelName = "qsActionLabel";
const char* const kLabelHostName = "qsActionLabelHost";
constexpr int kLabelLeft = 300;  // into the value column

// A clickable caption laid over a value cell; its "tag" property is the material id.
class TActionLabel final : public QLabel {
public:
    using Handler = std::function<void(QLabel*)>;

    TActionLabel(const QString& caption, qint64 tag, Handler handler, QWidget* parent) : m_handler(std::move(handler))
    {
        // Named before anything can ask for its accessible interface, which is made once and kept.
        setObjectName(QString::fromLatin1(kActionLabelName));
        setParent(parent);
        setText(caption);
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
        // Reached with Tab and run with Enter or Space as well as with the mouse; screen readers read its
        // caption as a link's name.
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(caption);
        setContentsMargins(2, 1, 2, 1);
        adjustSize();
    }

    void activate()
    {
        const Handler handler = m_handler;  // the label may be scheduled for destruction by it
        handler(this);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
            event->accept();
            activate();
            return;
        }
        QLabel::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent* event) override
    {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        QPen pen(QColor(255, 0, 0));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void focusInEvent(QFocusEvent* event) override
    {
        QLabel::focusInEvent(event);
        update();
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QLabel::focusOutEvent(event);
        update();
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool click
            = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        m_pressed = false;
        event->accept();
        if (click)
            activate();
    }

private:
    Handler m_handler;
    bool m_pressed = false;
};

// What assistive technology sees of an action label: a link that can be pressed.
class TActionLabelAccessible final : public QAccessibleWidget {
public:
    explicit TActionLabelAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Link) { }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? widget()->accessibleName() : QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return QStringList {pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<TActionLabel*>(widget())->activate();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* actionLabelAccessible(const QString& className, QObject* object)
{
    // The labels carry no meta-object of their own: they are known by their object name.
    if (className == QLatin1String("QLabel") && object && object->objectName() == QLatin1String(kActionLabelName))
        return new TActionLabelAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

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
    explicit TDetailDelegate(QTableWidget* table) : QStyledItemDelegate(table), m_table(table) { }

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

}  // namespace

TDetailPane::TDetailPane(
    QTableWidget* table, const TCategoryTree& tree, const TreeSelection& selection, StatusSink& status, QObject* parent)
    : QObject(parent), m_table(table), m_tree(tree), m_selection(selection), m_status(status)
{
    m_table->setItemDelegate(new TDetailDelegate(m_table));
    // Tab leaves the table for its labels instead of walking its cells.
    m_table->setTabKeyNavigation(false);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(actionLabelAccessible);
        return true;
    }();
    (void)factoryInstalled;
}

void TDetailPane::clear() { m_table->setRowCount(0); }

void TDetailPane::MainDetailShow(QListWidgetItem* item, bool selected)
{
    destroyActionLabels(m_table);
    if (!selected || !item)
        return;
    m_table->setRowCount(0);
    const ListEntry entry {item->text(), listitems::image(item), listitems::id(item)};
    const DetailContent content = detailContent(entry, m_tree, m_selection.selectedNode(), ViewMode);
    // A material deleted since the listing loads partly or not at all: the rows show what the record
    // holds, and the record's failure text goes to the status bar.
    if (!content.loadFailure.isEmpty())
        m_status.showStatus(content.loadFailure);
    if (content.isExample)
        m_runPath = content.runPath;
    for (const DetailRow& row : content.rows) {
        const int index = addRow(m_table, row.name, row.value);
        if (row.action == DetailRow::Action::None)
            continue;
        const DetailRow::Action action = row.action;
        addActionLabel(m_table, index, row.actionCaption, row.tag,
            [this, action](QLabel* label) { emit actionTriggered(action, label); });
    }
    // The names take the room their longest row needs; the values take the rest.
    m_table->resizeColumnToContents(0);
}

bool TDetailPane::runFirstAction()
{
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QWidget* host = m_table->cellWidget(row, 1);
        auto* label = host ? host->findChild<TActionLabel*>(QString::fromLatin1(kActionLabelName)) : nullptr;
        if (label && label->isVisibleTo(host)) {
            label->activate();
            return true;
        }
    }
    return false;
}

void TDetailPane::RunDetail()
{
    const QFileInfo target(m_runPath);
    if (!m_runPath.isEmpty() && target.exists() && target.isFile())
        opener().open(QUrl::fromLocalFile(target.absoluteFilePath()));
    else
        prompts().message(m_table->window(), QStringLiteral("资料路径有错，不存在该路径，请修改。"));
}
