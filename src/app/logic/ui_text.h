// The window's own texts (messages, captions, questions) are written in the sources as
// UTF-8; the logic hands every text out in the system code page, so that they join file
// names byte for byte and the window converts all of them the same way.
#pragma once

#include <string>
#include <string_view>

namespace velkoran::app {

std::string UiText(std::string_view utf8);

}  // namespace velkoran::app
