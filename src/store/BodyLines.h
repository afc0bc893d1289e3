#pragma once
// The lines of a body or description, as a record holds them. A record read from the database keeps the
// value as stored (UTF-8, tokens in place) and decodes, unescapes and splits it only when the lines are
// asked for: the details of a material with a body of thousands of lines need its first bytes alone, and a
// reading area needs the whole text but no line strings. Otherwise it is the QStringList of lines it stands
// for, and whatever asks for it sees exactly what decoding, unescaping and splitLines give.
//
// The lines are made on first use from const members too, so one value must not be read from two threads
// at once (copies may).
#include <QByteArray>
#include <QString>
#include <QStringList>

class BodyLines {
public:
    BodyLines() = default;
    BodyLines(const QStringList& lines);  // implicit: it stands in for a QStringList
    BodyLines& operator=(const QStringList& lines);

    // The lines of a value as the database stores it: UTF-8 bytes with "+(DYH)+" and "+(MH)+" in place.
    static BodyLines fromStored(const QByteArray& utf8);

    const QStringList& lines() const;
    operator const QStringList&() const { return lines(); }  // implicit, as above

    bool isEmpty() const;
    qsizetype size() const { return lines().size(); }
    const QString& at(qsizetype i) const { return lines().at(i); }
    QStringList::const_iterator begin() const { return lines().cbegin(); }
    QStringList::const_iterator end() const { return lines().cend(); }
    QString join(QChar separator) const { return lines().join(separator); }
    QString join(const QString& separator) const { return lines().join(separator); }
    void append(const QString& line);
    void clear() { *this = BodyLines(); }

    // Each line followed by lineEnd (what joining the lines so gives), made from a stored value without
    // splitting it.
    QString text(QStringView lineEnd) const;
    // The first codePoints code points of text(u"\r\n") (all of it when shorter); a stored value has only as
    // much of its start decoded as that takes.
    QString crLfTextStart(qsizetype codePoints) const;

    friend bool operator==(const BodyLines& a, const BodyLines& b) { return a.lines() == b.lines(); }
    friend bool operator==(const BodyLines& a, const QStringList& b) { return a.lines() == b; }
    friend bool operator==(const QStringList& a, const BodyLines& b) { return a == b.lines(); }
    friend bool operator!=(const BodyLines& a, const BodyLines& b) { return !(a == b); }
    friend bool operator!=(const BodyLines& a, const QStringList& b) { return !(a == b); }
    friend bool operator!=(const QStringList& a, const BodyLines& b) { return !(a == b); }

private:
    mutable QStringList m_lines;
    mutable QByteArray m_stored;  // the stored value while its lines are not made yet
    mutable bool m_pending = false;  // m_stored holds the value, m_lines is not made yet
};
