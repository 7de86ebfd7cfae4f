#include "app/textbridge.h"

#include <array>
#include <cstdio>

namespace korvel {

namespace {

// The characters Windows-1252 puts at 0x80 to 0x9F; 0 marks the five unused
// codes, read as the C1 control of the same number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

QString ToQt(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    const char16_t mapped = (c >= 0x80 && c < 0xA0 && kHighControls[c - 0x80] != 0) ? kHighControls[c - 0x80] : c;
    text.append(QChar(mapped));
  }
  return text;
}

std::string FromQt(const QString& text, TextEncoding encoding) {
  if (encoding == TextEncoding::Utf8) return text.toStdString();
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  const std::u32string codes = text.toStdU32String();
  for (char32_t code : codes) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      bytes += static_cast<char>(code);
      continue;
    }
    bool found = false;
    for (std::size_t k = 0; k < kHighControls.size(); ++k) {
      if ((kHighControls[k] != 0 && kHighControls[k] == code) || (kHighControls[k] == 0 && code == 0x80 + k)) {
        bytes += static_cast<char>(0x80 + k);
        found = true;
        break;
      }
    }
    if (!found) {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\%X ", static_cast<unsigned>(code));
      bytes += escape;
    }
  }
  return bytes;
}

}  // namespace korvel
