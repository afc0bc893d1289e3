#pragma once
// The plain-file form of the knowledge base, shared by the export and the import: file and folder names
// every file system takes, the material files (a few header lines, an empty line, the text), the index
// (index.tsv) that says what each file is, and reading text files of unknown encoding.
#include <QByteArray>
#include <QSet>
#include <QString>

namespace exchange {

// The names used in one folder. Names are compared without case (and in one Unicode form), so an export
// copied to a file system that ignores case loses nothing.
class NameSpace final {
public:
    // A name for wanted + extension that no other name of the folder has and that every common file system
    // takes: no "/", "\", ":" and the other characters Windows refuses (they become their full-width
    // forms), no control characters or NUL, no leading "." (hidden) and no trailing dots or blanks, never
    // "." or "..", never a device name such as CON, at most 255 UTF-8 bytes. A name already taken gets
    // " (2)", " (3)", ... before the extension.
    QString claim(const QString& wanted, const QString& extension = QString());
    // Keeps name from being handed out (the index file beside the kind folders).
    void reserve(const QString& name);

private:
    QSet<QString> m_used;
};

// The most bytes a file or folder name may take (Linux, and most other file systems).
constexpr int kMaxNameBytes = 255;

// index.tsv: UTF-8, LF, one header line, then one row per category, subcategory and material; fields
// are separated by tabs, and backslash, tab, line breaks and NUL inside a field are written \\ \t \n \r \0.
QString indexFileName();
QString indexHeader();

struct IndexEntry {
    enum class Kind {
        Category,  // a category of the tree, in tree order
        Subcategory,  // a subcategory of the category named in the row
        Material,  // a material filed in the tree
        OutsideTree,  // a material whose category or subcategory the tree does not hold
    };
    Kind entry = Kind::Material;
    QString kind;  // "文字资料" or "实例资料"
    qint64 id = 0;  // the material's id in the exported database (informative)
    QString category;
    QString subcategory;  // empty for a material filed in the category itself
    QString title;  // as the user sees it (not the stored form)
    QString writer;
    QString createtime;
    QString fpath;  // example materials
    QString file;  // the material's file, relative to the export folder, "/" between folders
    bool isMaterial() const { return entry == Kind::Material || entry == Kind::OutsideTree; }
};

QString escapeField(const QString& text);
// False when text holds a backslash sequence the escaping never writes.
bool unescapeField(const QString& text, QString* out);
// One row of index.tsv, without its line end.
QString indexLine(const IndexEntry& entry);
// Reads one row; false with why (in the user's words) when it is not a row the export writes.
bool parseIndexLine(const QString& line, IndexEntry* entry, QString* why);

// A material's file: "标题：", "作者：", "创建时间：", "分类：" + the category path (and for an example
// material "路径：" + its path), each line ended by CR LF, an empty line, then the body or description
// as it is stored (unescaped, line ends as stored). UTF-8 without a byte order mark. Line breaks and
// other control characters in the header values become blanks: the index holds the exact values.
QByteArray materialFileBytes(const IndexEntry& entry, const QString& text);
// The body or description of a material file. False with why when the file is not laid out as
// materialFileBytes writes it or is not UTF-8.
bool materialFileText(const QByteArray& bytes, bool example, QString* text, QString* why);

enum class TextKind { Text, Binary, Unknown };
// The text of a file that may be UTF-8 (with or without a byte order mark), UTF-16 with a byte order mark,
// or GBK: UTF-8 when it is valid UTF-8, else GBK. NUL or another control character (but tab, line and
// page breaks and escape) outside UTF-16 means a binary file; bytes that are neither UTF-8 nor GBK are
// Unknown.
TextKind decodeTextFile(const QByteArray& bytes, QString* text);
// A file name's bytes as text: UTF-8 when valid, else GBK when valid, else UTF-8 with replacement marks.
QString decodeFileName(const QByteArray& name);
// The title a plain file gets: its name without the extension, line breaks and control characters as
// blanks; the whole name when nothing is left.
QString titleFromFileName(const QString& name);
// Whether a file name ends in .txt or .md (any case).
bool isTextFileName(const QByteArray& name);

}  // namespace exchange
