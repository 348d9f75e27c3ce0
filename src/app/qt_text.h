// The one place where byte strings in the system code page meet Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velkoran::app {

QString ToQ(std::string_view text);
std::string FromQ(const QString& text);

}  // namespace velkoran::app
