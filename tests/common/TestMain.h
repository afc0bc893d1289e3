#pragma once
// Lets every test file of a subsystem register its QtTest classes; one main() runs them all.
#include <QObject>
#include <functional>
#include <vector>

namespace qstest {
using Factory = std::function<QObject*()>;
std::vector<Factory>& registry();
struct Registrar {
    explicit Registrar(Factory f) { registry().push_back(std::move(f)); }
};
}  // namespace qstest

#define QS_TEST_CLASS(Class)                                                                                           \
    static qstest::Registrar qs_registrar_##Class([] { return static_cast<QObject*>(new Class); });
