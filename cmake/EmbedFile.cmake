# Script mode: writes OUTPUT, a C++ source holding the bytes of INPUT as SYMBOL and SYMBOL_size.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Line breaks every 32 bytes keep the generated file readable by tools.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){32})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT}; do not edit.\n"
  "extern const unsigned char ${SYMBOL}[];\nextern const unsigned long ${SYMBOL}_size;\n"
  "alignas(16) const unsigned char ${SYMBOL}[] = {\n${bytes}0};\n"
  "const unsigned long ${SYMBOL}_size = ${size}ul;\n")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
