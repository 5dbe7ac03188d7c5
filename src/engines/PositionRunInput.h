#pragma once
// The input of a Position Analyzer run: what it reads from the site position dialog (or a
// stand-in) and tells it, as the run sees it. The GUI's dialog implements it (taking its
// answers on its window thread, so that "Edit Project" never changes a list while the run reads
// it); FixedPositionRunInput serves the terminal and the tests.

#include <string>
#include <vector>

#include "engines/EngineId.h"

namespace sg {

class PositionRunInput {
  public:
    virtual ~PositionRunInput() = default;

    // The "Search to Position :" choice: 100..900, 1000, 5000, or 0 for no limit. Read once,
    // when the run starts.
    virtual int Depth() = 0;
    // A copy of the project's name, read once when the run starts, for the report's file name.
    virtual std::string ProjectName() = 0;
    // A copy of the project's keyword at `index`; false when the project has no such keyword.
    // Asked again for every keyword, so keywords added meanwhile are searched too.
    virtual bool KeywordAt(int index, std::string& keyword) = 0;
    // A copy of the "Web sites" list in list order, read at the start of each keyword.
    virtual std::vector<std::string> Sites() = 0;
    // The engine's check box, read just before the engine is searched and again when the
    // keyword's table is written.
    virtual bool EngineChecked(EngineId engine) = 0;
    // The live engines of the metasearch instance to search after the designed ones, by the
    // names the instance gives them, in column order. Read once, when the run starts; none
    // unless a front end offers them.
    virtual std::vector<std::string> LiveEngines() { return {}; }
    // The run has ended in any way: "Search" and "Close" enabled, the dialog brought to the
    // foreground.
    virtual void RunEnded() = 0;
};

}  // namespace sg
