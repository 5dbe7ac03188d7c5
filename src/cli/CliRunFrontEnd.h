#pragma once

#include "app/AnalysisFrontEnd.h"
#include "cli/CliCommand.h"
#include "cli/CliProgressBar.h"

namespace sg {

// The terminal as the front end of an analysis run: messages become one error line, and the
// Cancel question is answered Yes, since the only way to ask for a cancel here is Ctrl-C.
class CliRunFrontEnd : public AnalysisFrontEnd {
  public:
    CliRunFrontEnd(CliContext& context, CliProgressBar& bar) : context_(context), bar_(bar) {}

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    // The command checks the project itself before it starts a run.
    void OpenProjectDialog() override {}
    bool ConfirmCancel(const std::string& /*question*/) override { return true; }
    void RunFinished(bool cancelled) override;

  private:
    CliContext& context_;
    CliProgressBar& bar_;
};

}  // namespace sg
