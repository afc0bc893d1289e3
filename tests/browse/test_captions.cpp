// The material list's captions: widths up to the cap, no overlap after layout in the small-icon and list
// styles, two lines under large icons, elision only beyond the cap, tooltips with the full title.
#include "common/TestMain.h"

#include "browse/ListCaptions.h"
#include "browse/ListItems.h"

#include <QListWidget>
#include <QTest>
#include <QTextDocument>

using namespace listcaptions;

namespace {

const QString kEllipsis = QString(QChar(0x2026));

// Sixty characters each.
const QString kLongChinese = QStringLiteral(
    "在多线程程序中使用线程池管理任务队列的完整示例以及条件变量与互斥锁配合使用时需要注意的细节问题说明和常见错误");
const QString kLongLatin = QStringLiteral("A complete guide to std::condition_variable and lost wakeups");

QString repeated(const QString& unit, int times)
{
    QString s;
    for (int i = 0; i < times; ++i)
        s += unit;
    return s;
}

QList<ListEntry> mixedEntries()
{
    const QStringList titles {QStringLiteral("冒泡"), kLongChinese, QStringLiteral("find"), kLongLatin,
        QStringLiteral("TCP 三次握手"), repeated(QStringLiteral("x"), 200), QStringLiteral("二叉树"),
        QStringLiteral("Linux 下用 gdb 调试多线程程序"), QStringLiteral("vim")};
    QList<ListEntry> entries;
    for (int i = 0; i < 27; ++i)
        entries.append(ListEntry {titles.at(i % titles.size()), i < 2 ? 0 : 4, i});
    return entries;
}

}  // namespace

