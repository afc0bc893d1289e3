#pragma once
// The floating window's drop target: decides, from the dragged data alone, whether a drag is taken
// and what a drop files. Widget-free, so the decisions are testable without a window system.
#include <QString>

class QByteArray;
class QMimeData;

// What a drop asks the floating window to do.
struct DropAction {
    enum class Kind {
        Nothing,  // refused or nothing to file
        Text,  // open or refill the text filing dialog with data
        ExamplePath,  // open or refill the example filing dialog with the path in data
        Error,  // a text file could not be read: report error, open nothing
    };
    Kind kind = Kind::Nothing;
    QString data;
    QString error;
};

class TOleDragAndDrop final {
public:
    enum class Effect { None, Copy };

    // A drag enters: Copy when the data is plain text or exactly one local file, else None.
    Effect DragEnter(const QMimeData* data);
    // The effect chosen when the drag entered.
    Effect DragOver() const { return m_effect; }
    void DragLeave() { m_effect = Effect::None; }
    // The drop: nothing unless the drag was taken when it entered. Reads a dropped ".txt" file.
    DropAction Drop(const QMimeData* data);

    // What the data offers, without reading any file: Text (the text), ExamplePath (one local
    // file or folder, any name) or Nothing.
    static DropAction classify(const QMimeData* data);
    // What a dropped file stands for: the file's lines, each followed by CR LF, when it is a file whose
    // name ends in ".txt" (lower case only); otherwise (folders too) the path for the example dialog.
    static DropAction fileDrop(const QString& path);
    // Bytes of a text file as text: UTF-8 when they are valid UTF-8, otherwise GBK.
    static QString decodeTextFile(const QByteArray& bytes);
    // Files above this size are not read as text (a body this large helps nobody).
    static constexpr qint64 kMaxTextFileBytes = 32 * 1024 * 1024;

private:
    Effect m_effect = Effect::None;
};
