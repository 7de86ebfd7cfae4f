#include "editors/fontcatalog.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

namespace korvel {

namespace {

constexpr std::array<std::string_view, kGenericFamilies.size()> kKeywords = {"serif", "sans-serif", "monospace",
                                                                             "cursive", "fantasy"};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = LowerAscii(c);
  return lowered;
}

// PANOSE family kinds and the values of the bytes read after them.
constexpr std::uint8_t kPanoseLatinText = 2;
constexpr std::uint8_t kPanoseHandWritten = 3;
constexpr std::uint8_t kPanoseDecorative = 4;
constexpr std::uint8_t kPanoseSymbol = 5;
constexpr std::uint8_t kPanoseMonospaced = 9;
constexpr std::uint8_t kPanoseFirstSansStyle = 11;
constexpr std::uint8_t kPanoseLastSansStyle = 13;

std::optional<GenericFamily> FromFamilyClass(std::int16_t familyClass) {
  switch ((familyClass >> 8) & 0xFF) {
    case 1:  // oldstyle serifs
    case 2:  // transitional serifs
    case 3:  // modern serifs
    case 4:  // clarendon serifs
    case 5:  // slab serifs
    case 7:  // freeform serifs
      return GenericFamily::Serif;
    case 8:
      return GenericFamily::SansSerif;
    case 9:   // ornamentals
    case 12:  // symbolic
      return GenericFamily::Fantasy;
    case 10:
      return GenericFamily::Cursive;
    default:
      return std::nullopt;
  }
}

struct FreeTypeLibrary {
  FT_Library library = nullptr;
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~FreeTypeLibrary() {
    if (library) FT_Done_FreeType(library);
  }
  FreeTypeLibrary(const FreeTypeLibrary&) = delete;
  FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
};

// The OS/2 facts of one face, or nothing when the file cannot be read or has
// no OS/2 table (Type 1 fonts, bitmap fonts).
std::optional<FontFileFacts> ReadFacts(FT_Library library, const char* file, int index) {
  if (!library) return std::nullopt;
  FT_Face face = nullptr;
  if (FT_New_Face(library, file, index, &face) != 0) return std::nullopt;
  std::optional<FontFileFacts> facts;
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      os2 && os2->version != 0xFFFF) {
    facts.emplace();
    std::copy(std::begin(os2->panose), std::end(os2->panose), facts->panose.begin());
    facts->familyClass = os2->sFamilyClass;
  }
  FT_Done_Face(face);
  return facts;
}

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct ObjectSetDeleter {
  void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
struct ConfigReleaser {
  void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};

// The family list fontconfig makes of a request for one family: the family,
// what the configuration prefers, accepts or adds by default after it.
std::vector<std::string> SubstitutedFamilies(FcConfig* config, const std::string& family) {
  std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  std::vector<std::string> families;
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(pattern.get(), FC_FAMILY, i, &value) == FcResultMatch; ++i)
    families.emplace_back(reinterpret_cast<const char*>(value));
  return families;
}

std::optional<GenericFamily> FirstGenericIn(const std::vector<std::string>& families) {
  for (const std::string& family : families)
    if (std::optional<GenericFamily> generic = GenericFamilyFromKeyword(family)) return generic;
  return std::nullopt;
}

// The generic family that fontconfig's configuration gives a family name.
// Configurations commonly hold a catch-all rule that adds one generic name
// (sans-serif) to every family still without one, and it may run before the
// rules that file a family under another (Z003 under cursive). So another
// generic name, wherever it stands, wins over the catch-all's; and the
// catch-all's own only counts when some rule names the family itself, which
// shows as a substitution different from that of a name no rule knows.
class ConfigGenerics {
 public:
  explicit ConfigGenerics(FcConfig* config)
      : config_(config), unknown_(Tail(SubstitutedFamilies(config, "\x01unknown family"))) {
    catchAll_ = FirstGenericIn(unknown_);
  }

  std::optional<GenericFamily> Of(const std::string& family) const {
    const std::vector<std::string> substituted = Tail(SubstitutedFamilies(config_, family));
    bool catchAllNamed = false;
    for (const std::string& name : substituted) {
      const std::optional<GenericFamily> generic = GenericFamilyFromKeyword(name);
      if (!generic) continue;
      if (generic != catchAll_) return generic;
      catchAllNamed = true;
    }
    if (catchAllNamed && substituted != unknown_) return catchAll_;
    return std::nullopt;
  }

 private:
  static std::vector<std::string> Tail(std::vector<std::string> families) {
    if (!families.empty()) families.erase(families.begin());
    return families;
  }

  FcConfig* config_;
  std::vector<std::string> unknown_;
  std::optional<GenericFamily> catchAll_;
};

struct Face {
  std::string file;
  int index = 0;
  int score = 0;
};

// Whether the face is in a format that has an OS/2 table (TrueType and
// OpenType); Type 1 and bitmap faces have none and are slow to open.
bool HasOs2Format(FcPattern* pattern) {
  FcChar8* format = nullptr;
  if (FcPatternGetString(pattern, FC_FONTFORMAT, 0, &format) != FcResultMatch) return false;
  const std::string_view name(reinterpret_cast<const char*>(format));
  return name == "TrueType" || name == "CFF";
}

