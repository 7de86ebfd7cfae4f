#pragma once

// The installed font families, sorted by the generic family of CSS they
// belong to (serif, sans-serif, monospace, cursive, fantasy), for the font
// family picker.
//
// fontconfig lists the families and their files; FreeType reads the regular
// face of each family and its OS/2 table, whose PANOSE classification (and,
// when that is empty, its family class) says which generic family the face
// belongs to. Where the file says nothing, the generic family that
// fontconfig's own configuration assigns to the family decides. A family
// that still has none is listed nowhere.
//
// Listing reads a few hundred files: it is done once per run, and may run on
// any thread (it touches no Qt object and no shared state of its own).
// Failures: a file FreeType cannot open is passed over as if it said
// nothing; with no fontconfig configuration at all the catalogue is empty.

#include <array>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

/// The five generic families of CSS, in the order of the picker's tabs.
enum class GenericFamily { Serif, SansSerif, Monospace, Cursive, Fantasy };

inline constexpr std::array<GenericFamily, 5> kGenericFamilies = {
    GenericFamily::Serif, GenericFamily::SansSerif, GenericFamily::Monospace, GenericFamily::Cursive,
    GenericFamily::Fantasy};

/// The CSS keyword: "serif", "sans-serif", "monospace", "cursive", "fantasy".
[[nodiscard]] std::string_view GenericFamilyKeyword(GenericFamily family);

/// The generic family named by a CSS keyword, ignoring letter case.
[[nodiscard]] std::optional<GenericFamily> GenericFamilyFromKeyword(std::string_view keyword);

/// What a font file's OS/2 table says about the face's design.
struct FontFileFacts {
  /// The ten PANOSE bytes: [0] family kind, [1] serif style, [3] proportion.
  std::array<std::uint8_t, 10> panose{};
  /// sFamilyClass: class in the high byte, subclass in the low byte.
  std::int16_t familyClass = 0;
};

/// The generic family the file's facts give, or nothing when they say
/// nothing. The PANOSE family kind decides first: Latin text (2) is
/// monospace when its proportion is monospaced (9), sans-serif when its
/// serif style is one of the sans styles (11 to 13), serif otherwise;
/// hand-written (3) is cursive; decorative (4) and symbol (5) are fantasy.
/// A PANOSE that names no kind leaves the choice to the family class: the
/// serif classes (1 to 5, 7) give serif, 8 sans-serif, 10 cursive, the
/// ornamental and symbolic classes (9, 12) fantasy.
[[nodiscard]] std::optional<GenericFamily> GenericFamilyFromFacts(const FontFileFacts& facts);

/// The generic family that fontconfig's configuration gives a family name
/// (its rules that file families under generic names), or nothing when no
/// rule names the family: a catch-all rule that files every unknown family
/// under one generic name does not count.
[[nodiscard]] std::optional<GenericFamily> ConfiguredGenericFamily(const std::string& family);

/// Installed family names by generic family, each list sorted ignoring
/// letter case and holding each family once.
struct FontCatalog {
  std::array<std::vector<std::string>, kGenericFamilies.size()> families;

  [[nodiscard]] const std::vector<std::string>& Of(GenericFamily family) const {
    return families[static_cast<std::size_t>(family)];
  }
  [[nodiscard]] std::vector<std::string>& Of(GenericFamily family) {
    return families[static_cast<std::size_t>(family)];
  }
};

/// Lists the families of fontconfig's current configuration (the one the
/// environment's FONTCONFIG_FILE names, or the system's).
[[nodiscard]] FontCatalog ListInstalledFontFamilies();

/// Starts ListInstalledFontFamilies on a thread of its own, so that the
/// window can show itself meanwhile and take the result when the picker
/// first needs it.
[[nodiscard]] std::shared_future<FontCatalog> StartListingInstalledFontFamilies();

}  // namespace korvel
