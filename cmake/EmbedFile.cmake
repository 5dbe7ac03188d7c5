# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
"// Generated from ${INPUT}; do not edit.
#include <cstddef>
#include <string_view>
namespace sg::resources {
namespace {
const unsigned char data[${size} + 1] = {
${bytes}0};
}
extern const std::string_view ${SYMBOL}(reinterpret_cast<const char*>(data), ${size});
}  // namespace sg::resources
")
