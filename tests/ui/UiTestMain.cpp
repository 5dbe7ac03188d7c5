// Runs the QtTest classes: `sitegauge_ui_tests CLASS [QtTest options]`, or all without a name.

#include <QApplication>
#include <QTest>
#include <cstring>
#include <vector>

#include "ui/UiTestRegistry.h"

namespace sg::test {

std::vector<UiTestClass>& UiTestClasses() {
    static std::vector<UiTestClass> classes;
    return classes;
}

}  // namespace sg::test

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    // QtTest sees the program name and the options after the class name.
    std::vector<char*> args{argv[0]};
    for (int i = only != nullptr ? 2 : 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    int failures = 0;
    bool found = false;
    for (const auto& testClass : sg::test::UiTestClasses()) {
        if (only != nullptr && testClass.name != only) {
            continue;
        }
        found = true;
        auto object = testClass.make();
        failures += QTest::qExec(object.get(), static_cast<int>(args.size()), args.data());
    }
    if (!found) {
        qWarning("no test class named %s", only != nullptr ? only : "(any)");
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
