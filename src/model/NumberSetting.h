#pragma once
// One whole number the user sets for the whole process (connections per host, pages per site),
// kept in a file of its own as one decimal line. Any thread may read and set it.

#include <atomic>
#include <string>

namespace sg {

class NumberSetting {
  public:
    constexpr NumberSetting(int defaultValue, int maxValue)
        : default_(defaultValue), max_(maxValue), value_(defaultValue) {}
    NumberSetting(const NumberSetting&) = delete;
    NumberSetting& operator=(const NumberSetting&) = delete;

    // The value in force: the default until set.
    int Value() const { return value_.load(); }
    // Kept within 1..maxValue.
    void Set(int value);

    // The number in the file (1..maxValue), blanks around it allowed; 0 when the file is
    // missing or holds anything else.
    int Load(const std::string& path) const;
    // Written atomically, its folder made when missing; true when written.
    static bool Save(const std::string& path, int value);

    // The stored number (or the default) put in force, unless Override chose one: that choice
    // stays for the life of the object.
    void ApplyStored(const std::string& path);
    void Override(int value);

  private:
    const int default_;
    const int max_;
    std::atomic<int> value_;
    std::atomic<bool> overridden_{false};
};

}  // namespace sg
