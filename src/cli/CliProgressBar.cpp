#include "cli/CliProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

#include "cli/TerminalText.h"

namespace sg {
namespace {

constexpr int kBarCells = 20;
// The bar, the percentage and their blanks.
constexpr std::size_t kBarColumns = kBarCells + 9;

std::size_t CaptionRoom() {
    winsize size{};
    const std::size_t columns =
        ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    return columns > kBarColumns + 13 ? columns - kBarColumns - 1 : 12;
}

}  // namespace

void CliProgressBar::SetCaption(const std::string& text) {
    model_.SetCaption(text);
    if (live_) {
        Draw();
    }
}

void CliProgressBar::SetPosition(int position) {
    const bool labelChanged = model_.SetPos(position);
    // Off a terminal every site gets its line, also when its share rounds to nothing.
    if (labelChanged || (live_ && !drawn_) || (!live_ && model_.Caption() != printedCaption_)) {
        Draw();
    }
}

void CliProgressBar::LogLine(const std::string& text) {
    if (live_ && drawn_) {
        out_ << "\r\x1b[K";
    }
    out_ << TerminalText(text) << '\n' << std::flush;
    if (live_ && drawn_) {
        Draw();
    }
}

void CliProgressBar::Draw() {
    std::string caption = TerminalText(model_.Caption());
    if (!live_) {
        out_ << caption << ' ' << model_.Label() << '\n' << std::flush;
        printedCaption_ = model_.Caption();
        return;
    }
    // A wrapped line could no longer be redrawn in place: a long caption keeps its end, which
    // names the site.
    const std::size_t room = CaptionRoom();
    if (caption.size() > room) {
        std::size_t cut = caption.size() - (room - 3);
        while (cut < caption.size() && (static_cast<unsigned char>(caption[cut]) & 0xC0) == 0x80) {
            ++cut;
        }
        caption = "..." + caption.substr(cut);
    }
    const int filled = model_.Pos() * kBarCells / ProgressModel::kUpper;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarCells - filled), '-');
    out_ << '\r' << caption << " [" << bar << "] " << model_.Label() << "\x1b[K" << std::flush;
    drawn_ = true;
}

void CliProgressBar::Finish() {
    if (live_ && drawn_) {
        out_ << '\n' << std::flush;
        drawn_ = false;
    }
}

}  // namespace sg
