// File lists as "text/uri-list" (one file URL a line, CR LF after each). A path is bytes
// in the system code page and must come back byte for byte, so every byte outside the
// unreserved characters is percent-encoded as it stands; nothing goes through a
// character-set conversion on the way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velkoran::dnd {

inline constexpr std::string_view kUriListFormat = "text/uri-list";

// "file://" followed by the percent-encoded path. Only absolute paths can be told as file
// URLs; anything else gives an empty text.
std::string FileUrlOf(std::string_view path);

// The URL list of the paths, in order; paths that are not absolute are left out.
std::string EncodeFileUriList(const std::vector<std::string>& paths);

// The local paths of a URL list, in order. Read are "file:///path", "file://localhost/path",
// "file://<this host>/path" and "file:/path" (scheme and host without regard to case);
// comment lines, empty lines, other schemes and files on other hosts are passed over, as
// is a URL whose path would hold a NUL byte. A query or fragment ends the path; escapes
// that are not two hexadecimal digits stand for themselves. Lines may end in CR LF or LF.
std::vector<std::string> DecodeFileUriList(std::string_view text, std::string_view localHostName);
// The same with this machine's host name.
std::vector<std::string> DecodeFileUriList(std::string_view text);

}  // namespace velkoran::dnd
