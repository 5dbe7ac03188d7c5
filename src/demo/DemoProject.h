#pragma once
// The demo project: the two demo sites and the demo keywords, saved as a profile in the working
// folder's Profiles folder so that it can be opened again like any other.

#include <string>

namespace sg {

class DemoSession;
class Project;

inline constexpr const char* kDemoProjectName = "Coffee Demo";

// The profile could not be written (a result of OpenDemoProject beside those of
// DemoSession::Start).
inline constexpr int kDemoProfileNotSaved = 2;

// Replaces the project's name, URLs and keywords with the demo's, for the sites `session`
// serves now (their ports change from one start to the next).
void FillDemoProject(Project& project, const DemoSession& session);

// App().paths.profilesDir + "/" + kDemoProjectName + ".swp".
std::string DemoProfilePath();

// Starts `session` when it is not running, fills `project` for it and saves it as the demo
// profile. kDemoStarted, kDemoNoPort (the project is left alone) or kDemoProfileNotSaved (the
// project is filled all the same).
int OpenDemoProject(Project& project, DemoSession& session);

}  // namespace sg
