// The toolkit's texts are UTF-8; the wide Win32 API takes UTF-16. Invalid UTF-8 becomes
// U+FFFD, unpaired surrogates likewise.
#pragma once

#include <string>
#include <string_view>

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);
