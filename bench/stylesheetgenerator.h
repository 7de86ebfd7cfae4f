#pragma once

// A made-up stylesheet of any size, shaped like the ones people write: a
// licence header, section comments, rules of three to eight declarations
// with varied selectors (lists over several lines, descendants, pseudo-
// classes, attributes), values with strings, url(...) and functions, some
// switched-off declarations, selectors that come back later, and at-rules
// (@media with rules inside, @font-face, @keyframes, @supports, @import).
//
// The same size and seed always give the same bytes: the generator has its
// own random numbers, not the standard library's, whose sequences may differ
// between versions.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::bench {

enum class ValueKind { Colour, Length, Box, Number, Keyword };

// A property and the kind of value it takes, so that values look real.
struct Property {
  std::string_view name;
  ValueKind kind;
  std::array<std::string_view, 3> keywords{};
};

class StylesheetGenerator final {
 public:
  explicit StylesheetGenerator(std::uint64_t seed = 1) : state_(seed) {}

  /// At least `bytes` bytes of CSS, ending after a whole statement.
  std::string Generate(std::size_t bytes) {
    std::string css;
    css.reserve(bytes + 4096);
    css +=
        "/*!\n * Generated theme v1.0.0\n * Copyright 2024 The Authors\n"
        " * Licensed under MIT (https://example.org/LICENSE)\n */\n";
    css += "@charset \"UTF-8\";\n@import url(\"fonts.css\") screen;\n";
    while (css.size() < bytes) Statement(css);
    return css;
  }

 private:
  // splitmix64
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
  bool Chance(std::size_t percent) { return Below(100) < percent; }
  template <std::size_t N>
  std::string_view Pick(const std::array<std::string_view, N>& list) {
    return list[Below(N)];
  }
  void Number(std::string& out, std::size_t below) { out += std::to_string(Below(below)); }

  void Statement(std::string& css) {
    const std::size_t roll = Below(1000);
    if (roll < 15) {
      css += "\n/* ==========================================================\n   Section ";
      Number(css, 100);
      css += ": ";
      css += Pick(kWords);
      css += "\n   ========================================================== */\n";
    } else if (roll < 45) {
      Media(css);
    } else if (roll < 50) {
      FontFace(css);
    } else if (roll < 58) {
      Keyframes(css);
    } else if (roll < 62) {
      css += "@supports (display: grid) {\n";
      Rule(css, "  ");
      css += "}\n";
    } else {
      Rule(css, "");
    }
  }

  void Rule(std::string& css, std::string_view indent) {
    if (Chance(6)) {
      css.append(indent).append("/* ");
      css += Pick(kWords);
      css += " ";
      css += Pick(kWords);
      css += " */\n";
    }
    css.append(indent);
    Selector(css, indent);
    const bool compact = Chance(15);
    css += compact ? " { " : " {\n";
    const std::size_t count = 3 + Below(6);
    for (std::size_t i = 0; i < count; ++i) {
      if (!compact) css.append(indent).append("  ");
      const bool off = Chance(3);
      if (off) css += "/* ";
      Declaration(css);
      css += off ? "; */" : ";";
      css += compact ? " " : "\n";
    }
    css.append(compact ? "" : indent).append("}\n");
    if (!compact && Chance(40)) css += "\n";
  }

  void Selector(std::string& css, std::string_view indent) {
    // Some selectors come back later, as in stylesheets that were added to
    // over the years.
    if (!previous_.empty() && Chance(8)) {
      css += previous_[Below(previous_.size())];
      return;
    }
    std::string selector;
    const std::size_t parts = Chance(20) ? 2 + Below(3) : 1;
    for (std::size_t i = 0; i < parts; ++i) {
      if (i > 0) {
        selector += ",\n";
        selector += indent;
      }
      Compound(selector);
      if (Chance(40)) {
        selector += Chance(70) ? " " : " > ";
        Compound(selector);
      }
    }
    if (previous_.size() < 4096) {
      previous_.push_back(selector);
    } else {
      previous_[Below(previous_.size())] = selector;
    }
    css += selector;
  }

  void Compound(std::string& out) {
    switch (Below(6)) {
      case 0: out += Pick(kElements); break;
      case 1:
        out += '#';
        out += Pick(kWords);
        out += '-';
        Number(out, 100000);
        break;
      default:
        out += '.';
        out += Pick(kWords);
        out += '-';
        out += Pick(kWords);
        if (Chance(70)) {
          out += '-';
          Number(out, 100000);
        }
        break;
    }
    if (Chance(15)) out += Pick(kPseudo);
    if (Chance(4)) {
      out += "[type=\"";
      out += Pick(kWords);
      out += "\"]";
    }
  }

