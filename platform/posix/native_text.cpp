#include "platform/native_text.h"

namespace stellix {

// File names and stored strings are UTF-8 already.
std::string utf8FromNative(std::string_view text) { return std::string(text); }
std::string nativeFromUtf8(std::string_view text) { return std::string(text); }

}  // namespace stellix
