#include "model/mergeguard.h"

#include "model/knownproperties.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace korvel {

namespace {

struct LonghandsRow {
  std::string_view shorthand, longhands;
};

constexpr LonghandsRow kLonghands[] = {
#include "propertylonghands_table.inc"
};

// Old names a browser still reads as another property.
constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
    {"grid-gap", "gap"},
    {"grid-row-gap", "row-gap"},
    {"grid-column-gap", "column-gap"},
    {"word-wrap", "overflow-wrap"},
    {"page-break-before", "break-before"},
    {"page-break-after", "break-after"},
    {"page-break-inside", "break-inside"},
};

const std::unordered_map<std::string_view, std::vector<std::string_view>>& LonghandsByShorthand() {
  static const auto table = [] {
    std::unordered_map<std::string_view, std::vector<std::string_view>> byShorthand;
    for (const LonghandsRow& row : kLonghands) {
      auto& parts = byShorthand[row.shorthand];
      std::string_view rest = row.longhands;
      while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        if (space != 0) parts.push_back(rest.substr(0, space));
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
      }
    }
    return byShorthand;
  }();
  return table;
}

// Two properties overlap when what one is registered under meets what the
// other asks for. A property is registered under its families (the names'
// first word: its own, and those of every longhand it sets at any depth)
// and under "*"; it asks for its families and for "all". "all" is
// registered under "all" and "*", and asks for "*". A custom property is
// registered and asks under its exact name.
struct OverlapKeys {
  std::vector<std::string> registered, asked;
};

OverlapKeys KeysOf(std::string_view property) {
  if (property.starts_with("--")) {
    std::string exact = "=" + std::string(property);
    return {{exact}, {exact}};
  }
  const std::string lower = AsciiLower(property);
  std::string_view name = Unprefixed(lower);
  for (const auto& [alias, target] : kAliases) {
    if (name == alias) name = target;
  }
  if (name == "all") return {{"f:all", "*"}, {"*"}};

  // Most names are no shorthand and stand for no other: one family. Said at
  // once, as the general walk below would.
  const auto& table = LonghandsByShorthand();
  const std::string_view ownFamily = FamilyOf(Unprefixed(lower));
  const auto standsForOthers = [](std::string_view n) { return n == "inline-size" || n == "block-size"; };
  if (ownFamily == FamilyOf(Unprefixed(name)) && ownFamily != "inset" && !standsForOthers(lower) && !standsForOthers(name) &&
      !table.contains(lower) && !table.contains(name)) {
    std::string key = "f:" + std::string(ownFamily);
    return {{key, "*"}, {key, "f:all"}};
  }

  // The table lists a few prefixed names ("-webkit-text-stroke") as they are.
  std::set<std::string_view> families;
  std::vector<std::string_view> pending = {lower, name};
  std::unordered_set<std::string_view> seen;
  while (!pending.empty()) {
    const std::string_view current = pending.back();
    pending.pop_back();
    if (!seen.insert(current).second) continue;
    const std::string_view family = FamilyOf(Unprefixed(current));
    families.insert(family);
    // A logical property may stand for any of the physical ones.
    if (family == "inset") families.insert({"top", "right", "bottom", "left"});
    if (standsForOthers(current)) families.insert({"width", "height"});
    if (const auto found = table.find(current); found != table.end())
      pending.insert(pending.end(), found->second.begin(), found->second.end());
  }
  OverlapKeys keys;
  for (std::string_view family : families) keys.registered.push_back("f:" + std::string(family));
  keys.asked = keys.registered;
  keys.registered.emplace_back("*");
  keys.asked.emplace_back("f:all");
  return keys;
}

}  // namespace

bool PropertiesOverlap(std::string_view a, std::string_view b) {
  const OverlapKeys first = KeysOf(a);
  const OverlapKeys second = KeysOf(b);
  return std::any_of(first.asked.begin(), first.asked.end(), [&](const std::string& key) {
    return std::find(second.registered.begin(), second.registered.end(), key) != second.registered.end();
  });
}

