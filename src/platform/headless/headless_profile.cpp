#include "platform/headless/headless_profile.h"

#include <charconv>

namespace platform::headless {

std::optional<std::string> HeadlessProfile::Raw(std::string_view section,
                                                std::string_view entry) const {
    auto it = values_.find(Key{std::string(section), std::string(entry)});
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

int32_t HeadlessProfile::GetProfileInt(std::string_view section, std::string_view entry,
                                       int32_t defaultValue) const {
    const std::optional<std::string> text = Raw(section, entry);
    if (!text)
        return defaultValue;
    int64_t value = 0;
    const char* end = text->data() + text->size();
    auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc{} || ptr != end)
        return defaultValue;
    return static_cast<int32_t>(value);
}

std::string HeadlessProfile::GetProfileString(std::string_view section, std::string_view entry,
                                              std::string_view defaultValue) const {
    const std::optional<std::string> text = Raw(section, entry);
    return text ? *text : std::string(defaultValue);
}

bool HeadlessProfile::WriteProfileInt(std::string_view section, std::string_view entry,
                                      int32_t value) {
    return WriteProfileString(section, entry, std::to_string(value));
}

bool HeadlessProfile::WriteProfileString(std::string_view section, std::string_view entry,
                                         std::string_view value) {
    values_[Key{std::string(section), std::string(entry)}] = std::string(value);
    writes_.push_back(std::string(section) + "/" + std::string(entry) + "=" + std::string(value));
    return true;
}

} // namespace platform::headless
