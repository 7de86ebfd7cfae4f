#pragma once

// A character that continues a CSS name: "uurl(" is a function named
// "uurl", not a url, and "-url(" or "x_url(" neither.

namespace korvel {

constexpr bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace korvel
