#include "edit/ExchangeFormat.h"

#include "common/Gbk.h"
#include "common/Kinds.h"

#include <QStringDecoder>
#include <QStringList>

namespace exchange {

namespace {

const QString kEntryNames[] = {
    QStringLiteral("category"),
    QStringLiteral("subcategory"),
    QStringLiteral("material"),
    QStringLiteral("outside-tree"),
};
constexpr int kFieldCount = 10;

int utf8Length(const QString& text) { return int(text.toUtf8().size()); }

// The longest leading part of text within maxBytes UTF-8 bytes, never cutting a character in two.
QString fitted(const QString& text, int maxBytes)
{
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        const qsizetype step = pair ? 2 : 1;
        const int bytes = utf8Length(text.mid(end, step));
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        end += step;
    }
    return text.left(end);
}

bool isDeviceName(const QString& stem)
{
    // Windows refuses these as names, with any extension.
    const QString base = stem.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QSet<QString> kDevices = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
        QStringLiteral("NUL"), QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
        QStringLiteral("COM4"), QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"),
        QStringLiteral("COM8"), QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"), QStringLiteral("LPT6"),
        QStringLiteral("LPT7"), QStringLiteral("LPT8"), QStringLiteral("LPT9")};
    return kDevices.contains(base);
}

// The characters of a name that no common file system refuses.
QString cleanName(const QString& wanted)
{
    QString out;
    out.reserve(wanted.size());
    for (const QChar c : wanted) {
        switch (c.unicode()) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            // The full-width forms read the same to a person.
            out += QChar(c.unicode() - 0x20 + 0xFF00);
            break;
        default:
            out += c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(QLatin1Char('_')) : c;
        }
    }
    if (out.startsWith(QLatin1Char('.')))
        out[0] = QChar(0xFF0E);  // a leading dot would hide the file
    if (out.isEmpty())
        out = QStringLiteral("_");
    if (isDeviceName(out))
        out.prepend(QLatin1Char('_'));
    return out;
}

QString foldedKey(const QString& name) { return name.normalized(QString::NormalizationForm_C).toCaseFolded(); }

// Header values stand on one line.
QString oneLine(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return out;
}

const QString kTitleLabel = QStringLiteral("标题：");
const QString kWriterLabel = QStringLiteral("作者：");
const QString kTimeLabel = QStringLiteral("创建时间：");
const QString kPlaceLabel = QStringLiteral("分类：");
const QString kPathLabel = QStringLiteral("路径：");

QString strictUtf8(const QByteArray& bytes, bool* ok)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    *ok = !decoder.hasError();
    return text;
}

}  // namespace

QString NameSpace::claim(const QString& wanted, const QString& extension)
{
    const QString stem = cleanName(wanted);
    for (int n = 1;; ++n) {
        const QString suffix = n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
        QString name = fitted(stem, kMaxNameBytes - utf8Length(suffix + extension));
        if (extension.isEmpty() && suffix.isEmpty()) {
            // Windows drops trailing dots and blanks of a folder name; a cut can leave some.
            while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
                name.chop(1);
            if (name.isEmpty())
                name = QStringLiteral("_");
        }
        name += suffix + extension;
        const QString key = foldedKey(name);
        if (!m_used.contains(key)) {
            m_used.insert(key);
            return name;
        }
    }
}

void NameSpace::reserve(const QString& name) { m_used.insert(foldedKey(name)); }

QString indexFileName() { return QStringLiteral("index.tsv"); }

QString indexHeader()
{
    return QStringLiteral("entry\tkind\tid\tcategory\tsubcategory\ttitle\twriter\tcreatetime\tfpath\tfile");
}

QString escapeField(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case 0:
            out += QStringLiteral("\\0");
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool unescapeField(const QString& text, QString* out)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\')) {
            result += c;
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text.at(i).unicode()) {
        case '\\':
            result += QLatin1Char('\\');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case '0':
            result += QChar(0);
            break;
        default:
            return false;
        }
    }
    *out = result;
    return true;
}

QString indexLine(const IndexEntry& e)
{
    const bool material = e.isMaterial();
    const QStringList fields = {
        kEntryNames[int(e.entry)],
        escapeField(e.kind),
        material ? QString::number(e.id) : QString(),
        escapeField(e.category),
        escapeField(e.subcategory),
        escapeField(e.title),
        escapeField(e.writer),
        escapeField(e.createtime),
        escapeField(e.fpath),
        escapeField(e.file),
    };
    return fields.join(QLatin1Char('\t'));
}

