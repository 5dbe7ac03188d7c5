#pragma once
// Charts in report pages are drawn by Chart.js (Debian's libjs-chart.js), compiled into the
// program and written into each page, so that a page opens offline and from any folder. A page
// that uses it also holds its figures as text (a table), so it reads without scripts too.

#include <string>
#include <string_view>

namespace sg {

// The library's version, as its banner gives it ("3.9.1").
std::string_view ChartLibraryVersion();
// One inline <script> element holding the whole library; it defines the global `Chart`.
std::string ChartLibraryScript();
// Text (JSON, a script) made safe to stand inside a <script> element: every "</" becomes
// "<\/", which reads the same in JSON strings and in JavaScript.
std::string ScriptElementText(std::string_view text);

}  // namespace sg
