#pragma once
// A fresh working folder and proxy file location for one test, an empty, unchanged project and
// the default connections setting.

#include <string>

#include "support/TempDir.h"

namespace sg::test {

class UiFixture {
  public:
    UiFixture();
    ~UiFixture();

    std::string Path(const std::string& name) const { return dir_ / name; }

  private:
    TempDir dir_;
    ScopedEnv config_;
};

}  // namespace sg::test
