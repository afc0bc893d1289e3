#include "TestMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QSet>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>

std::vector<qstest::Factory>& qstest::registry()
{
    static std::vector<Factory> factories;
    return factories;
}

namespace {
bool hasTestFunction(const QObject* test, const QString& name)
{
    const QMetaObject* meta = test->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Slot && QString::fromLatin1(method.name()) == name)
            return true;
    }
    return false;
}

// QtTest options that take a value.
bool takesValue(const QString& option)
{
    static const QSet<QString> withValue = {
        QStringLiteral("-o"),
        QStringLiteral("-maxwarnings"),
        QStringLiteral("-eventdelay"),
        QStringLiteral("-keydelay"),
        QStringLiteral("-mousedelay"),
        QStringLiteral("-perfcounter"),
        QStringLiteral("-minimumvalue"),
        QStringLiteral("-minimumtotal"),
        QStringLiteral("-iterations"),
        QStringLiteral("-median"),
        QStringLiteral("-seed"),
        QStringLiteral("-platform"),
    };
    return withValue.contains(option);
}

// An output file named with -o. QtTest writes it anew for every class it runs, so each class writes
// its own part and the parts are joined into the file named.
struct FileOutput {
    QString path;
    QString format;
    QStringList parts;  // one per class, in the order they ran
    QStringList classes;
};

QString stripDeclaration(QString xml)
{
    xml = xml.trimmed();
    if (xml.startsWith(QLatin1String("<?xml"))) {
        const qsizetype end = xml.indexOf(QLatin1String("?>"));
        xml = end < 0 ? QString() : xml.mid(end + 2).trimmed();
    }
    return xml;
}

QString escapeAttribute(const QString& text) { return text.toHtmlEscaped(); }

// The parts as one file valid for its format: text formats follow one another; XML documents (or the
// root-less light XML streams) go under one root element.
QByteArray joined(const FileOutput& out)
{
    const QString& f = out.format;
    if (f != QLatin1String("xml") && f != QLatin1String("lightxml") && f != QLatin1String("junitxml")
        && f != QLatin1String("xunitxml"))
        return out.parts.join(QString()).toUtf8();
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    const bool junit = f == QLatin1String("junitxml") || f == QLatin1String("xunitxml");
    text += junit ? QStringLiteral("<testsuites>\n") : QStringLiteral("<TestRun>\n");
    for (int i = 0; i < out.parts.size(); ++i) {
        const QString body = stripDeclaration(out.parts.at(i));
        if (f == QLatin1String("lightxml"))
            text += QStringLiteral("<TestCase name=\"%1\">\n%2\n</TestCase>\n")
                        .arg(escapeAttribute(out.classes.at(i)), body);
        else
            text += body + QLatin1Char('\n');
    }
    text += junit ? QStringLiteral("</testsuites>\n") : QStringLiteral("</TestRun>\n");
    return text.toUtf8();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

void complain(const QString& text) { std::fprintf(stderr, "%s\n", qUtf8Printable(text)); }
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillstash"));
    QStandardPaths::setTestModeEnabled(true);

    // Options go to every class; a test function named on the command line goes only to the class
    // that has it, so `test_x someFunction` runs just that function.
    QStringList options;
    QStringList functions;
    QString legacyFormat = QStringLiteral("txt");  // what -o without a format writes
    QList<FileOutput> files;
    QList<int> fileOptionAt;  // index in options of the value of each file output
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (!a.startsWith(QLatin1Char('-'))) {
            functions.append(a);
            continue;
        }
        options.append(a);
        static const QStringList formats
            = {QStringLiteral("txt"), QStringLiteral("csv"), QStringLiteral("junitxml"), QStringLiteral("xunitxml"),
                QStringLiteral("xml"), QStringLiteral("lightxml"), QStringLiteral("teamcity"), QStringLiteral("tap")};
        if (formats.contains(a.mid(1)))
            legacyFormat = a.mid(1);
        if (!takesValue(a) || i + 1 >= args.size())
            continue;
        const QString value = args.at(++i);
        options.append(value);
        if (a != QLatin1String("-o"))
            continue;
        const qsizetype comma = value.indexOf(QLatin1Char(','));
        const QString target = comma < 0 ? value : value.left(comma);
        if (target == QLatin1String("-"))
            continue;  // standard output takes every class as it comes
        files.append(FileOutput {target, comma < 0 ? QString() : value.mid(comma + 1), {}, {}});
        fileOptionAt.append(int(options.size()) - 1);
    }
    std::unique_ptr<QTemporaryDir> parts;
    if (!files.isEmpty()) {
        parts = std::make_unique<QTemporaryDir>();
        if (!parts->isValid()) {
            complain(QStringLiteral("cannot make a directory for the test output: ") + parts->errorString());
            return 1;
        }
    }
    for (FileOutput& out : files) {
        if (out.format.isEmpty())
            out.format = legacyFormat;
    }

    int failed = 0;
    QSet<QString> matched;
    int classIndex = 0;
    for (const auto& make : qstest::registry()) {
        std::unique_ptr<QObject> test(make());
        QStringList mine;
        for (const QString& f : functions) {
            if (hasTestFunction(test.get(), f.section(QLatin1Char(':'), 0, 0))) {
                mine.append(f);
                matched.insert(f);
            }
        }
        if (!functions.isEmpty() && mine.isEmpty())
            continue;
        QStringList classOptions = options;
        for (int k = 0; k < files.size(); ++k) {
            const QString part = parts->filePath(QStringLiteral("%1-%2").arg(classIndex).arg(k));
            classOptions[fileOptionAt.at(k)] = part + QLatin1Char(',') + files.at(k).format;
        }
        QStringList runArgs {args.value(0)};
        runArgs << classOptions << mine;
        failed += QTest::qExec(test.get(), runArgs);
        // Joined after every class, so a run that dies later still leaves what it did.
        for (int k = 0; k < files.size(); ++k) {
            FileOutput& out = files[k];
            QFile part(parts->filePath(QStringLiteral("%1-%2").arg(classIndex).arg(k)));
            out.parts.append(part.open(QIODevice::ReadOnly) ? QString::fromUtf8(part.readAll()) : QString());
            out.classes.append(QString::fromLatin1(test->metaObject()->className()));
            if (!writeAll(out.path, joined(out))) {
                complain(QStringLiteral("cannot write the test output to ") + out.path);
                ++failed;
            }
        }
        ++classIndex;
    }
    for (const QString& f : functions) {
        if (!matched.contains(f)) {
            complain(QStringLiteral("No test function named %1 in any test class").arg(f));
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
