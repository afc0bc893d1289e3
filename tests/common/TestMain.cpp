#include "TestMain.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <memory>

std::vector<qstest::Factory>& qstest::registry()
{
    static std::vector<Factory> factories;
    return factories;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillstash"));
    QStandardPaths::setTestModeEnabled(true);
    int failed = 0;
    for (const auto& make : qstest::registry()) {
        std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
