#include "XQKit/StringSize.h"

#include <limits>

#include "platform/appkit/Text.h"

platform::Size sizeWith(const std::string& text, double maxWidth, const platform::FontPtr& font) {
    return platform::boundingRect(text, font, {maxWidth, std::numeric_limits<double>::max()}).size;
}
