#pragma once
// How the material list shows its captions. In the small-icon and list styles a caption is as wide as
// its text, up to kMaxChars characters, and elided in the middle only beyond that; under a large icon it
// wraps to two lines, the second elided at its end. The full title stays in the item's tooltip.
#include <QFont>
#include <QFontMetricsF>
#include <QSize>
#include <QStyledItemDelegate>

#include <array>
#include <memory>
#include <optional>

class QListView;
class QPaintDevice;

namespace listcaptions {

// Characters a one-line caption shows before it is elided.
constexpr int kMaxChars = 40;
// Width of an item under a large icon (the grid cell is a little wider).
constexpr int kLargeItemWidth = 112;

// Widths of one-line captions in one font without laying the text out: every character's advance is
// measured once, a caption's width is the sum. Shaping twenty thousand titles would cost a quarter of a
// second; summing costs a millisecond. Kerning and ligatures make laid-out text narrower if anything, and a
// pixel more covers the rounding, so a caption given this width is not cut short.
class CaptionWidths final {
public:
    explicit CaptionWidths(const QFont& font, const QPaintDevice* device = nullptr);
    const QFont& font() const { return m_font; }
    // Pixels text takes on one line: the whole text, or its first maxChars characters when it is longer.
    int width(QStringView text, int maxChars = kMaxChars);

private:
    float advance(char16_t c);

    QFont m_font;
    QFontMetricsF m_metrics;
    // Advances by UTF-16 unit in pages of 256, made when a character of the page first shows up;
    // negative: not measured yet.
    std::array<std::unique_ptr<std::array<float, 256>>, 256> m_pages;
};

// What a caption shows in width pixels on one line: the text when it fits, else the text elided in the
// middle (similar titles differ at their ends as often as at their starts).
QString oneLine(const QFont& font, const QString& text, qreal width, const QPaintDevice* device = nullptr);
// What a caption shows under a large icon: at most two lines of width pixels, broken at a word boundary
// where there is one (anywhere else), the second elided at its end; lines joined by QChar::LineSeparator.
QString twoLines(const QFont& font, const QString& text, qreal width, const QPaintDevice* device = nullptr);
// A tooltip that shows title as it is written, also when the tooltip would take it for markup ("<b> 与
// <strong> 的区别").
QString toolTipText(const QString& title);

// The delegate of the material list: sizes and draws each caption as above; the icons, colours and
// selection stay the style's.
class CaptionDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CaptionDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) { }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

    // The size of every item of view in the large-icon style: the icon and two lines of text.
    static QSize largeItemSize(const QListView* view);

private:
    // The style's room around a one-line caption with an icon beside it: what an item is wider than its
    // text, and its height. Asked of the style once per font and icon size.
    struct Frame {
        QFont font;
        QSize iconSize;
        int extraWidth = 0;
        int height = 0;
    };
    const Frame& frame(const QStyleOptionViewItem& option) const;
    static void paintTwoLines(QPainter* painter, QStyleOptionViewItem& opt, int margin);
    CaptionWidths& widths(const QFont& font, const QWidget* widget) const;

    mutable std::optional<Frame> m_frame;
    mutable std::unique_ptr<CaptionWidths> m_widths;
};

}  // namespace listcaptions