class TestListCaptions final : public QObject {
    Q_OBJECT
private slots:
    void widthIsTheTextsUpToTheCap_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shownChars");  // characters the width is made of
        QTest::newRow("short Latin") << QStringLiteral("find 命令") << 7;
        QTest::newRow("short Chinese") << QStringLiteral("冒泡排序") << 4;
        QTest::newRow("kerned pairs") << QStringLiteral("AVATAR To Yo fi ffl") << 19;
        QTest::newRow("exactly the cap") << kLongChinese.left(kMaxChars) << kMaxChars;
        QTest::newRow("long Chinese") << kLongChinese << kMaxChars;
        QTest::newRow("long Latin") << kLongLatin << kMaxChars;
        // A character outside 16 bits is one character, not two.
        QTest::newRow("surrogate pairs") << repeated(QStringLiteral("\U0001F600a"), 30) << kMaxChars;
    }
    void widthIsTheTextsUpToTheCap()
    {
        QFETCH(QString, text);
        QFETCH(int, shownChars);
        const QFont font;
        const QFontMetricsF metrics(font);
        CaptionWidths widths(font);
        int units = 0;
        for (int chars = 0; units < text.size() && chars < shownChars; ++chars)
            units += text.at(units).isHighSurrogate() ? 2 : 1;
        const qreal exact = metrics.horizontalAdvance(text.left(units));
        const int width = widths.width(text);
        // Never narrower than the text as drawn, and not much wider.
        QVERIFY2(width >= exact, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(exact)));
        QVERIFY2(width <= exact + 0.1 * exact + 2, qPrintable(QStringLiteral("%1 vs %2").arg(width).arg(exact)));
        if (units < text.size())
            QVERIFY(width < metrics.horizontalAdvance(text));
        // Asked again (advances now known), and with a cap of its own.
        QCOMPARE(widths.width(text), width);
        QCOMPARE(widths.width(text, 1), widths.width(text.left(text.at(0).isHighSurrogate() ? 2 : 1)));
        QCOMPARE(widths.width(QString()), 0);
    }

    // After layout no two items share a pixel, short captions get the room of their whole text and long
    // ones stop at the cap; also after the large-icon style was shown first.
    void smallStylesDoNotOverlap_data()
    {
        QTest::addColumn<int>("style");
        QTest::newRow("small icons") << 1;
        QTest::newRow("list") << 2;
    }
    void smallStylesDoNotOverlap()
    {
        QFETCH(int, style);
        QListWidget list;
        list.resize(900, 300);
        listitems::setViewStyle(&list, 0);
        const QList<ListEntry> entries = mixedEntries();
        listitems::fill(&list, entries, true);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        listitems::setViewStyle(&list, style);
        list.doItemsLayout();
        const QFontMetricsF metrics(list.font());
        for (int i = 0; i < list.count(); ++i) {
            const QString text = list.item(i)->text();
            const QRect rect = list.visualItemRect(list.item(i));
            QVERIFY(rect.isValid());
            for (int j = i + 1; j < list.count(); ++j) {
                const QRect other = list.visualItemRect(list.item(j));
                QVERIFY2(!rect.intersects(other), qPrintable(QStringLiteral("items %1 and %2").arg(i).arg(j)));
            }
            QCOMPARE(list.item(i)->toolTip(), entries.at(i).caption);
            const qreal room = rect.width() - list.iconSize().width();
            if (text.size() <= kMaxChars)
                QVERIFY2(room > metrics.horizontalAdvance(text), qPrintable(text));
            else if (style == 1)  // in the list style a column is as wide as its widest item
                QVERIFY2(room < metrics.horizontalAdvance(text.left(kMaxChars + 8)), qPrintable(text));
        }
        // Items still sit in rows (small icons) or columns (list).
        const QRect first = list.visualItemRect(list.item(0));
        const QRect second = list.visualItemRect(list.item(1));
        QCOMPARE(style == 1 ? second.top() : second.left(), style == 1 ? first.top() : first.left());
    }

    void oneLineElidesOnlyWhatDoesNotFit()
    {
        const QFont font;
        const QFontMetricsF metrics(font);
        const QString shortText = QStringLiteral("冒泡排序");
        QCOMPARE(oneLine(font, shortText, metrics.horizontalAdvance(shortText) + 1), shortText);
        CaptionWidths widths(font);
        for (const QString& text : {kLongChinese, kLongLatin}) {
            const int cap = widths.width(text);
            const QString shown = oneLine(font, text, cap);
            QVERIFY(shown.contains(kEllipsis));
            QVERIFY(metrics.horizontalAdvance(shown) <= cap);
            // Both ends stay: similar titles differ at either.
            QVERIFY(shown.startsWith(text.left(3)));
            QVERIFY(shown.endsWith(text.right(3)));
            QVERIFY(shown.size() >= kMaxChars - 6);
        }
    }

    void largeIconsWrapToTwoLines()
    {
        const QFont font;
        const QFontMetricsF metrics(font);
        const QChar separator(QChar::LineSeparator);
        const qreal width = 100;
        const QString shortText = QStringLiteral("快排");
        QCOMPARE(twoLines(font, shortText, width), shortText);
        const QString two = QStringLiteral("quick sort in place");
        const QString twoShown = twoLines(font, two, 70);
        QCOMPARE(twoShown.count(separator), 1);
        QVERIFY(!twoShown.contains(kEllipsis));
        QCOMPARE(QString(twoShown).replace(separator, QLatin1Char(' ')), two);
        for (const QString& text : {kLongChinese, kLongLatin, repeated(QStringLiteral("x"), 80)}) {
            const QString shown = twoLines(font, text, width);
            const QStringList lines = shown.split(separator);
            QCOMPARE(lines.size(), 2);
            QVERIFY(text.startsWith(lines.at(0)));
            QVERIFY(lines.at(1).endsWith(kEllipsis));
            for (const QString& line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
            // The first line is full: its next character would not have fitted.
            QVERIFY(metrics.horizontalAdvance(text.left(lines.at(0).size() + 1)) > width
                || text.at(lines.at(0).size()) == ' ');
        }

        // In the list the cells hold the icon and two lines, and do not overlap.
        QListWidget list;
        list.resize(600, 300);
        listitems::setViewStyle(&list, 2);
        listitems::fill(&list, mixedEntries(), false);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        listitems::setViewStyle(&list, 0);
        list.doItemsLayout();
        const int lineHeight = QFontMetrics(list.font()).height();
        for (int i = 0; i < list.count(); ++i) {
            const QRect rect = list.visualItemRect(list.item(i));
            QVERIFY(rect.height() >= list.iconSize().height() + 2 * lineHeight);
            QVERIFY(rect.width() <= list.gridSize().width());
            for (int j = i + 1; j < list.count(); ++j)
                QVERIFY(!rect.intersects(list.visualItemRect(list.item(j))));
        }

        // Drawn as two lines also when the first (Chinese) is taller than the second (Latin): rows of ink
        // under the icon form two bands.
        list.clear();
        listitems::add(&list, QStringLiteral("右值引用数据库 Qt (6)"), 4, 1, true);
        list.doItemsLayout();
        const QRect rect = list.visualItemRect(list.item(0));
        const QImage image = list.viewport()->grab().toImage();
        int bands = 0;
        bool inked = false;
        for (int y = rect.top() + list.iconSize().height() + 2; y <= rect.bottom(); ++y) {
            bool row = false;
            for (int x = rect.left(); x <= rect.right() && !row; ++x)
                row = qGray(image.pixel(x, y)) < 128;
            bands += row && !inked ? 1 : 0;
            inked = row;
        }
        QCOMPARE(bands, 2);
    }

    void toolTipsShowTheTitleAsWritten()
    {
        for (const QString& title : {QStringLiteral("<b> 与 <strong> 的区别"), QStringLiteral("a < b && c > d"),
                 QStringLiteral("<p>段落</p>"), kLongChinese}) {
            std::unique_ptr<QListWidgetItem> item(listitems::add(nullptr, title, 4, 9));
            QCOMPARE(item->toolTip(), title);
            QTextDocument shown;
            const QString tip = toolTipText(title);
            if (Qt::mightBeRichText(tip))
                shown.setHtml(tip);
            else
                shown.setPlainText(tip);
            QCOMPARE(shown.toPlainText(), title);
        }
    }

    // An item keeps what it was filled with: picture, id and tooltip; values set later replace them and
    // reach the list, and a copy of the item keeps them.
    void itemsKeepWhatTheyWereFilledWith()
    {
        QListWidget list;
        listitems::fill(&list, mixedEntries(), true);
        QListWidgetItem* item = list.item(list.count() - 1);
        const ListEntry last = mixedEntries().last();
        QCOMPARE(listitems::image(item), last.image);
        QCOMPARE(listitems::id(item), last.id);
        QCOMPARE(item->toolTip(), last.caption);
        QCOMPARE(item->text(), last.caption);

        QStringList changed;
        QObject::connect(&list, &QListWidget::itemChanged, &list, [&](QListWidgetItem* i) { changed << i->text(); });
        item->setText(QStringLiteral("renamed"));
        QCOMPARE(item->toolTip(), last.caption);  // the tooltip is the caption it was made with
        item->setToolTip(QStringLiteral("tip"));
        QCOMPARE(item->toolTip(), QStringLiteral("tip"));
        QCOMPARE(changed, (QStringList {QStringLiteral("renamed"), QStringLiteral("renamed")}));

        const std::unique_ptr<QListWidgetItem> copy(item->clone());
        QCOMPARE(listitems::image(copy.get()), last.image);
        QCOMPARE(listitems::id(copy.get()), last.id);
        QCOMPARE(copy->toolTip(), QStringLiteral("tip"));
    }
};

QS_TEST_CLASS(TestListCaptions)
#include "test_captions.moc"
