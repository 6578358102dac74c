#include "gui/base/Types.h"

namespace gui {

String FormatMessage(const String& templ, const String& arg) {
    auto pos = templ.find("%s");
    if (pos == String::npos) return templ;
    return templ.substr(0, pos) + arg + templ.substr(pos + 2);
}

}  // namespace gui
