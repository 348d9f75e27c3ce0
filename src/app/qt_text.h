// The one place where byte strings in the system code page meet Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velkoran::app {

QString ToQ(std::string_view text);
std::string FromQ(const QString& text);

// One of the window's own texts (written in UTF-8) in the user interface's language; the
// translation catalogue collects the texts Tr wraps.
QString Tr(const char* utf8);

}  // namespace velkoran::app
