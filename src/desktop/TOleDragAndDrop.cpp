#include "desktop/TOleDragAndDrop.h"

#include "common/Gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

namespace {
// Dropped text travels as a NUL-terminated string: whatever follows a NUL is not part of it.
QString cutAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}
}  // namespace

DropAction TOleDragAndDrop::classify(const QMimeData* data)
{
    DropAction action;
    if (!data)
        return action;
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        const bool anyLocal = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& u) { return u.isLocalFile(); });
        // Files come one at a time; several files are refused. Web links dragged from a browser come with
        // their text: that is a text drop.
        // (A link list alone also answers hasText(): only a text the drag itself offers counts.)
        const QStringList formats = data->formats();
        const bool offersText = std::any_of(formats.cbegin(), formats.cend(),
            [](const QString& f) { return f.startsWith(QLatin1String("text/plain")); });
        if (anyLocal || (!urls.isEmpty() && !offersText)) {
            if (urls.size() == 1 && urls.first().isLocalFile() && !urls.first().toLocalFile().isEmpty()) {
                QString path = QDir::cleanPath(urls.first().toLocalFile());
                action.kind = DropAction::Kind::ExamplePath;
                action.data = QDir::toNativeSeparators(path);
            }
            return action;
        }
    }
    if (data->hasText()) {
        action.kind = DropAction::Kind::Text;
        action.data = cutAtNul(data->text());
    }
    return action;
}

TOleDragAndDrop::Effect TOleDragAndDrop::DragEnter(const QMimeData* data)
{
    m_effect = classify(data).kind == DropAction::Kind::Nothing ? Effect::None : Effect::Copy;
    return m_effect;
}

DropAction TOleDragAndDrop::Drop(const QMimeData* data)
{
    const Effect entered = m_effect;
    m_effect = Effect::None;
    if (entered == Effect::None)
        return {};
    DropAction action = classify(data);
    if (action.kind == DropAction::Kind::ExamplePath)
        return fileDrop(action.data);
    return action;
}

DropAction TOleDragAndDrop::fileDrop(const QString& path)
{
    DropAction action;
    // A folder is filed as an example whatever its name says.
    if (!path.endsWith(QLatin1String(".txt")) || QFileInfo(path).isDir()) {
        action.kind = DropAction::Kind::ExamplePath;
        action.data = path;
        return action;
    }
    action.kind = DropAction::Kind::Error;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        action.error = QStringLiteral("Cannot open file \"%1\". %2").arg(shown, file.errorString());
        return action;
    }
    if (file.size() > kMaxTextFileBytes) {
        action.error = QStringLiteral("文件“%1”太大（%2 MB），不能作为文字资料添加。")
                           .arg(shown)
                           .arg(file.size() / (1024 * 1024));
        return action;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        action.error = QStringLiteral("Cannot read file \"%1\". %2").arg(shown, file.errorString());
        return action;
    }
    action.kind = DropAction::Kind::Text;
    action.data = joinLinesCrLf(splitLines(cutAtNul(decodeTextFile(bytes))));
    return action;
}

QString TOleDragAndDrop::decodeTextFile(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return gbk::decode(bytes);
}