bool parseIndexLine(const QString& line, IndexEntry* entry, QString* why)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != kFieldCount) {
        *why = QStringLiteral("应有 %1 列，实有 %2 列").arg(kFieldCount).arg(fields.size());
        return false;
    }
    IndexEntry e;
    int kind = -1;
    for (int i = 0; i < 4; ++i) {
        if (fields.at(0) == kEntryNames[i])
            kind = i;
    }
    if (kind < 0) {
        *why = QStringLiteral("不认识的行类型“%1”").arg(fields.at(0));
        return false;
    }
    e.entry = IndexEntry::Kind(kind);
    QString* targets[]
        = {&e.kind, nullptr, &e.category, &e.subcategory, &e.title, &e.writer, &e.createtime, &e.fpath, &e.file};
    for (int i = 1; i < kFieldCount; ++i) {
        QString* target = targets[i - 1];
        if (target && !unescapeField(fields.at(i), target)) {
            *why = QStringLiteral("第 %1 列有无法识别的转义").arg(i + 1);
            return false;
        }
    }
    if (e.kind != kinds::textRoot() && e.kind != kinds::exampleRoot()) {
        *why = QStringLiteral("资料种类“%1”不是“文字资料”或“实例资料”").arg(e.kind);
        return false;
    }
    if (e.isMaterial()) {
        bool ok = false;
        e.id = fields.at(2).toLongLong(&ok);
        if (!ok) {
            *why = QStringLiteral("编号“%1”不是数字").arg(fields.at(2));
            return false;
        }
        if (e.file.isEmpty()) {
            *why = QStringLiteral("没有写出资料的文件");
            return false;
        }
    }
    *entry = e;
    return true;
}

QByteArray materialFileBytes(const IndexEntry& e, const QString& text)
{
    QString place = e.kind + QLatin1Char('/') + e.category;
    if (!e.subcategory.isEmpty())
        place += QLatin1Char('/') + e.subcategory;
    const QString crlf = QStringLiteral("\r\n");
    QString head = kTitleLabel + oneLine(e.title) + crlf + kWriterLabel + oneLine(e.writer) + crlf + kTimeLabel
        + oneLine(e.createtime) + crlf + kPlaceLabel + oneLine(place) + crlf;
    if (e.kind == kinds::exampleRoot())
        head += kPathLabel + oneLine(e.fpath) + crlf;
    head += crlf;
    return (head + text).toUtf8();
}

bool materialFileText(const QByteArray& bytes, bool example, QString* text, QString* why)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QList<QByteArray> labels = {kTitleLabel.toUtf8(), kWriterLabel.toUtf8(), kTimeLabel.toUtf8(), kPlaceLabel.toUtf8()};
    if (example)
        labels.append(kPathLabel.toUtf8());
    labels.append(QByteArray());  // the empty line
    qsizetype at = 0;
    for (const QByteArray& label : labels) {
        const qsizetype end = data.indexOf('\n', at);
        if (end < 0) {
            *why = QStringLiteral("文件开头缺少资料的说明行");
            return false;
        }
        QByteArray line = data.mid(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        if (label.isEmpty() ? !line.isEmpty() : !line.startsWith(label)) {
            *why = label.isEmpty() ? QStringLiteral("说明行后面缺少空行")
                                   : QStringLiteral("缺少“%1”一行").arg(QString::fromUtf8(label));
            return false;
        }
        at = end + 1;
    }
    bool ok = false;
    *text = strictUtf8(data.mid(at), &ok);
    if (!ok) {
        *why = QStringLiteral("正文不是 UTF-8 文本");
        return false;
    }
    return true;
}

TextKind decodeTextFile(const QByteArray& bytes, QString* text)
{
    bool ok = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        *text = strictUtf8(bytes.mid(3), &ok);
        return ok ? TextKind::Text : TextKind::Unknown;
    }
    const bool le = bytes.startsWith("\xFF\xFE");
    if (le || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
        *text = decoder.decode(bytes.mid(2));
        return decoder.hasError() ? TextKind::Unknown : TextKind::Text;
    }
    // Text has no control characters but tabs, line and page breaks and escape (coloured logs).
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v' && b != 0x1B)
            return TextKind::Binary;
    }
    *text = strictUtf8(bytes, &ok);
    if (ok)
        return TextKind::Text;
    *text = gbk::decode(bytes, &ok);
    // The GBK decoder takes some bytes no GBK text holds (0xFF) as private-use characters.
    for (const QChar c : *text) {
        if (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF)
            ok = false;
    }
    return ok ? TextKind::Text : TextKind::Unknown;
}

QString decodeFileName(const QByteArray& name)
{
    bool ok = false;
    QString text = strictUtf8(name, &ok);
    if (ok)
        return text;
    text = gbk::decode(name, &ok);
    return ok ? text : QString::fromUtf8(name);
}

QString titleFromFileName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString title = dot > 0 ? name.left(dot) : name;
    for (QChar& c : title) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    return title;
}

bool isTextFileName(const QByteArray& name)
{
    const QByteArray lower = name.toLower();
    return lower.endsWith(".txt") || lower.endsWith(".md");
}

}  // namespace exchange
