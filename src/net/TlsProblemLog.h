#pragma once
// A fetch that failed on TLS (a certificate that does not verify, a handshake that broke off),
// or because the proxy could not be reached, looks like any other connection failure in the
// records and reports; the reason goes to the run's log so that the user learns why.

#include <string>
#include <string_view>

namespace sg {

class Answer;

// "Could not connect securely to ADDRESS: REASON"; "Could not connect to the proxy HOST:PORT,
// so ADDRESS was not asked." when the proxy was the one that failed; empty when the
// answer's last attempt failed on neither.
std::string TlsProblemText(const Answer& answer, std::string_view address);

// That line to the run's progress log (the GUI's progress window, the CLI's stderr), when
// there is one.
void LogTlsProblem(const Answer& answer, std::string_view address);

}  // namespace sg
