#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace korvel {

/// How specific a selector is: ids, then classes (attributes and
/// pseudo-classes), then types (and pseudo-elements). Compared in that order;
/// each count stops at its largest value instead of wrapping.
struct Specificity {
  std::uint16_t ids = 0, classes = 0, types = 0;
  auto operator<=>(const Specificity&) const = default;
};

/// The specificity of each complex selector of the list, in order; none when
/// one of them cannot be read with confidence (unbalanced brackets, an
/// unterminated string, an unknown functional pseudo-class, "&" with no
/// parent, a selector that is not one).
/// `parent`: a nested rule's parent's specificities (what its "&" stands
/// for); null at the top level or in a block of rules, empty when the
/// parent's own are unknown (the nested rule's are then too). Under a parent, a
/// selector without "&" is relative to it (".b" reads "& .b", "> .b" reads
/// "& > .b").
std::optional<std::vector<Specificity>> SelectorSpecificities(std::string_view selectorList,
                                                              const std::vector<Specificity>* parent = nullptr);

}  // namespace korvel
