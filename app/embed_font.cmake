# Writes a .cpp holding one Inter face as a byte array (run at build time: cmake -P).
# Inputs: FONT_FILE, FACE (Regular, Medium or SemiBold), OUTPUT.
file(READ "${FONT_FILE}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Break the one long line every 32 bytes so compilers and editors stay comfortable.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${FONT_FILE}; do not edit.
#include \"app/fonts.h\"

namespace tavrine {

namespace {
alignas(4) const unsigned char kInter${FACE}[${byte_count}] = {
${bytes}
};
} // namespace

std::span<const unsigned char> embedded_inter_${FACE}() { return kInter${FACE}; }

} // namespace tavrine
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
