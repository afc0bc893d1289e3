#include "browse/ListCaptions.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QListView>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

#include <QtMath>

namespace listcaptions {

namespace {

// Characters as a reader counts them: a surrogate pair is one.
int characters(QStringView text)
{
    int n = 0;
    for (const QChar c : text)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

QStyle* styleOf(const QWidget* widget) { return widget ? widget->style() : QApplication::style(); }

// A line of text for asking the style about sizes: a Chinese character's line is taller than a Latin one's
// (the Chinese glyphs come from another font).
QString probeLine() { return QStringLiteral("0\u5B57"); }

// The item size the style gives option with two lines of text under its icon.
QSize twoLineSize(QStyleOptionViewItem option)
{
    option.features
        |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
    option.text = probeLine() + QChar(QChar::LineSeparator) + probeLine();
    option.rect = QRect();
    const QSize size
        = styleOf(option.widget)->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), option.widget);
    return QSize(kLargeItemWidth, size.height());
}

}  // namespace

CaptionWidths::CaptionWidths(const QFont& font, const QPaintDevice* device) : m_font(font), m_metrics(font, device) { }

float CaptionWidths::advance(char16_t c)
{
    std::unique_ptr<std::array<float, 256>>& page = m_pages[c >> 8];
    if (!page) {
        page = std::make_unique<std::array<float, 256>>();
        page->fill(-1);
    }
    float& known = (*page)[c & 0xff];
    if (known < 0)
        known = float(m_metrics.horizontalAdvance(QChar(c)));
    return known;
}

int CaptionWidths::width(QStringView text, int maxChars)
{
    qreal sum = 0;
    int counted = 0;
    for (qsizetype i = 0; i < text.size() && counted < maxChars; ++i, ++counted) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            // Outside the 16-bit range: rare enough to be measured each time.
            sum += m_metrics.horizontalAdvance(text.mid(i, 2).toString());
            ++i;
        } else {
            sum += advance(c.unicode());
        }
    }
    // A pixel more for the rounding of the summed advances.
    return sum > 0 ? qCeil(sum) + 1 : 0;
}

QString oneLine(const QFont& font, const QString& text, qreal width, const QPaintDevice* device)
{
    return QFontMetricsF(font, device).elidedText(text, Qt::ElideMiddle, width);
}

QString twoLines(const QFont& font, const QString& text, qreal width, const QPaintDevice* device)
{
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    if (first.isValid())
        first.setLineWidth(width);
    layout.endLayout();
    if (!first.isValid())
        return text;
    const int cut = first.textStart() + first.textLength();
    if (cut >= text.size())
        return text;
    QString head = text.left(cut);
    while (head.endsWith(QLatin1Char(' ')))
        head.chop(1);
    const QString rest = QFontMetricsF(font, device).elidedText(text.mid(cut), Qt::ElideRight, width);
    return head + QChar(QChar::LineSeparator) + rest;
}

QString toolTipText(const QString& title)
{
    if (!Qt::mightBeRichText(title))
        return title;
    return QStringLiteral("<p style='white-space:pre'>") + title.toHtmlEscaped() + QStringLiteral("</p>");
}

QSize CaptionDelegate::largeItemSize(const QListView* view)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.widget = view;
    option.font = view->font();
    option.fontMetrics = view->fontMetrics();
    option.decorationSize = view->iconSize();
    option.decorationPosition = QStyleOptionViewItem::Top;
    option.decorationAlignment = Qt::AlignCenter;
    option.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    return twoLineSize(option);
}

const CaptionDelegate::Frame& CaptionDelegate::frame(const QStyleOptionViewItem& option) const
{
    if (m_frame && m_frame->font == option.font && m_frame->iconSize == option.decorationSize)
        return *m_frame;
    QStyleOptionViewItem probe = option;
    probe.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    probe.features &= ~QStyleOptionViewItem::WrapText;
    probe.text = probeLine();
    probe.rect = QRect();
    const QSize size
        = styleOf(option.widget)->sizeFromContents(QStyle::CT_ItemViewItem, &probe, QSize(), option.widget);
    const int text = qCeil(QFontMetricsF(option.font, option.widget).horizontalAdvance(probe.text));
    m_frame = Frame {option.font, option.decorationSize, size.width() - text, size.height()};
    return *m_frame;
}

CaptionWidths& CaptionDelegate::widths(const QFont& font, const QWidget* widget) const
{
    if (!m_widths || m_widths->font() != font)
        m_widths = std::make_unique<CaptionWidths>(font, widget);
    return *m_widths;
}

QSize CaptionDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // Called for every item at every layout: nothing here lays text out.
    if (option.decorationPosition == QStyleOptionViewItem::Top)
        return twoLineSize(option);
    const Frame& f = frame(option);
    const QString text = index.data(Qt::DisplayRole).toString();
    return QSize(f.extraWidth + widths(option.font, option.widget).width(text), f.height);
}

void CaptionDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = styleOf(widget);
    // The style draws the text inside its text rectangle less a margin on either side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    if (opt.decorationPosition == QStyleOptionViewItem::Top) {
        paintTwoLines(painter, opt, margin);
        return;
    }
    if (characters(opt.text) <= kMaxChars) {
        opt.textElideMode = Qt::ElideNone;  // its item was made as wide as the text
    } else {
        const qreal room = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).width() - 2 * margin;
        opt.text = oneLine(opt.font, opt.text, room, widget);
    }
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

void CaptionDelegate::paintTwoLines(QPainter* painter, QStyleOptionViewItem& opt, int margin)
{
    const QWidget* widget = opt.widget;
    QStyle* style = styleOf(widget);
    opt.features |= QStyleOptionViewItem::WrapText;
    opt.text = twoLines(opt.font, opt.text, opt.rect.width() - 2 * margin, widget);
    // The style elides a first line that is taller than the second (Chinese above Latin) as though a third
    // line were due. So it draws the item, its selection and focus with the text in no colour, and the lines
    // are drawn here where it would have put them.
    const QPalette palette = opt.palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        opt.palette.setColor(group, QPalette::Text, Qt::transparent);
        opt.palette.setColor(group, QPalette::HighlightedText, Qt::transparent);
    }
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QPalette::ColorGroup group = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QRect textRect
        = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(margin, 0, -margin, 0);
    QTextLayout layout(opt.text, opt.font, widget);
    QTextOption textOption(Qt::AlignHCenter);
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(opt.direction);
    layout.setTextOption(textOption);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setPen(
        palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, textRect.topLeft());
    painter->restore();
}

bool CaptionDelegate::helpEvent(
    QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event && view && index.isValid() && event->type() == QEvent::ToolTip) {
        const QString tip = index.data(Qt::ToolTipRole).toString();
        if (!tip.isEmpty() && tip != toolTipText(tip)) {
            QToolTip::showText(event->globalPos(), toolTipText(tip), view->viewport(), view->visualRect(index));
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

}  // namespace listcaptions
