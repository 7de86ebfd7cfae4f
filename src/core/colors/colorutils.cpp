#include "colors/colorutils.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "base/messages.h"

namespace korvel {

namespace {

// The values are those of the CSS colour keywords, except for three names the
// standard lacks (feldspar, lightslateblue, violetred) and two values that
// differ from it (mediumpurple, palevioletred): stylesheets written with this
// program have always been read against these values.
constexpr std::array<std::string_view, 169> kBuiltInColors = {
    "aliceblue=#F0F8FF",
    "antiquewhite=#FAEBD7",
    "aqua=#00FFFF",
    "aquamarine=#7FFFD4",
    "azure=#F0FFFF",
    "beige=#F5F5DC",
    "bisque=#FFE4C4",
    "black=#000000",
    "blanchedalmond=#FFEBCD",
    "blue=#0000FF",
    "blueviolet=#8A2BE2",
    "brown=#A52A2A",
    "burlywood=#DEB887",
    "cadetblue=#5F9EA0",
    "chartreuse=#7FFF00",
    "chocolate=#D2691E",
    "coral=#FF7F50",
    "cornflowerblue=#6495ED",
    "cornsilk=#FFF8DC",
    "crimson=#DC143C",
    "cyan=#00FFFF",
    "darkblue=#00008B",
    "darkcyan=#008B8B",
    "darkgoldenrod=#B8860B",
    "darkgray=#A9A9A9",
    "darkgreen=#006400",
    "darkkhaki=#BDB76B",
    "darkmagenta=#8B008B",
    "darkolivegreen=#556B2F",
    "darkorange=#FF8C00",
    "darkorchid=#9932CC",
    "darkred=#8B0000",
    "darksalmon=#E9967A",
    "darkseagreen=#8FBC8F",
    "darkslateblue=#483D8B",
    "darkslategray=#2F4F4F",
    "darkturquoise=#00CED1",
    "darkviolet=#9400D3",
    "deeppink=#FF1493",
    "deepskyblue=#00BFFF",
    "dimgray=#696969",
    "dodgerblue=#1E90FF",
    "feldspar=#D19275",
    "firebrick=#B22222",
    "floralwhite=#FFFAF0",
    "forestgreen=#228B22",
    "fuchsia=#FF00FF",
    "gainsboro=#DCDCDC",
    "ghostwhite=#F8F8FF",
    "gold=#FFD700",
    "goldenrod=#DAA520",
    "gray=#808080",
    "green=#008000",
    "greenyellow=#ADFF2F",
    "honeydew=#F0FFF0",
    "hotpink=#FF69B4",
    "indianred=#CD5C5C",
    "indigo=#4B0082",
    "ivory=#FFFFF0",
    "khaki=#F0E68C",
    "lavender=#E6E6FA",
    "lavenderblush=#FFF0F5",
    "lawngreen=#7CFC00",
    "lemonchiffon=#FFFACD",
    "lightblue=#ADD8E6",
    "lightcoral=#F08080",
    "lightcyan=#E0FFFF",
    "lightgoldenrodyellow=#FAFAD2",
    "lightgrey=#D3D3D3",
    "lightgreen=#90EE90",
    "lightpink=#FFB6C1",
    "lightsalmon=#FFA07A",
    "lightseagreen=#20B2AA",
    "lightskyblue=#87CEFA",
    "lightslateblue=#8470FF",
    "lightslategray=#778899",
    "lightsteelblue=#B0C4DE",
    "lightyellow=#FFFFE0",
    "lime=#00FF00",
    "limegreen=#32CD32",
    "linen=#FAF0E6",
    "magenta=#FF00FF",
    "maroon=#800000",
    "mediumaquamarine=#66CDAA",
    "mediumblue=#0000CD",
    "mediumorchid=#BA55D3",
    "mediumpurple=#9370D8",
    "mediumseagreen=#3CB371",
    "mediumslateblue=#7B68EE",
    "mediumspringgreen=#00FA9A",
    "mediumturquoise=#48D1CC",
    "mediumvioletred=#C71585",
    "midnightblue=#191970",
    "mintcream=#F5FFFA",
    "mistyrose=#FFE4E1",
    "moccasin=#FFE4B5",
    "navajowhite=#FFDEAD",
    "navy=#000080",
    "oldlace=#FDF5E6",
    "olive=#808000",
    "olivedrab=#6B8E23",
    "orange=#FFA500",
    "orangered=#FF4500",
    "orchid=#DA70D6",
    "palegoldenrod=#EEE8AA",
    "palegreen=#98FB98",
    "paleturquoise=#AFEEEE",
    "palevioletred=#D87093",
    "papayawhip=#FFEFD5",
    "peachpuff=#FFDAB9",
    "peru=#CD853F",
    "pink=#FFC0CB",
    "plum=#DDA0DD",
    "powderblue=#B0E0E6",
    "purple=#800080",
    "red=#FF0000",
    "rosybrown=#BC8F8F",
    "royalblue=#4169E1",
    "saddlebrown=#8B4513",
    "salmon=#FA8072",
    "sandybrown=#F4A460",
    "seagreen=#2E8B57",
    "seashell=#FFF5EE",
    "sienna=#A0522D",
    "silver=#C0C0C0",
    "skyblue=#87CEEB",
    "slateblue=#6A5ACD",
    "slategray=#708090",
    "snow=#FFFAFA",
    "springgreen=#00FF7F",
    "steelblue=#4682B4",
    "tan=#D2B48C",
    "teal=#008080",
    "thistle=#D8BFD8",
    "tomato=#FF6347",
    "turquoise=#40E0D0",
    "violet=#EE82EE",
    "violetred=#D02090",
    "wheat=#F5DEB3",
    "white=#FFFFFF",
    "whitesmoke=#F5F5F5",
    "yellow=#FFFF00",
    "yellowgreen=#9ACD32",
    // System colours, with fixed values.
    "activeborder=#D4D0C8",
    "activecaption=#0054E3",
    "appworkspace=#808080",
    "background=#004E98",
    "buttonface=#ECE9D8",
    "buttonhighlight=#FFFFFF",
    "buttontext=#000000",
    "captiontext=#FFFFFF",
    "graytext=#ACA899",
    "highlight=#316AC5",
    "highlighttext=#FFFFFF",
    "inactiveborder=#D4D0C8",
    "inactivecaption=#7A96DF",
    "infobackground=#FFFFE1",
    "infotext=#000000",
    "menu=#FFFFFF",
    "menutext=#000000",
    "scrollbar=#D4D0C8",
    "threeddarkshadow=#716F64",
    "threedface=#ECE9D8",
    "threedhighlight=#FFFFFF",
    "threedlightshadow=#F1EFE2",
    "threedshadow=#ACA899",
    "window=#FFFFFF",
    "windowframe=#000000",
    "windowtext=#000000",
};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view NameOf(std::string_view entry) { return entry.substr(0, entry.find('=')); }

std::string_view ValueOf(std::string_view entry) {
  const std::size_t equals = entry.find('=');
  return equals == std::string_view::npos ? std::string_view() : entry.substr(equals + 1);
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsHtmlText(std::string_view text) {
  if (text.size() != 7 || text[0] != '#') return false;
  for (char c : text.substr(1))
    if (HexDigitValue(c) < 0 || (c >= 'a' && c <= 'f')) return false;
  return true;
}

int Component(std::string_view digits, std::size_t first) {
  if (digits.size() >= first + 2) {
    const int high = HexDigitValue(digits[first]);
    const int low = HexDigitValue(digits[first + 1]);
    if (high >= 0 && low >= 0) return high * 16 + low;
  }
  throw std::invalid_argument("« " + std::string(digits) +
                              " » n'est pas une couleur de six chiffres hexadécimaux.");
}

std::string LowerAsciiCopy(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

}  // namespace

ColorTable::ColorTable() : entries_(kBuiltInColors.begin(), kBuiltInColors.end()) {
  for (std::size_t i = 0; i < entries_.size(); ++i) IndexEntry(i);
}

void ColorTable::IndexEntry(std::size_t index) {
  // A name already there keeps its first entry.
  firstOfName_.try_emplace(LowerAsciiCopy(NameOf(entries_[index])), index);
}

ColorTable& ColorTable::Shared() {
  static ColorTable table;
  return table;
}

std::string ColorTable::ColorNameFromValue(std::string_view value) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (ValueOf(entries_[i]) != value) continue;
    // The value that counts is that of the first entry of this name.
    const std::string_view name = NameOf(entries_[i]);
    if (ColorValueFromName(name) == value) return std::string(name);
  }
  return {};
}

std::string ColorTable::ColorValueFromName(std::string_view name) const {
  const auto found = firstOfName_.find(LowerAsciiCopy(name));
  return found == firstOfName_.end() ? std::string() : std::string(ValueOf(entries_[found->second]));
}

bool ColorTable::HasColorName(std::string_view name) const {
  return firstOfName_.find(LowerAsciiCopy(name)) != firstOfName_.end();
}

void ColorTable::AddCustomColor(const ColorListRefresh& refresh, std::string_view name, std::string_view value) {
  if (name.empty() || name.find('=') != std::string_view::npos)
    throw std::invalid_argument("« " + std::string(name) + " » ne peut pas nommer une couleur.");
  if (!IsHtmlText(value))
    throw std::invalid_argument("« " + std::string(value) + " » n'est pas une couleur #RRVVBB.");
  entries_.push_back(std::string(name) + "=" + std::string(value));
  IndexEntry(entries_.size() - 1);
  if (refresh) refresh(entries_);
}

bool ColorTable::ResolveColorText(const ColorListRefresh& refresh, std::string_view text, std::string& name,
                                  std::string& html) {
  if (!text.empty() && text.front() == '#') {
    std::string normalized = NormalizeHtmlColor(text);
    if (normalized.empty()) {
      ShowMessage(kBadColorFormatMessage);
      return false;
    }
    std::string found = ColorNameFromValue(normalized);
    if (found.empty()) {
      AddCustomColor(refresh, normalized, normalized);
      found = ColorNameFromValue(normalized);
    }
    html = std::move(normalized);
    name = std::move(found);
    return true;
  }
  if (!HasColorName(text)) return false;
  name = std::string(text);
  html = ColorValueFromName(text);
  return true;
}

std::string NormalizeHtmlColor(std::string_view text) {
  if (text.empty()) return {};
  std::string digits(text.substr(1));
  if (digits.size() == 3) digits = {digits[0], digits[0], digits[1], digits[1], digits[2], digits[2]};
  if (digits.size() != 6) return {};
  for (char& c : digits) {
    if (HexDigitValue(c) < 0) return {};
    c = UpperAscii(c);
  }
  return "#" + digits;
}

int ColorRed(std::string_view digits) { return Component(digits, 0); }
int ColorGreen(std::string_view digits) { return Component(digits, 2); }
int ColorBlue(std::string_view digits) { return Component(digits, 4); }

}  // namespace korvel
