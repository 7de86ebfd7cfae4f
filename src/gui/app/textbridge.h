#pragma once

// The one place where the stylesheet's bytes become Qt text and back.
//
// A stylesheet that is valid UTF-8 is read as UTF-8; any other is read as
// Windows-1252 (which includes Latin-1's letters). A value edited in the
// window goes back in the same encoding, so the bytes of every value that
// was not edited stay exactly as they were.

#include <QString>

#include <string>
#include <string_view>

#include "model/textencoding.h"

namespace korvel {

/// The bytes as Qt text. Every byte sequence gives some text.
QString ToQt(std::string_view bytes, TextEncoding encoding);

/// Qt text as bytes. A character Windows-1252 cannot hold becomes a CSS
/// escape ("\2713 "), which means the same character in a stylesheet.
std::string FromQt(const QString& text, TextEncoding encoding);

}  // namespace korvel
