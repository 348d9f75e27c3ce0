// The window's own texts (messages, captions, questions) are written in the sources as
// UTF-8; the logic hands every text out in the system code page, so that they join file
// names byte for byte and the window converts all of them the same way.
#pragma once

#include <string>
#include <string_view>

namespace velkoran::app {

// A text of the program (the translation catalogue collects the texts UiText wraps) in the
// user interface's language, in the system code page.
std::string UiText(std::string_view utf8);
// A UTF-8 text that is no text of the program (an application's name) in the system code
// page, as it is.
std::string LocalText(std::string_view utf8);

// What a list item, a tab or a log line shows of a text: the whole text up to 4 KiB, else
// its first 4 KiB (ending on a whole character) and "…". Laying out a line of megabytes
// takes the window seconds; the text itself is kept whole where it is stored.
inline constexpr std::size_t kShownTextLimit = 4096;
std::string ShownText(std::string_view text);

}  // namespace velkoran::app
