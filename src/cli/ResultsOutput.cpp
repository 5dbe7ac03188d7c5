#include "cli/ResultsOutput.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/ResultsCsv.h"
#include "app/ResultsJson.h"
#include "html/PageCharset.h"
#include "platform/FileSystem.h"

namespace sg {
namespace {

// Streams what `write` writes (true when it all went) into the file at `target`.
template <typename Write>
bool WriteFile(const std::string& target, Write write) {
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    const bool ok = write(file);
    file.close();
    return ok && file;
}

// Streams to stdout, or to a new file beside `path` that replaces it only once whole, so that a
// failed write leaves the old file as it was. A device or pipe (/dev/null, a FIFO) is written
// in place: it cannot be replaced.
template <typename Write>
bool WriteOne(CliContext& context, std::string_view command, const std::string& path, Write write) {
    if (path == "-") {
        write(context.out);
        context.out << std::flush;
        return true;
    }
    std::error_code error;
    bool ok = false;
    if (std::filesystem::is_other(std::filesystem::status(path, error))) {
        ok = WriteFile(path, write);
    } else {
        ok = WriteFileReplacing(path, write);
    }
    if (!ok) {
        CliError(context, std::string(command) + ": could not write " + path);
    }
    return ok;
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
        ok = WriteOne(context, command, output.json,
                      [&](std::ostream& out) {
                          return WriteResultsJson(out, results, kind, name) == kJsonWritten;
                      }) &&
             ok;
    }
    if (!output.csv.empty()) {
        // stdout may be a terminal, where a page's ESC or lone CR would act; a file keeps every
        // byte (CsvField quotes the line breaks that would break a record).
        const CsvControls controls =
            output.csv == "-" ? CsvControls::AsQuestionMarks : CsvControls::Kept;
        ok = WriteOne(context, command, output.csv,
                      [&](std::ostream& out) {
                          return WriteResultsCsv(out, results, kind, controls) == kCsvWritten;
                      }) &&
             ok;
    }
    return ok;
}

void PrintReportPath(CliContext& context, const ResultsOutput& output, const std::string& path) {
    (output.ToStdout() ? context.err : context.out) << path << '\n' << std::flush;
}

}  // namespace sg
