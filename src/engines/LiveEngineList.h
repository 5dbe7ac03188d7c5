#pragma once
// The live engines a metasearch instance offers: the enabled engines of its general category,
// as its /config lists them, in its order.

#include <string>
#include <string_view>
#include <vector>

namespace sg {

// kLiveOk (LiveFetch.h) and the names of the engines that are enabled and in the "general"
// category; kLiveNotJson when the text is not JSON or has no "engines" list. Entries without
// a name are passed over.
int ParseLiveEngineList(std::string_view configJson, std::vector<std::string>& names);

// GET instance + "/config", then ParseLiveEngineList: a FetchLiveJson result, with `problem`
// holding the line for the user (LiveProblemText) when it is not kLiveOk.
int FetchLiveEngineList(const std::string& instance, std::vector<std::string>& names,
                        std::string& problem);

}  // namespace sg