namespace {

// Rules, declarations and opaque statements count one each: fewer than the
// bytes of any file that can be read, so 32 bits hold them, and the buckets'
// entries take half the memory they would take with 64.
using Position = std::uint32_t;

// The declarations of one overlap key, one importance and one specificity
// (or "unknown", or "any"), in the file's order. Until one of them is merged
// away, all are live and their positions alone tell how many stand between
// two places; from then on, a Fenwick tree over the same array counts those
// still live: O(log n) per step. Most buckets never lose one, and take 4
// bytes a declaration instead of 8.
class Bucket {
 public:
  [[nodiscard]] std::size_t Size() const { return positions_.size(); }

  void Append(Position position) {
    positions_.push_back(position);
    if (tree_.empty()) return;
    const std::size_t j = positions_.size();  // 1-based
    const std::size_t low = j & (~j + 1);
    tree_.push_back(static_cast<std::int32_t>(1 + Prefix(j - 1) - Prefix(j - low)));
  }
  void Remove(std::size_t index) {
    if (tree_.empty()) {
      // All live so far: each node counts the whole range it covers.
      tree_.resize(positions_.size());
      for (std::size_t j = 1; j <= tree_.size(); ++j) tree_[j - 1] = static_cast<std::int32_t>(j & (~j + 1));
    }
    for (std::size_t j = index + 1; j <= tree_.size(); j += j & (~j + 1)) --tree_[j - 1];
  }
  // Where the declaration at that position stands; it must be there.
  [[nodiscard]] std::size_t IndexOf(Position position) const {
    const auto found = std::lower_bound(positions_.begin(), positions_.end(), position);
    if (found == positions_.end() || *found != position) throw std::logic_error("MergeGuard: a declaration lost");
    return static_cast<std::size_t>(found - positions_.begin());
  }
  // Live entries among the first `count`.
  [[nodiscard]] std::int64_t Prefix(std::size_t count) const {
    if (tree_.empty()) return static_cast<std::int64_t>(count);
    std::int64_t sum = 0;
    for (std::size_t j = count; j > 0; j -= j & (~j + 1)) sum += tree_[j - 1];
    return sum;
  }
  // Live entries standing strictly between the two positions.
  [[nodiscard]] std::int64_t LiveBetween(Position after, Position before) const {
    const auto first = std::upper_bound(positions_.begin(), positions_.end(), after);
    const auto last = std::lower_bound(first, positions_.end(), before);
    return Prefix(static_cast<std::size_t>(last - positions_.begin())) -
           Prefix(static_cast<std::size_t>(first - positions_.begin()));
  }

  // Declarations merged up: how many stand at each place (the start of the
  // rule they joined). Repeats mostly join a few rules: few places. Made
  // when the first one joins: most buckets never have one.
  using Moved = std::map<Position, std::uint32_t>;
  [[nodiscard]] const Moved* MovedUp() const { return moved_.get(); }
  Moved& MovedUp() {
    if (!moved_) moved_ = std::make_unique<Moved>();
    return *moved_;
  }

