#include "TestMain.h"

#include <QApplication>
#include <QMetaMethod>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
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
        if (QString::fromLatin1(meta->method(i).name()) == name)
            return true;
    }
    return false;
}
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
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a.startsWith(QLatin1Char('-'))) {
            options.append(a);
            // Options that take a value.
            if ((a == QLatin1String("-o") || a == QLatin1String("-maxwarnings") || a == QLatin1String("-eventdelay")
                 || a == QLatin1String("-keydelay") || a == QLatin1String("-mousedelay") || a == QLatin1String("-v"))
                && i + 1 < args.size() && a != QLatin1String("-v"))
                options.append(args.at(++i));
        } else {
            functions.append(a);
        }
    }

    int failed = 0;
    for (const auto& make : qstest::registry()) {
        std::unique_ptr<QObject> test(make());
        QStringList mine;
        for (const QString& f : functions) {
            if (hasTestFunction(test.get(), f.section(QLatin1Char(':'), 0, 0)))
                mine.append(f);
        }
        if (!functions.isEmpty() && mine.isEmpty())
            continue;
        QStringList runArgs{args.value(0)};
        runArgs << options << mine;
        failed += QTest::qExec(test.get(), runArgs);
    }
    return failed == 0 ? 0 : 1;
}
