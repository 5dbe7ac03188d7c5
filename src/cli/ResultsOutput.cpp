#include "cli/ResultsOutput.h"

#include <fstream>

#include "app/ResultsCsv.h"
#include "app/ResultsJson.h"
#include "html/PageCharset.h"

namespace sg {
namespace {

bool WriteOne(CliContext& context, std::string_view command, const std::string& path,
              const std::string& text) {
    if (path == "-") {
        context.out << text << std::flush;
        return true;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        CliError(context, std::string(command) + ": could not write " + path);
        return false;
    }
    return true;
}

}  // namespace

bool TakeResultsOption(CliArgs& args, ResultsOutput& output) {
    return args.TakeValue("--json", output.json) || args.TakeValue("--csv", output.csv);
}

bool WriteResultsOutput(CliContext& context, std::string_view command, const ResultsOutput& output,
                        const RunResults& results, ResultsKind kind, std::string_view projectName) {
    bool ok = true;
    if (!output.json.empty()) {
        // Profile names are typed by the user; the file is UTF-8 whatever they held.
        const std::string name = Utf8Text(projectName, PageCharset::Utf8);
        ok = WriteOne(context, command, output.json, ResultsJson(results, kind, name)) && ok;
    }
    if (!output.csv.empty()) {
        // stdout may be a terminal, where a page's ESC or lone CR would act; a file keeps every
        // byte (CsvField quotes the line breaks that would break a record).
        const CsvControls controls =
            output.csv == "-" ? CsvControls::AsQuestionMarks : CsvControls::Kept;
        ok = WriteOne(context, command, output.csv, ResultsCsv(results, kind, controls)) && ok;
    }
    return ok;
}

void PrintReportPath(CliContext& context, const ResultsOutput& output, const std::string& path) {
    (output.ToStdout() ? context.err : context.out) << path << '\n' << std::flush;
}

}  // namespace sg
