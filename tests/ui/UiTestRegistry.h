#pragma once
// The QtTest classes of this executable. Each registers itself; main runs one by name or all.

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sg::test {

struct UiTestClass {
    std::string name;
    std::function<std::unique_ptr<QObject>()> make;
};

std::vector<UiTestClass>& UiTestClasses();

struct UiTestRegistrar {
    UiTestRegistrar(const char* name, std::function<std::unique_ptr<QObject>()> make) {
        UiTestClasses().push_back({name, std::move(make)});
    }
};

}  // namespace sg::test

#define SG_REGISTER_UI_TEST(Class)                             \
    static const ::sg::test::UiTestRegistrar Class##Registrar( \
        #Class, [] { return std::unique_ptr<QObject>(new Class); })
