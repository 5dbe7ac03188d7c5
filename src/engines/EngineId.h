#pragma once
// The eleven search engines, in the one order every list, column and run uses.

#include <array>

namespace sg {

enum class EngineId : int {
    AltaVista = 0,
    Google = 1,
    AllTheWeb = 2,
    MSN = 3,
    HotBot = 4,
    Euroseek = 5,
    Yahoo = 6,
    Overture = 7,
    Excite = 8,
    AskJeeves = 9,
    AOL = 10,
};

inline constexpr int kEngineCount = 11;

inline constexpr int EngineIndex(EngineId id) {
    return static_cast<int>(id);
}

inline constexpr bool IsEngineIndex(int index) {
    return index >= 0 && index < kEngineCount;
}

// Every engine in order, for range-for loops.
inline constexpr std::array<EngineId, kEngineCount> kAllEngines = {
    EngineId::AltaVista, EngineId::Google,    EngineId::AllTheWeb, EngineId::MSN,
    EngineId::HotBot,    EngineId::Euroseek,  EngineId::Yahoo,     EngineId::Overture,
    EngineId::Excite,    EngineId::AskJeeves, EngineId::AOL,
};

}  // namespace sg
