#pragma once
// A JSON document written piece by piece with the bytes nlohmann's dump(2) gives for the whole:
// the containers that hold many items are opened and closed here, each small value is dumped on
// its own and indented to its place. Memory stays that of the largest single value.
//
// Text that is not valid UTF-8 has its bad bytes replaced (U+FFFD); DEL and the C1 controls are
// written as \u escapes, as the dump writes the C0 ones, so the text holds no control character.

#include <ostream>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace sg {

class JsonPieces {
  public:
    explicit JsonPieces(std::ostream& out) : out_(out) {}

    // Opens a container at the current place: the document, a member after Key or an item
    // after Item.
    void OpenObject() { Open('}'); }
    void OpenArray() { Open(']'); }
    // Starts the next member of the open object. `name` is written as it is: plain ASCII
    // without characters to escape.
    void Key(std::string_view name);
    // Starts the next item of the open array.
    void Item();
    // A value dumped whole at the current place.
    void Value(const nlohmann::ordered_json& value);
    // Key and Value, Item and Value.
    void Member(std::string_view name, const nlohmann::ordered_json& value) {
        Key(name);
        Value(value);
    }
    void Element(const nlohmann::ordered_json& value) {
        Item();
        Value(value);
    }
    // Closes the innermost open container ("[]" or "{}" when it got nothing).
    void Close();

  private:
    struct Level {
        char closer;
        bool filled;
    };
    void Open(char closer);
    void Next();
    void Indent();

    std::ostream& out_;
    // The open containers, outermost first: as many as the document nests.
    std::vector<Level> open_;
};

}  // namespace sg
