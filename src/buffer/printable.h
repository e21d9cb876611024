// File names as they may be shown in a message: to a terminal, in a message box, in a log.
#pragma once

#include <string>
#include <string_view>

// `name` with every byte that could drive a terminal or disguise the name shown as an escape:
// C0 controls, DEL, C1 controls (raw or UTF-8 encoded), bytes that are not valid UTF-8 and the
// bidirectional formatting characters become \xNN (\t, \n, \r, \e for the common ones, \u202E for
// code points), and a backslash becomes \\ so the result reads back unambiguously. Valid UTF-8
// text of other scripts is kept as it is.
std::string PrintableFileName(std::string_view name);
