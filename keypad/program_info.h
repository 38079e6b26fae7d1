#pragma once

#include <string_view>

// The maker's addresses, shown in the title, the About window and the Contact command.
namespace glyphward {
inline constexpr std::string_view kWebAddress = "glyphward.example";
inline constexpr std::string_view kSupportAddress = "support@glyphward.example";
} // namespace glyphward
