// Reads any bytes as a stylesheet, saves, reads the saved text and saves
// again, three times over. Nothing may crash or trip a sanitizer, and the
// layout must settle: once a text has been saved twice, reading and saving
// it once more gives the same bytes. A text without syntax errors must keep
// its meaning: what its save writes reads back to the same document.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/cssparser.h"
#include "model/csssyntaxcheck.h"
#include "model/csswriter.h"

namespace {

std::string Saved(std::string_view css) { return korvel::Write(korvel::ReadStylesheet(css)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view css(reinterpret_cast<const char*>(data), size);
  // ReadStylesheet refuses text with a NUL byte, by design.
  if (css.find('\0') != std::string_view::npos) return 0;

  const korvel::StyleDocument read = korvel::ReadStylesheet(css);
  const std::string once = korvel::Write(read);
  if (korvel::FindSyntaxProblems(css, 1).empty()) {
    korvel::StyleDocument readBack = korvel::ReadStylesheet(once);
    // A saved text with no line end at all carries no line-end convention.
    if (once.find_first_of("\r\n") == std::string::npos) readBack.SetLineEnds(read.LineEnds());
    const std::string before = read.Xml()->ToText();
    const std::string after = readBack.Xml()->ToText();
    if (before != after) {
      std::fprintf(stderr, "A well-formed text read back differently once saved.\n--- read ---\n%s\n--- read back ---\n%s\n",
                   before.c_str(), after.c_str());
      std::abort();
    }
  }
  const std::string twice = Saved(once);
  const std::string thrice = Saved(twice);
  if (thrice != twice) {
    std::fprintf(stderr, "Saving a saved text again changed it.\n--- saved twice ---\n%s\n--- saved again ---\n%s\n",
                 twice.c_str(), thrice.c_str());
    std::abort();
  }
  return 0;
}
