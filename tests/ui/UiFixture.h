#pragma once
// A fresh working folder and proxy file location for one test, and an empty, unchanged project.

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
