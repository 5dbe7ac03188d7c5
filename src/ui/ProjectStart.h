#pragma once
// Where a project comes from besides typing it: the demo, and the profile the user saved or
// opened last, which the program opens again at its next start.

class QWidget;

namespace sg {

class UserPrompts;

// OpenDemoProject for the process's shared demo session (started when not running), with the
// wait cursor. On kDemoStarted and kDemoProfileNotSaved the project is the demo's and counts as
// unchanged; on kDemoStarted its profile is the one reopened at the next start.
int LoadDemoProject();
// LoadDemoProject, and a warning to the user when the demo sites could not be started
// (kDemoNoPort, kDemoNoCertificate): its result.
int LoadDemoProjectOrWarn(UserPrompts& prompts, QWidget* parent);

// Results of ReopenLastProfile.
inline constexpr int kProfileReopened = 0;
// No profile is remembered.
inline constexpr int kNoProfileToReopen = 1;
// The remembered profile is gone or unreadable (or the demo would not start): the project is
// left empty and unchanged.
inline constexpr int kProfileNotReopened = 2;

// At start: loads the remembered profile into the (empty) project, which then counts as
// unchanged. The demo's profile names ports of an earlier session, so it is reopened by
// starting the demo again.
int ReopenLastProfile();

}  // namespace sg
