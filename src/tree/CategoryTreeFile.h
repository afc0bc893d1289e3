#pragma once
// The category tree file MTS.qs: one line per node in depth-first order, a level prefix
// ("" top node, "+" category, "++" subcategory), the node's text and one image digit; GBK, CR LF.
#include <QByteArray>
#include <QList>
#include <QString>

// One node of the tree as the file holds it.
struct TreeNodeData {
    QString text;
    int image = 0;  // image index (0..4); the digit written after the text
    QList<TreeNodeData> children;
    bool operator==(const TreeNodeData& o) const
    {
        return text == o.text && image == o.image && children == o.children;
    }
};

// The tree file cannot be opened or holds no line.
struct EOpenFileError {
    QString text;
};

// Parses the bytes of a tree file into top nodes. Lines end at CR LF, CR or LF; the last character
// of every line (the image digit) is dropped unread and images come from the level.
// Two choices of ours: an empty line is skipped (the program never writes one), and a "+" or "++"
// line before any top node has no node to hang under and is skipped as well; a "++" line right after
// a top node hangs under it with its leading "+" characters dropped (it is saved as a "+" line).
// A file that is valid UTF-8 but not valid GBK (written by an editor that saves UTF-8) is read as UTF-8;
// otherwise bytes that are not GBK load as the characters a save would write for them.
// Throws EOpenFileError when no line is left.
QList<TreeNodeData> parseTreeFile(const QByteArray& bytes);
// Reads and parses the file; throws EOpenFileError when it cannot be opened or holds no line.
QList<TreeNodeData> loadTreeFile(const QString& path);
// The file's bytes for a tree (GBK, every line ended by CR LF).
QByteArray treeFileBytes(const QList<TreeNodeData>& topNodes);
// Writes the whole file in one piece (a complete new file or the old one; in a directory that only
// lets its files be rewritten in place, directly). On failure returns false and sets error to
// "Cannot create file "path". reason" and reason (when given) to the system's reason alone.
bool saveTreeFile(const QString& path, const QList<TreeNodeData>& topNodes, QString* error, QString* reason = nullptr);
// The text of a tree file's bytes: UTF-8 when they are valid UTF-8 and not valid GBK (or start with
// a UTF-8 byte order mark), else GBK.
QString decodeTreeText(const QByteArray& bytes);
// Keeps the file at path as path + ".bak" (replacing an older one). True when there was nothing to
// keep or it was kept.
bool keepBackupCopy(const QString& path, QString* error);

// Whether a category or subcategory name can be written to the tree file and read back as the same
// name: no leading "+", no line break, every character encodable in GBK.
bool canWriteTreeName(const QString& name);