// How far a face is from the family's regular face; lower is nearer.
int RegularFaceScore(FcPattern* pattern) {
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  int width = FC_WIDTH_NORMAL;
  FcPatternGetInteger(pattern, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(pattern, FC_SLANT, 0, &slant);
  FcPatternGetInteger(pattern, FC_WIDTH, 0, &width);
  return std::abs(weight - FC_WEIGHT_REGULAR) + 4 * std::abs(slant - FC_SLANT_ROMAN) +
         std::abs(width - FC_WIDTH_NORMAL);
}

// The family's name as the face gives it in English, else its first name.
std::string FamilyName(FcPattern* pattern) {
  FcChar8* first = nullptr;
  if (FcPatternGetString(pattern, FC_FAMILY, 0, &first) != FcResultMatch) return {};
  FcChar8* lang = nullptr;
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILYLANG, i, &lang) == FcResultMatch; ++i) {
    if (std::string_view(reinterpret_cast<const char*>(lang)) == "en" &&
        FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch)
      return reinterpret_cast<const char*>(name);
  }
  return reinterpret_cast<const char*>(first);
}

}  // namespace

std::string_view GenericFamilyKeyword(GenericFamily family) { return kKeywords[static_cast<std::size_t>(family)]; }

std::optional<GenericFamily> GenericFamilyFromKeyword(std::string_view keyword) {
  const std::string lowered = Lowered(keyword);
  for (GenericFamily family : kGenericFamilies)
    if (GenericFamilyKeyword(family) == lowered) return family;
  return std::nullopt;
}

std::optional<GenericFamily> GenericFamilyFromFacts(const FontFileFacts& facts) {
  switch (facts.panose[0]) {
    case kPanoseLatinText:
      if (facts.panose[3] == kPanoseMonospaced) return GenericFamily::Monospace;
      if (facts.panose[1] >= kPanoseFirstSansStyle && facts.panose[1] <= kPanoseLastSansStyle)
        return GenericFamily::SansSerif;
      return GenericFamily::Serif;
    case kPanoseHandWritten:
      return GenericFamily::Cursive;
    case kPanoseDecorative:
    case kPanoseSymbol:
      return GenericFamily::Fantasy;
    default:
      return FromFamilyClass(facts.familyClass);
  }
}

std::optional<GenericFamily> ConfiguredGenericFamily(const std::string& family) {
  std::unique_ptr<FcConfig, ConfigReleaser> config(FcConfigReference(nullptr));
  if (!config) return std::nullopt;
  return ConfigGenerics(config.get()).Of(family);
}

FontCatalog ListInstalledFontFamilies() {
  FontCatalog catalog;
  std::unique_ptr<FcConfig, ConfigReleaser> config(FcConfigReference(nullptr));
  if (!config) return catalog;

  std::unique_ptr<FcPattern, PatternDeleter> all(FcPatternCreate());
  std::unique_ptr<FcObjectSet, ObjectSetDeleter> wanted(FcObjectSetBuild(
      FC_FAMILY, FC_FAMILYLANG, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH, FC_FONTFORMAT, nullptr));
  std::unique_ptr<FcFontSet, FontSetDeleter> fonts(FcFontList(config.get(), all.get(), wanted.get()));
  if (!fonts) return catalog;

  // Faces by family, the key ignoring letter case; the first spelling met
  // is the one shown.
  struct Family {
    std::string name;
    std::vector<Face> faces;
  };
  std::map<std::string, Family> families;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* pattern = fonts->fonts[i];
    std::string name = FamilyName(pattern);
    FcChar8* file = nullptr;
    if (name.empty() || FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch) continue;
    int index = 0;
    FcPatternGetInteger(pattern, FC_INDEX, 0, &index);
    Family& family = families[Lowered(name)];
    if (family.name.empty()) family.name = std::move(name);
    if (HasOs2Format(pattern))
      family.faces.push_back({reinterpret_cast<const char*>(file), index, RegularFaceScore(pattern)});
  }

  FreeTypeLibrary freetype;
  const ConfigGenerics configGenerics(config.get());
  for (auto& [key, family] : families) {
    std::stable_sort(family.faces.begin(), family.faces.end(),
                     [](const Face& a, const Face& b) { return a.score < b.score; });
    // The regular face answers; a face of the family that FreeType cannot
    // read lets the next nearest one answer.
    std::optional<GenericFamily> generic;
    for (const Face& face : family.faces) {
      if (std::optional<FontFileFacts> facts = ReadFacts(freetype.library, face.file.c_str(), face.index)) {
        generic = GenericFamilyFromFacts(*facts);
        break;
      }
    }
    if (!generic) generic = configGenerics.Of(family.name);
    // The map's order is already the order ignoring letter case.
    if (generic) catalog.Of(*generic).push_back(family.name);
  }
  return catalog;
}

std::shared_future<FontCatalog> StartListingInstalledFontFamilies() {
  return std::async(std::launch::async, ListInstalledFontFamilies).share();
}

}  // namespace korvel
