// The quick forms of reading stored text give exactly what Qt's decoder and the two replace passes give:
// for the program's own text, for what another program may have written, and for token mixes.
#include "common/Gbk.h"
#include "common/Utf8.h"
#include "store/BodyLines.h"
#include "store/Escaping.h"

#include "TestMain.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
// What reading did before the quick forms: Qt's decoder, then the apostrophe tokens, then the colon tokens.
QString referenceUnescape(QString text)
{
    return text.replace(QStringLiteral("+(DYH)+"), QStringLiteral("'"))
        .replace(QStringLiteral("+(MH)+"), QStringLiteral(":"));
}
}  // namespace

class TextReadingTest final : public QObject {
    Q_OBJECT
private slots:
    void decodesAsQtDoes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii, longer than a word") << QByteArray("select id, title from textfile;\r\n");
        QTest::newRow("chinese and ascii") << QStringLiteral("线程池 it's 详解: C++").toUtf8();
        QTest::newRow("four-byte") << QStringLiteral("a😀b𠀀c").toUtf8();
        QTest::newRow("embedded NUL") << QByteArray("ab\0cd", 5);
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFtext");
        QTest::newRow("truncated sequence") << QByteArray("ab\xE7\xBA");
        QTest::newRow("lone continuation") << QByteArray("a\x80z");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF");
        QTest::newRow("overlong three-byte") << QByteArray("\xE0\x80\xAF");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80x");
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
        QTest::newRow("noncharacter") << QByteArray("\xEF\xBF\xBE!");
        QTest::newRow("latin-1 bytes") << QByteArray("caf\xE9 na\xEFve");
        QTest::newRow("invalid after ascii run") << QByteArray("abcdefghijk\xFF");
    }
    void decodesAsQtDoes()
    {
        QFETCH(QByteArray, bytes);
        const QString decoded = utf8::decode(bytes.constData(), bytes.size());
        QCOMPARE(decoded, QString::fromUtf8(bytes));
        QCOMPARE(decoded.size(), QString::fromUtf8(bytes).size());
    }

    // Random bytes drawn mostly from the pieces of real text, and pure noise: always Qt's result.
    void randomBytesDecodeAsQtDoes()
    {
        QRandomGenerator rng(20240605);
        const QList<QByteArray> pieces {"a", "Z", "\r\n", " ", QStringLiteral("中").toUtf8(),
            QStringLiteral("é").toUtf8(), QStringLiteral("😀").toUtf8(), "\x80", "\xE4", "\xF0\x9F", "\xFF",
            "0123456789", QStringLiteral("\uFDD0\uFEFF\uFFFD").toUtf8(), QByteArray(1, '\0')};
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes;
            const int count = int(rng.bounded(40));
            for (int i = 0; i < count; ++i) {
                if (round % 3 == 0)
                    bytes.append(char(rng.bounded(256)));
                else
                    bytes.append(pieces.at(int(rng.bounded(pieces.size()))));
            }
            QCOMPARE(utf8::decode(bytes.constData(), bytes.size()), QString::fromUtf8(bytes));
        }
    }

    void unescapesAsTheTwoPassesDo_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("colon token before an apostrophe token") << "+(MH)+(DYH)+";
        QTest::newRow("apostrophe token before a colon token") << "+(DYH)+(MH)+";
        QTest::newRow("colon tokens sharing a plus") << "+(MH)+(MH)+";
        QTest::newRow("three in a row") << "+(MH)+(MH)+(DYH)+";
        QTest::newRow("cut token at the end") << "x+(MH)";
        QTest::newRow("plus signs only") << "a+b++c+";
        QTest::newRow("no tokens") << "C++ 线程池";
    }
    void unescapesAsTheTwoPassesDo()
    {
        QFETCH(QString, stored);
        QCOMPARE(UnescapeBodyText(stored), referenceUnescape(stored));
    }

    // Any mix of the tokens' characters: the one pass gives what the two passes give.
    void randomTokenMixesUnescapeAsTheTwoPassesDo()
    {
        QRandomGenerator rng(7);
        const QStringList pieces {QStringLiteral("+(MH)+"), QStringLiteral("+(DYH)+"), QStringLiteral("+"),
            QStringLiteral("("), QStringLiteral(")"), QStringLiteral("MH"), QStringLiteral("DYH"), QStringLiteral("x"),
            QStringLiteral("中"), QStringLiteral("+(MH)"), QStringLiteral("(DYH)+")};
        for (int round = 0; round < 5000; ++round) {
            QString text;
            const int count = int(rng.bounded(12));
            for (int i = 0; i < count; ++i)
                text += pieces.at(int(rng.bounded(pieces.size())));
            QCOMPARE(UnescapeBodyText(text), referenceUnescape(text));
            QCOMPARE(UnescapeTitleText(text), QString(text).replace(QStringLiteral("+(DYH)+"), QStringLiteral("'")));
        }
    }

    // A stored body kept undecoded gives, when asked, what decoding, unescaping and splitting it at once
    // gives: its lines, its text with either line end, its start for the previews, whether it is empty.
    void storedBodiesReadAsDecodedLines()
    {
        QRandomGenerator rng(11);
        const QList<QByteArray> pieces {"\r\n", "\r", "\n", "+(MH)+", "+(DYH)+", "+(MH)", "(DYH)+", "+",
            QStringLiteral("线程池").toUtf8(), QStringLiteral("😀").toUtf8(), "\xE7\xBA", "\xFF", QByteArray("\0", 1),
            "abc", "x", "\xEF\xBB\xBF", "line of text "};
        for (int round = 0; round < 3000; ++round) {
            QByteArray stored;
            const int count = int(rng.bounded(round % 10 == 0 ? 400 : 20));
            for (int i = 0; i < count; ++i)
                stored += pieces.at(int(rng.bounded(pieces.size())));
            const QStringList expected = splitLines(referenceUnescape(QString::fromUtf8(stored)));
            const QString crLf = joinLinesCrLf(expected);
            QString lf;
            for (const QString& line : expected)
                lf += line + QLatin1Char('\n');

            QCOMPARE(BodyLines::fromStored(stored).text(u"\r\n"), crLf);
            QCOMPARE(BodyLines::fromStored(stored).text(u"\n"), lf);
            QCOMPARE(BodyLines::fromStored(stored).isEmpty(), expected.isEmpty());
            const qsizetype codePoints = crLf.toUcs4().size();
            for (const int wanted : {0, 1, 7, 30, 60, 500}) {
                const BodyLines fresh = BodyLines::fromStored(stored);
                const QString start = fresh.crLfTextStart(wanted);
                QVERIFY2(crLf.left(start.size()) == start, stored.toHex().constData());
                QCOMPARE(start.toUcs4().size(), qMin<qsizetype>(wanted, codePoints));
                // Lines set as a list answer alike.
                QCOMPARE(BodyLines(expected).crLfTextStart(wanted), start);
            }
            const BodyLines body = BodyLines::fromStored(stored);
            QCOMPARE(body.lines(), expected);
            QCOMPARE(body.text(u"\r\n"), crLf);  // once the lines are made, from them
            BodyLines appended = BodyLines::fromStored(stored);
            appended.append(QStringLiteral("more"));
            QCOMPARE(appended.lines(), expected + QStringList {QStringLiteral("more")});
        }
    }
};

QS_TEST_CLASS(TextReadingTest)
#include "test_text_reading.moc"
