#pragma once
// A page asked over https that a redirect sent on to a plain http address is still analysed
// (sites do move back), but it came unencrypted, where anyone on the way could read or change
// it: the run's log says so, once for each site.

#include <string>
#include <string_view>

namespace sg {

class Answer;

// While one lives on a thread, the downgrades that thread's walk meets are logged once: one is
// made for each site's walk (its crawl, its readiness pages). One made while another lives on
// the thread joins it, so a site's crawl inside its readiness report still says it once.
class HttpsDowngradeNotes {
  public:
    HttpsDowngradeNotes();
    ~HttpsDowngradeNotes();
    HttpsDowngradeNotes(const HttpsDowngradeNotes&) = delete;
    HttpsDowngradeNotes& operator=(const HttpsDowngradeNotes&) = delete;

  private:
    friend void LogHttpsDowngrade(const Answer& answer, std::string_view address);

    HttpsDowngradeNotes* previous_;
    bool said_ = false;
};

// "ADDRESS was redirected to plain http (http://...): the page was read unencrypted." for the
// first redirect of the answer's last attempt that left https; empty when none did. `address`
// is the address asked.
std::string HttpsDowngradeText(const Answer& answer, std::string_view address);

// That line to the run's log (LogProgressLine): once while an HttpsDowngradeNotes lives on this
// thread, every time without one.
void LogHttpsDowngrade(const Answer& answer, std::string_view address);

}  // namespace sg
