#include "common/Images.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
enum class Shape {
    FolderClosed,
    FolderOpen,
    Subfolder,
    Book,
    BookOpen,
    AddFolder,
    Rename,
    DeleteFolder,
    AddDoc,
    Exit,
    DeleteDoc,
    EditDoc,
    Options,
    Move,
    Sort,
    Search,
    Help,
    Mail,
    Web,
    Back,
    Forward,
    Up,
    TextDoc,
    ExeDoc,
    Root,
    Bullet,
    Eye,
    Copy,
    SelectAll
};

QColor shade(QColor c, bool inactive) { return inactive ? QColor(160, 160, 160) : c; }

void drawFolder(QPainter& p, const QRectF& r, QColor c, bool open)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top() + r.height() * 0.2);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.2);
    path.lineTo(r.left() + r.width() * 0.5, r.top() + r.height() * 0.32);
    path.lineTo(r.right(), r.top() + r.height() * 0.32);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(c);
    p.setPen(QPen(c.darker(160), 1));
    p.drawPath(path);
    if (open) {
        QPolygonF flap;
        flap << QPointF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.5)
             << QPointF(r.right() + 1, r.top() + r.height() * 0.5) << QPointF(r.right() - r.width() * 0.1, r.bottom())
             << QPointF(r.left(), r.bottom());
        p.setBrush(c.lighter(130));
        p.drawPolygon(flap);
    }
}

void drawDoc(QPainter& p, const QRectF& r, QColor c)
{
    QRectF page(r.left() + r.width() * 0.15, r.top(), r.width() * 0.7, r.height());
    p.setBrush(Qt::white);
    p.setPen(QPen(c.darker(150), 1));
    p.drawRect(page);
    p.setPen(QPen(c, qMax(1.0, r.height() / 14)));
    for (int i = 1; i <= 4; ++i) {
        const qreal y = page.top() + page.height() * i / 5.5;
        p.drawLine(QPointF(page.left() + 2, y), QPointF(page.right() - 2, y));
    }
}

void drawArrow(QPainter& p, const QRectF& r, QColor c, int direction)  // 0 left, 1 right, 2 up
{
    p.save();
    p.translate(r.center());
    p.rotate(direction == 0 ? 180 : direction == 1 ? 0 : -90);
    const qreal s = r.width() / 2 - 1;
    QPolygonF arrow;
    arrow << QPointF(-s, -s * 0.3) << QPointF(0, -s * 0.3) << QPointF(0, -s * 0.8) << QPointF(s, 0)
          << QPointF(0, s * 0.8) << QPointF(0, s * 0.3) << QPointF(-s, s * 0.3);
    p.setBrush(c);
    p.setPen(QPen(c.darker(150), 1));
    p.drawPolygon(arrow);
    p.restore();
}

void drawBadge(QPainter& p, const QRectF& r, QColor c, QChar glyph)
{
    const qreal d = r.width() * 0.55;
    QRectF b(r.right() - d, r.bottom() - d, d, d);
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawEllipse(b);
    QFont f;
    f.setPixelSize(int(d * 0.9));
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(b, Qt::AlignCenter, QString(glyph));
}

