#pragma once

// How the bytes of a stylesheet are read as text: a stylesheet that is valid
// UTF-8 is UTF-8; any other is Windows-1252 (which includes Latin-1's
// letters). The document keeps the encoding it found, so that a value edited
// goes back in it and every other byte stays as it was.

#include <string_view>

namespace korvel {

enum class TextEncoding { Utf8, Windows1252 };

/// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
/// codes beyond Unicode).
bool IsValidUtf8(std::string_view bytes);

/// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
TextEncoding DetectEncoding(std::string_view bytes);

}  // namespace korvel
