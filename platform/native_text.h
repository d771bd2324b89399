// Texts between the two encodings the plug-in meets: the platform's narrow encoding, which
// its file functions and the per-user store's strings use (the ANSI code page on Windows,
// UTF-8 elsewhere), and the toolkit's UTF-8 (dialogs, labels, message boxes).
#pragma once

#include <string>
#include <string_view>

namespace stellix {

// Characters the target encoding cannot hold become the platform's replacement character.
std::string utf8FromNative(std::string_view text);
std::string nativeFromUtf8(std::string_view text);

}  // namespace stellix
