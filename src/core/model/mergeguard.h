#pragma once

#include "model/specificity.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace korvel {

/// Whether the order of declarations of these two properties can change what
/// an element gets: the same property (ASCII case-insensitive; a custom
/// property "--x" only matches itself, case-sensitively), a shorthand and its
/// longhands at any depth, "all" and any property but a custom one, a
/// vendor-prefixed property and its unprefixed form, a logical property and
/// the physical ones it may stand for. It errs on the side of "yes": names of
/// one family ("text-align", "text-decoration") are taken to overlap.
bool PropertiesOverlap(std::string_view a, std::string_view b);

/// Decides whether a repeated rule may be merged into its first occurrence
/// without changing what a browser applies. It is told the file's style
/// rules and declarations in the file's order, across every container, and
/// answers whether every declaration of a later occurrence may move up to
/// where the earlier one stands: no declaration between them, of another
/// rule, sets an overlapping property with the same importance and a
/// specificity equal to one of theirs (or unknown), and no opaque text
/// stands between them.
///
/// What lies between the two is found through an index, never by a scan:
/// a question costs about (declarations of the later rule) × (names that
/// may overlap) × log(declarations), so a file of many repeated rules stays
/// near-linear.
///
/// Merges are recorded exactly: once `later` is merged, its declarations
/// count where they now stand (at the start of `earlier`), not where they
/// stood. The order of declarations inside the later rule itself, and of the
/// rules nested in it, is the caller's to keep.
class MergeGuard final {
 public:
  using RuleId = std::size_t;

  MergeGuard();
  ~MergeGuard();
  MergeGuard(const MergeGuard&) = delete;
  MergeGuard& operator=(const MergeGuard&) = delete;
  MergeGuard(MergeGuard&&) noexcept;
  MergeGuard& operator=(MergeGuard&&) noexcept;

  /// A style rule, at the current point of the file. None: its specificity
  /// is unknown (it then ties with every other). `parent`: the rule it is
  /// nested in, if any; nested rules move up with their parent when it is
  /// merged, so they are weighed with it.
  RuleId AddRule(std::optional<std::vector<Specificity>> specificities, std::optional<RuleId> parent = std::nullopt);
  /// A declaration of that rule, at the current point of the file.
  /// Throws std::out_of_range for a rule it was not given.
  void AddDeclaration(RuleId rule, std::string_view property, bool important);
  /// Text at the current point whose effect on the cascade cannot be known:
  /// no merge crosses it.
  void AddOpaque();
  /// Whether every declaration of `later`, and of the rules nested in it,
  /// may move up to where `earlier` stands. False when `later` does not
  /// stand after `earlier`, or when either was already merged away.
  /// Not to be called from two threads at once.
  [[nodiscard]] bool CanMerge(RuleId earlier, RuleId later) const;
  /// `later` was merged into `earlier`: its declarations and the rules
  /// nested in it now stand at the start of `earlier`. Throws
  /// std::logic_error when `later` does not stand after `earlier` or either
  /// was merged away, and std::out_of_range for a rule it was not given.
  void Merged(RuleId earlier, RuleId later);

 private:
  struct Index;
  std::unique_ptr<Index> index_;
};

}  // namespace korvel