  void Declaration(std::string& css) {
    const std::size_t roll = Below(100);
    if (roll < 4) {
      css += "background-image: url(\"../img/";
      css += Pick(kWords);
      css += ".png\")";
    } else if (roll < 6) {
      css += "background: url(data:image/svg+xml;base64,PHN2ZyB4bWxucz0iaHR0cDovL3d3dy53My5vcmcvMjAwMC9zdmci";
      Number(css, 1000);
      css += ") no-repeat";
    } else if (roll < 10) {
      css += "font-family: \"Helvetica Neue\", Arial, \"Noto Sans\", sans-serif";
    } else if (roll < 14) {
      css += "--bs-";
      css += Pick(kWords);
      css += "-color: #";
      Hex(css);
    } else if (roll < 18) {
      css += "transition: color .15s ease-in-out, background-color .15s ease-in-out, box-shadow .15s";
    } else if (roll < 22) {
      css += "box-shadow: 0 0 0 0.25rem rgba(";
      Number(css, 256);
      css += ", ";
      Number(css, 256);
      css += ", ";
      Number(css, 256);
      css += ", 0.5)";
    } else if (roll < 26) {
      css += "width: calc(100% - var(--gutter-";
      Number(css, 10);
      css += ", 1.5rem))";
    } else {
      const Property& property = kProperties[Below(kProperties.size())];
      css += property.name;
      css += ": ";
      switch (property.kind) {
        case ValueKind::Colour:
          css += '#';
          Hex(css);
          break;
        case ValueKind::Length:
          Number(css, 100);
          css += Pick(kUnits);
          break;
        case ValueKind::Box:
          Number(css, 40);
          css += "px ";
          Number(css, 40);
          css += "px";
          break;
        case ValueKind::Number: Number(css, 1000); break;
        case ValueKind::Keyword: css += property.keywords[Below(property.keywords.size())]; break;
      }
      if (Chance(5)) css += " !important";
    }
  }

  void Hex(std::string& out) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    for (int i = 0; i < 6; ++i) out += kDigits[Below(16)];
  }

  void Media(std::string& css) {
    css += "@media ";
    css += Pick(kMedia);
    css += " {\n";
    const std::size_t rules = 1 + Below(4);
    for (std::size_t i = 0; i < rules; ++i) Rule(css, "  ");
    css += "}\n\n";
  }

  void FontFace(std::string& css) {
    css += "@font-face {\n  font-family: \"";
    css += Pick(kWords);
    css += " Sans\";\n  src: url(\"../fonts/";
    css += Pick(kWords);
    css += ".woff2\") format(\"woff2\"), url(\"../fonts/x.woff\") format(\"woff\");\n"
           "  font-weight: 400;\n  font-display: swap;\n}\n";
  }

  void Keyframes(std::string& css) {
    css += Chance(50) ? "@-webkit-keyframes " : "@keyframes ";
    css += Pick(kWords);
    Number(css, 1000);
    css += " {\n  from { opacity: 0; transform: translate3d(0, -100%, 0); }\n"
           "  50% { opacity: .5; }\n  to { opacity: 1; transform: none; }\n}\n";
  }

  static constexpr std::array<std::string_view, 24> kWords = {
      "btn",   "card",   "nav",    "navbar", "modal",  "alert", "badge",   "table", "form",     "input", "list",  "item",
      "header", "footer", "hero",  "title",  "active", "muted", "primary", "dark",  "sidebar", "grid",  "col",   "toast"};
  static constexpr std::array<std::string_view, 12> kElements = {"a",     "p",  "ul li", "h1",   "h2",     "table td",
                                                                 "input", "button", "img",  "small", "section", "nav"};
  static constexpr std::array<std::string_view, 8> kPseudo = {":hover", ":focus",        ":active",       "::before",
                                                              "::after", ":first-child", ":not(.disabled)", ":focus-visible"};
  static constexpr std::array<Property, 20> kProperties = {{
      {"color", ValueKind::Colour},
      {"background-color", ValueKind::Colour},
      {"border-color", ValueKind::Colour},
      {"margin", ValueKind::Box},
      {"padding", ValueKind::Box},
      {"border-radius", ValueKind::Length},
      {"font-size", ValueKind::Length},
      {"line-height", ValueKind::Length},
      {"margin-top", ValueKind::Length},
      {"padding-left", ValueKind::Length},
      {"top", ValueKind::Length},
      {"z-index", ValueKind::Number},
      {"font-weight", ValueKind::Number},
      {"display", ValueKind::Keyword, {"block", "inline-block", "flex"}},
      {"text-align", ValueKind::Keyword, {"left", "center", "right"}},
      {"position", ValueKind::Keyword, {"relative", "absolute", "sticky"}},
      {"cursor", ValueKind::Keyword, {"pointer", "default", "not-allowed"}},
      {"white-space", ValueKind::Keyword, {"nowrap", "normal", "pre-wrap"}},
      {"overflow", ValueKind::Keyword, {"hidden", "auto", "visible"}},
      {"border", ValueKind::Keyword, {"1px solid #dee2e6", "0", "1px dashed rgba(0, 0, 0, .125)"}},
  }};
  static constexpr std::array<std::string_view, 6> kUnits = {"px", "rem", "em", "%", "vh", ""};
  static constexpr std::array<std::string_view, 5> kMedia = {
      "(min-width: 576px)", "(min-width: 768px)", "(max-width: 991.98px)", "print", "(prefers-reduced-motion: reduce)"};

  std::uint64_t state_;
  std::vector<std::string> previous_;
};

}  // namespace korvel::bench