 private:
  std::vector<Position> positions_;
  std::vector<std::int32_t> tree_;  // empty while none was removed
  std::unique_ptr<Moved> moved_;
};

enum class SpecificityKind : std::uint8_t { Known, Unknown, Any };

struct BucketKey {
  std::uint32_t overlapKey;
  bool important;
  SpecificityKind kind;
  Specificity specificity;
  bool operator==(const BucketKey&) const = default;
};

struct BucketKeyHash {
  std::size_t operator()(const BucketKey& key) const {
    std::uint64_t h = key.overlapKey;
    h = h * 4 + (key.important ? 2 : 0) + static_cast<std::uint64_t>(key.kind);
    h = h * 0x9E3779B97F4A7C15ull + key.specificity.ids;
    h = h * 0x9E3779B97F4A7C15ull + key.specificity.classes;
    h = h * 0x9E3779B97F4A7C15ull + key.specificity.types;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

// A property's overlap keys, registered then asked, side by side in the
// index's pool: a file of many distinct names (custom properties) takes a
// few bytes for each, not two vectors.
struct Property {
  std::uint32_t first;
  std::uint16_t registered;
  std::uint16_t asked;
};

struct Declaration {
  std::uint32_t property;
  Position position;  // where it stood in the file
  bool important;
  // One of the rule's own, standing in the buckets where it was read: not
  // one merged into it, nor one of a rule merged away.
  bool own;
};

// A declaration merged up, and where it now stands.
struct Moved {
  std::uint32_t bucket;
  Position position;
};

struct Rule {
  Position start = 0;
  std::optional<std::vector<Specificity>> specificities;  // distinct, sorted
  std::vector<Declaration> declarations;                  // its own, then those merged into it
  // Whether the buckets of its own declarations, sorted (Extra), are to be
  // made again when next asked for.
  mutable bool ownBucketsStale = true;
  bool mergedAway = false;

  // What few rules have, made on first use: a rule without it takes 8 bytes
  // for it instead of 72.
  struct Extra {
    std::vector<std::uint32_t> ownBuckets;     // made when a merge first asks
    std::vector<Moved> movedIn;                // what was merged into it
    std::vector<MergeGuard::RuleId> children;  // the rules nested in it
  };
  mutable std::unique_ptr<Extra> extra;
  Extra& More() const {
    if (!extra) extra = std::make_unique<Extra>();
    return *extra;
  }
  [[nodiscard]] const std::vector<MergeGuard::RuleId>& Children() const {
    static const std::vector<MergeGuard::RuleId> kNone;
    return extra ? extra->children : kNone;
  }
};

// An open-addressing table from keys to dense ids (0, 1, 2…). Slots hold a
// key's hash and id; the keys live with their owner, which the table asks
// whether an id's key is the one looked for. No allocation per key, and a
// miss touches a few adjacent slots, not a chain of scattered nodes.
class DenseIds {
 public:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  // The id whose key has this hash and satisfies `same`; kNone when none.
  template <class Same>
  [[nodiscard]] std::uint32_t Find(std::size_t hash, Same same) const {
    if (slots_.empty()) return kNone;
    for (std::size_t i = hash & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      const Slot& slot = slots_[i];
      if (slot.id == kNone) return kNone;
      if (slot.hash == hash && same(slot.id)) return slot.id;
    }
  }

  // Records `id` for a key not yet in the table.
  void Add(std::size_t hash, std::uint32_t id) {
    if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
    Place(hash, id);
    ++count_;
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    std::uint32_t id = kNone;
  };

  void Place(std::size_t hash, std::uint32_t id) {
    std::size_t i = hash & (slots_.size() - 1);
    while (slots_[i].id != kNone) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = {hash, id};
  }

  void Grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.id != kNone) Place(slot.hash, slot.id);
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// Names interned to dense ids, their text side by side in one string.
class NameIds {
 public:
  std::uint32_t Intern(std::string_view name) {
    const std::size_t hash = std::hash<std::string_view>{}(name);
    if (const std::uint32_t found = Find(name, hash); found != DenseIds::kNone) return found;
    const auto id = static_cast<std::uint32_t>(starts_.size());
    starts_.push_back(text_.size());
    text_ += name;
    ids_.Add(hash, id);
    return id;
  }

 private:
  [[nodiscard]] std::uint32_t Find(std::string_view name, std::size_t hash) const {
    return ids_.Find(hash, [&](std::uint32_t id) { return Name(id) == name; });
  }
  [[nodiscard]] std::string_view Name(std::uint32_t id) const {
    const std::size_t end = id + 1 < starts_.size() ? starts_[id + 1] : text_.size();
    return std::string_view(text_).substr(starts_[id], end - starts_[id]);
  }

  std::string text_;
  std::vector<std::size_t> starts_;
  DenseIds ids_;
};

}  // namespace

struct MergeGuard::Index {
  Position now = 0;
  std::deque<Rule> rules;  // grows without moving the rules, nor holding twice their room
  std::vector<Position> opaque;
  NameIds propertyIds;
  std::vector<Property> properties;  // by property id
  std::vector<std::uint32_t> propertyKeys;  // the pool of the properties' overlap keys
  NameIds overlapKeyIds;
  DenseIds bucketIds;
  std::vector<BucketKey> bucketKeys;  // by bucket id
  std::vector<Bucket> buckets;