QPixmap render(Shape shape, int size, bool inactive = false)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, size - 2, size - 2);
    const QColor yellow(236, 190, 70), blue(50, 110, 200), green(40, 150, 70), red(200, 50, 50), grey(110, 110, 110);
    switch (shape) {
    case Shape::Root:
        drawFolder(p, r, QColor(90, 140, 220), false);
        break;
    case Shape::FolderClosed:
        drawFolder(p, r, yellow, false);
        break;
    case Shape::FolderOpen:
        drawFolder(p, r, yellow, true);
        break;
    case Shape::Subfolder:
        drawFolder(p, r, QColor(170, 200, 110), false);
        break;
    case Shape::Book:
        drawFolder(p, r, QColor(90, 140, 220), false);
        break;
    case Shape::BookOpen:
        drawFolder(p, r, QColor(90, 140, 220), true);
        break;
    case Shape::AddFolder:
        drawFolder(p, r, yellow, false);
        drawBadge(p, r, green, QLatin1Char('+'));
        break;
    case Shape::Rename:
        drawFolder(p, r, yellow, false);
        drawBadge(p, r, blue, QLatin1Char('A'));
        break;
    case Shape::DeleteFolder:
        drawFolder(p, r, yellow, false);
        drawBadge(p, r, red, QLatin1Char('x'));
        break;
    case Shape::AddDoc:
        drawDoc(p, r, blue);
        drawBadge(p, r, green, QLatin1Char('+'));
        break;
    case Shape::DeleteDoc:
        drawDoc(p, r, blue);
        drawBadge(p, r, red, QLatin1Char('x'));
        break;
    case Shape::EditDoc:
        drawDoc(p, r, blue);
        drawBadge(p, r, QColor(220, 140, 20), QLatin1Char('/'));
        break;
    case Shape::TextDoc:
        drawDoc(p, r, blue);
        break;
    case Shape::ExeDoc:
        p.setBrush(QColor(60, 60, 70));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(r.adjusted(0, r.height() * 0.1, 0, -r.height() * 0.1), 2, 2);
        p.setPen(QPen(QColor(120, 230, 120), qMax(1.0, size / 12.0)));
        p.drawText(r, Qt::AlignCenter, QStringLiteral(">_"));
        break;
    case Shape::Exit:
        p.setBrush(QColor(150, 90, 50));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(r.left() + r.width() * 0.1, r.top(), r.width() * 0.5, r.height()));
        drawArrow(p,
            QRectF(r.left() + r.width() * 0.35, r.top() + r.height() * 0.3, r.width() * 0.65, r.height() * 0.4), red,
            1);
        break;
    case Shape::Options:
        p.setPen(QPen(grey, size / 6.0, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 4; ++i) {
            p.save();
            p.translate(r.center());
            p.rotate(45 * i);
            p.drawLine(QPointF(-r.width() * 0.42, 0), QPointF(r.width() * 0.42, 0));
            p.restore();
        }
        p.setBrush(grey.lighter(150));
        p.setPen(QPen(grey, 1));
        p.drawEllipse(r.center(), r.width() * 0.25, r.width() * 0.25);
        break;
    case Shape::Move:
        drawDoc(p, r, blue);
        drawArrow(p, QRectF(r.center(), r.bottomRight()), green, 1);
        break;
    case Shape::Sort:
        p.setPen(QPen(blue, qMax(1.5, size / 10.0)));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(r.left(), r.top() + r.height() * (0.15 + 0.23 * i)),
                QPointF(r.left() + r.width() * (0.4 + 0.18 * i), r.top() + r.height() * (0.15 + 0.23 * i)));
        break;
    case Shape::Search:
        p.setPen(QPen(shade(blue, false), qMax(1.5, size / 8.0)));
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(r.left(), r.top(), r.width() * 0.65, r.height() * 0.65));
        p.drawLine(QPointF(r.left() + r.width() * 0.58, r.top() + r.height() * 0.58), r.bottomRight());
        break;
    case Shape::Help:
        p.setBrush(blue);
        p.setPen(Qt::NoPen);
        p.drawEllipse(r);
        p.setPen(Qt::white);
        {
            QFont f;
            f.setPixelSize(int(size * 0.7));
            f.setBold(true);
            p.setFont(f);
        }
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
        break;
    case Shape::Mail:
        p.setBrush(Qt::white);
        p.setPen(QPen(blue, 1));
        p.drawRect(r.adjusted(0, r.height() * 0.2, 0, -r.height() * 0.2));
        p.drawLine(QPointF(r.left(), r.top() + r.height() * 0.2), r.center());
        p.drawLine(r.center(), QPointF(r.right(), r.top() + r.height() * 0.2));
        break;
    case Shape::Web:
        p.setBrush(QColor(200, 230, 255));
        p.setPen(QPen(blue, 1));
        p.drawEllipse(r);
        p.drawEllipse(r.adjusted(r.width() * 0.3, 0, -r.width() * 0.3, 0));
        p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
        break;
    case Shape::Back:
        drawArrow(p, r, shade(green, inactive), 0);
        break;
    case Shape::Forward:
        drawArrow(p, r, shade(green, inactive), 1);
        break;
    case Shape::Up:
        drawArrow(p, r, shade(blue, inactive), 2);
        break;
    case Shape::Bullet:
        p.setBrush(blue);
        p.setPen(Qt::NoPen);
        p.drawEllipse(r.center(), r.width() * 0.25, r.width() * 0.25);
        break;
    case Shape::Eye:
        p.setBrush(Qt::white);
        p.setPen(QPen(grey, 1));
        p.drawEllipse(r.adjusted(0, r.height() * 0.25, 0, -r.height() * 0.25));
        p.setBrush(blue);
        p.drawEllipse(r.center(), r.width() * 0.18, r.width() * 0.18);
        break;
    case Shape::Copy:
        drawDoc(p, r.adjusted(0, 0, -r.width() * 0.3, -r.height() * 0.3), blue);
        drawDoc(p, r.adjusted(r.width() * 0.3, r.height() * 0.3, 0, 0), blue);
        break;
    case Shape::SelectAll:
        p.setPen(QPen(blue, 1, Qt::DashLine));
        p.setBrush(QColor(200, 220, 255));
        p.drawRect(r);
        break;
    }
    return pm;
}

