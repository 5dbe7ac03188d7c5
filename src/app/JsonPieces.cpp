#include "app/JsonPieces.h"

#include <string>

namespace sg {

void JsonPieces::Open(char closer) {
    out_.put(closer == '}' ? '{' : '[');
    open_.push_back({closer, false});
}

void JsonPieces::Indent() {
    for (std::size_t i = 0; i < open_.size(); ++i) {
        out_.write("  ", 2);
    }
}

void JsonPieces::Next() {
    out_.write(open_.back().filled ? ",\n" : "\n", open_.back().filled ? 2 : 1);
    open_.back().filled = true;
    Indent();
}

void JsonPieces::Key(std::string_view name) {
    Next();
    out_.put('"');
    out_.write(name.data(), static_cast<std::streamsize>(name.size()));
    out_.write("\": ", 3);
}

void JsonPieces::Item() {
    Next();
}

void JsonPieces::Close() {
    const Level top = open_.back();
    open_.pop_back();
    if (top.filled) {
        out_.put('\n');
        Indent();
    }
    out_.put(top.closer);
}

// Copies the dump in runs between the bytes that need more: a line end gets the indentation of
// the current place, DEL and the C1 controls (C2 80..C2 9F; these bytes stand only inside
// strings, and C2 only leads a character) become \u escapes.
void JsonPieces::Value(const nlohmann::ordered_json& value) {
    static constexpr char kHex[] = "0123456789abcdef";
    const std::string dumped = value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    const std::string_view text(dumped);
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 =
            c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (c != '\n' && c != 0x7F && !c1) {
            continue;
        }
        out_.write(text.data() + run, static_cast<std::streamsize>(i - run));
        if (c == '\n') {
            out_.put('\n');
            Indent();
        } else {
            const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : c;
            const char escape[] = {'\\', 'u', '0', '0', kHex[code >> 4], kHex[code & 0x0F]};
            out_.write(escape, sizeof escape);
        }
        run = i + 1;
    }
    out_.write(text.data() + run, static_cast<std::streamsize>(text.size() - run));
}

}  // namespace sg