  [[nodiscard]] std::span<const std::uint32_t> Registered(std::uint32_t property) const {
    const Property& p = properties[property];
    return {propertyKeys.data() + p.first, p.registered};
  }
  [[nodiscard]] std::span<const std::uint32_t> Asked(std::uint32_t property) const {
    const Property& p = properties[property];
    return {propertyKeys.data() + p.first + p.registered, p.asked};
  }

  // The buckets a declaration of the rule was recorded in, each once.
  template <class Visit>
  void ForEachBucketKey(const Rule& rule, const Declaration& declaration, Visit visit) const {
    for (const std::uint32_t key : Registered(declaration.property)) {
      visit(BucketKey{key, declaration.important, SpecificityKind::Any, {}});
      if (!rule.specificities) {
        visit(BucketKey{key, declaration.important, SpecificityKind::Unknown, {}});
        continue;
      }
      for (const Specificity& specificity : *rule.specificities)
        visit(BucketKey{key, declaration.important, SpecificityKind::Known, specificity});
    }
  }
  // The buckets of a declaration of the rule still standing where it was
  // read: it is found again rather than remembered, which would take more
  // memory than the buckets for the rare rule that is ever merged.
  template <class Visit>
  void ForEachOwnBucket(const Rule& rule, const Declaration& declaration, Visit visit) const {
    ForEachBucketKey(rule, declaration, [&](const BucketKey& key) {
      const std::uint32_t id = FindBucket(key, BucketKeyHash{}(key));
      if (id == DenseIds::kNone) throw std::logic_error("MergeGuard: a declaration's bucket lost");
      visit(id);
    });
  }

  // How many of a rule's own declarations stand in a bucket.
  std::int64_t OwnCount(const Rule& rule, std::uint32_t bucket) const {
    std::vector<std::uint32_t>& ownBuckets = rule.More().ownBuckets;
    if (rule.ownBucketsStale) {
      ownBuckets.clear();
      for (const Declaration& declaration : rule.declarations) {
        if (declaration.own) ForEachOwnBucket(rule, declaration, [&](std::uint32_t id) { ownBuckets.push_back(id); });
      }
      std::sort(ownBuckets.begin(), ownBuckets.end());
      rule.ownBucketsStale = false;
    }
    const auto [first, last] = std::equal_range(ownBuckets.begin(), ownBuckets.end(), bucket);
    return last - first;
  }

  Position Next() {
    if (now == std::numeric_limits<Position>::max())
      throw std::length_error("La feuille de style compte trop de règles et de déclarations.");
    return ++now;
  }
  Rule& RuleAt(RuleId id) {
    if (id >= rules.size()) throw std::out_of_range("MergeGuard: no rule " + std::to_string(id));
    return rules[id];
  }

  std::uint32_t PropertyId(std::string_view name) {
    // Most names are written in lower case already: then they need no copy.
    std::string lowered;
    std::string_view key = name;
    if (!name.starts_with("--") && std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
      lowered = AsciiLower(name);
      key = lowered;
    }
    const std::uint32_t id = propertyIds.Intern(key);
    if (id < properties.size()) return id;
    const OverlapKeys keys = KeysOf(key);
    const Property property{static_cast<std::uint32_t>(propertyKeys.size()),
                           static_cast<std::uint16_t>(keys.registered.size()),
                           static_cast<std::uint16_t>(keys.asked.size())};
    for (const std::string& k : keys.registered) propertyKeys.push_back(overlapKeyIds.Intern(k));
    for (const std::string& k : keys.asked) propertyKeys.push_back(overlapKeyIds.Intern(k));
    properties.push_back(property);
    return id;
  }