QIcon cached(const QString& key, Shape shape, int size, bool inactive = false)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.find(key);
    if (it != cache.end())
        return *it;
    QIcon icon(render(shape, size, inactive));
    cache.insert(key, icon);
    return icon;
}
}  // namespace

namespace images {

QIcon mainImage(int index)
{
    static const Shape shapes[20] = {
        Shape::AddFolder, Shape::Rename, Shape::DeleteFolder, Shape::AddDoc, Shape::Exit,  // 0-4
        Shape::DeleteDoc, Shape::EditDoc, Shape::Options, Shape::Move, Shape::Sort,  // 5-9
        Shape::Search, Shape::Help, Shape::Mail, Shape::Web, Shape::Back,  // 10-14
        Shape::Forward, Shape::Up, Shape::Back, Shape::Forward, Shape::Up,  // 15-19
    };
    if (index < 0 || index >= 20)
        return QIcon();
    return cached(QStringLiteral("main%1").arg(index), shapes[index], 24, index >= 17);
}

QIcon treeImage(int index)
{
    static const Shape shapes[9] = {Shape::Book, Shape::FolderClosed, Shape::Subfolder, Shape::BookOpen,
        Shape::FolderOpen, Shape::AddFolder, Shape::Rename, Shape::DeleteFolder, Shape::AddDoc};
    if (index < 0 || index >= 9)
        return QIcon();
    return cached(QStringLiteral("tree%1").arg(index), shapes[index], 16);
}

static Shape listShape(int index)
{
    static const Shape shapes[12]
        = {Shape::FolderOpen, Shape::FolderClosed, Shape::Subfolder, Shape::Root, Shape::TextDoc, Shape::ExeDoc,
            Shape::AddDoc, Shape::DeleteDoc, Shape::EditDoc, Shape::Eye, Shape::Move, Shape::Sort};
    return shapes[index];
}

QIcon listImage(int index)
{
    if (index < 0 || index >= 12)
        return QIcon();
    return cached(QStringLiteral("list%1").arg(index), listShape(index), 32);
}

QIcon smallListImage(int index)
{
    if (index < 0 || index >= 12)
        return QIcon();
    return cached(QStringLiteral("slist%1").arg(index), listShape(index), 16);
}

QIcon detailImage(int index)
{
    if (index == 0)
        return cached(QStringLiteral("detail0"), Shape::Bullet, 16);
    if (index == 1)
        return cached(QStringLiteral("detail1"), Shape::Exit, 16);
    return QIcon();
}

QIcon viewerImage(int index)
{
    if (index == 0)
        return cached(QStringLiteral("viewer0"), Shape::SelectAll, 16);
    if (index == 1)
        return cached(QStringLiteral("viewer1"), Shape::Copy, 16);
    return QIcon();
}

QPixmap appIconPicture(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(40, 90, 170));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    QPen quill(QColor(250, 220, 120), size / 10.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(quill);
    p.drawLine(QPointF(size * 0.25, size * 0.8), QPointF(size * 0.75, size * 0.2));
    p.setPen(QPen(Qt::white, size / 14.0));
    p.drawLine(QPointF(size * 0.2, size * 0.85), QPointF(size * 0.8, size * 0.85));
    return pm;
}

QIcon appIcon()
{
    static QIcon icon = [] {
        QIcon i;
        for (int size : {16, 24, 32, 48, 64})
            i.addPixmap(appIconPicture(size));
        return i;
    }();
    return icon;
}

QPixmap dragPicture() { return appIcon().pixmap(32, 32); }

}  // namespace images
