#pragma once
// The --json FILE and --csv FILE options of the analysis commands: the run's results written
// beside its report, "-" meaning stdout.

#include <string>
#include <string_view>

#include "app/ResultsKind.h"
#include "cli/CliArgs.h"
#include "cli/CliCommand.h"
#include "model/RunResults.h"

namespace sg {

struct ResultsOutput {
    std::string json;
    std::string csv;

    // True when a results file goes to stdout, which the report's path line then leaves for
    // stderr.
    bool ToStdout() const { return json == "-" || csv == "-"; }
};

// Takes --json FILE or --csv FILE at the current argument; false when it is neither.
bool TakeResultsOption(CliArgs& args, ResultsOutput& output);

// Writes the requested files (JSON first when both go to stdout). Prints what failed and
// answers false when a file could not be written.
bool WriteResultsOutput(CliContext& context, std::string_view command, const ResultsOutput& output,
                        const RunResults& results, ResultsKind kind, std::string_view projectName);

// The report's path line: on stdout, or on stderr when stdout carries results.
void PrintReportPath(CliContext& context, const ResultsOutput& output, const std::string& path);

}  // namespace sg