  // The bucket of that key, made when missing.
  std::uint32_t BucketId(const BucketKey& key) {
    const std::size_t hash = BucketKeyHash{}(key);
    std::uint32_t id = FindBucket(key, hash);
    if (id == DenseIds::kNone) {
      id = static_cast<std::uint32_t>(buckets.size());
      bucketIds.Add(hash, id);
      bucketKeys.push_back(key);
      buckets.emplace_back();
    }
    return id;
  }
  [[nodiscard]] std::uint32_t FindBucket(const BucketKey& key, std::size_t hash) const {
    return bucketIds.Find(hash, [&](std::uint32_t candidate) { return bucketKeys[candidate] == key; });
  }

  // The rule and every rule nested in it, at any depth, but those merged away.
  std::vector<RuleId> Subtree(RuleId root) const {
    std::vector<RuleId> subtree = {root};
    for (std::size_t i = 0; i < subtree.size(); ++i) {
      for (const RuleId child : rules[subtree[i]].Children()) {
        if (!rules[child].mergedAway) subtree.push_back(child);
      }
    }
    return subtree;
  }

  // Whether a bucket holds a live declaration strictly between the start of
  // `earlier` and the start of `later`, other than one of `earlier`'s own.
  bool CrossesBucket(const BucketKey& key, const Rule& earlier, const Rule& later) const {
    const std::uint32_t id = FindBucket(key, BucketKeyHash{}(key));
    if (id == DenseIds::kNone) return false;
    const Bucket& bucket = buckets[id];
    if (bucket.LiveBetween(earlier.start, later.start) > OwnCount(earlier, id)) return true;
    const Bucket::Moved* movedUp = bucket.MovedUp();
    if (movedUp == nullptr) return false;
    const auto moved = movedUp->upper_bound(earlier.start);
    return moved != movedUp->end() && moved->first < later.start;
  }
};

MergeGuard::MergeGuard() : index_(std::make_unique<Index>()) {}
MergeGuard::~MergeGuard() = default;
MergeGuard::MergeGuard(MergeGuard&&) noexcept = default;
MergeGuard& MergeGuard::operator=(MergeGuard&&) noexcept = default;

MergeGuard::RuleId MergeGuard::AddRule(std::optional<std::vector<Specificity>> specificities,
                                       std::optional<RuleId> parent) {
  if (parent) index_->RuleAt(*parent).More().children.push_back(index_->rules.size());
  Rule rule;
  rule.start = index_->Next();
  if (specificities) {
    std::sort(specificities->begin(), specificities->end());
    specificities->erase(std::unique(specificities->begin(), specificities->end()), specificities->end());
  }
  rule.specificities = std::move(specificities);
  index_->rules.push_back(std::move(rule));
  return index_->rules.size() - 1;
}

void MergeGuard::AddDeclaration(RuleId ruleId, std::string_view property, bool important) {
  Index& index = *index_;
  index.RuleAt(ruleId);
  const Position position = index.Next();
  const std::uint32_t propertyId = index.PropertyId(property);
  Rule& rule = index.rules[ruleId];
  const Declaration declaration{propertyId, position, important, true};
  // A new bucket may move the others: each is found again by its id.
  index.ForEachBucketKey(rule, declaration, [&](const BucketKey& key) {
    const std::uint32_t bucketId = index.BucketId(key);
    index.buckets[bucketId].Append(position);
  });
  rule.declarations.push_back(declaration);
  rule.ownBucketsStale = true;
}

void MergeGuard::AddOpaque() { index_->opaque.push_back(index_->Next()); }

bool MergeGuard::CanMerge(RuleId earlierId, RuleId laterId) const {
  const Index& index = *index_;
  if (earlierId >= index.rules.size() || laterId >= index.rules.size()) return false;
  const Rule& earlier = index.rules[earlierId];
  const Rule& later = index.rules[laterId];
  if (earlier.start >= later.start || earlier.mergedAway || later.mergedAway) return false;

  const auto opaque = std::upper_bound(index.opaque.begin(), index.opaque.end(), earlier.start);
  if (opaque != index.opaque.end() && *opaque < later.start) return false;

  // Once merged, the later rule's declarations take the earlier rule's
  // selector: either rule's specificities may tie with a rule between. The
  // rules nested in it move up with it, each with its own.
  std::vector<Specificity> merged;
  if (earlier.specificities && later.specificities) {
    std::set_union(earlier.specificities->begin(), earlier.specificities->end(), later.specificities->begin(),
                   later.specificities->end(), std::back_inserter(merged));
  }
  const bool mergedKnown = earlier.specificities && later.specificities;
  for (const RuleId moving : index.Subtree(laterId)) {
    const Rule& rule = index.rules[moving];
    const bool known = moving == laterId ? mergedKnown : rule.specificities.has_value();
    const std::vector<Specificity>& specificities = moving == laterId || !known ? merged : *rule.specificities;
    for (const Declaration& declaration : rule.declarations) {
      for (const std::uint32_t key : index.Asked(declaration.property)) {
        const auto crosses = [&](SpecificityKind kind, Specificity specificity) {
          return index.CrossesBucket({key, declaration.important, kind, specificity}, earlier, later);
        };
        if (!known) {
          if (crosses(SpecificityKind::Any, {})) return false;
          continue;
        }
        if (crosses(SpecificityKind::Unknown, {})) return false;
        for (const Specificity& specificity : specificities) {
          if (crosses(SpecificityKind::Known, specificity)) return false;
        }
      }
    }
  }
  return true;
}

void MergeGuard::Merged(RuleId earlierId, RuleId laterId) {
  Index& index = *index_;
  const Rule& earlierRule = index.RuleAt(earlierId);
  const Rule& laterRule = index.RuleAt(laterId);
  if (earlierRule.start >= laterRule.start || earlierRule.mergedAway || laterRule.mergedAway)
    throw std::logic_error("MergeGuard: rule " + std::to_string(laterId) + " cannot be merged into rule " +
                           std::to_string(earlierId));
  const Position destination = earlierRule.start;
  // The later rule's declarations join the earlier rule; the rules nested in
  // it keep theirs, but now stand in the earlier rule too.
  for (const RuleId moving : index.Subtree(laterId)) {
    Rule& rule = index.rules[moving];
    std::vector<Moved>& owner = moving == laterId ? index.rules[earlierId].More().movedIn : rule.More().movedIn;
    std::vector<Moved> movedIn = std::move(rule.More().movedIn);
    rule.More().movedIn.clear();
    for (Declaration& declaration : rule.declarations) {
      if (!declaration.own) continue;
      index.ForEachOwnBucket(rule, declaration, [&](std::uint32_t id) {
        Bucket& bucket = index.buckets[id];
        bucket.Remove(bucket.IndexOf(declaration.position));
        ++bucket.MovedUp()[destination];
        owner.push_back({id, destination});
      });
      declaration.own = false;
    }
    for (const Moved& moved : movedIn) {
      Bucket& bucket = index.buckets[moved.bucket];
      Bucket::Moved& movedUp = bucket.MovedUp();
      if (const auto there = movedUp.find(moved.position); --there->second == 0) movedUp.erase(there);
      ++movedUp[destination];
      owner.push_back({moved.bucket, destination});
    }
    rule.ownBucketsStale = true;
  }
  Rule& earlier = index.rules[earlierId];
  Rule& later = index.rules[laterId];
  earlier.declarations.insert(earlier.declarations.end(), later.declarations.begin(), later.declarations.end());
  if (!later.Children().empty()) {
    std::vector<RuleId>& children = earlier.More().children;
    children.insert(children.end(), later.Children().begin(), later.Children().end());
  }
  later.mergedAway = true;
  // Nothing asks about a rule merged away again: what it held goes.
  std::vector<Declaration>().swap(later.declarations);
  later.specificities.reset();
  later.extra.reset();
}

}  // namespace korvel
