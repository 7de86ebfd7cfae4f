#pragma once

// Where a rule or block stands in a stylesheet, told so that it can be found
// again in another reading of the file (after a reload, say): the chain of
// its containers from the top level down, each step a tag, a name and which
// of the same-named siblings it is. The same selector at the top level, in
// two "@media" blocks and nested in a rule gives four different places.

#include <cstddef>
#include <string>
#include <vector>

#include "model/styledocument.h"

namespace korvel {

struct RulePlace {
  struct Step {
    std::string tag;             ///< "KeyWord" or "Block"
    std::string name;            ///< the selector or the prelude
    std::size_t occurrence = 0;  ///< among the siblings of that tag and name
    friend bool operator==(const Step&, const Step&) = default;
  };
  std::vector<Step> steps;  ///< outermost first; empty for no place
  [[nodiscard]] bool IsEmpty() const { return steps.empty(); }
  friend bool operator==(const RulePlace&, const RulePlace&) = default;
};

/// The place of a rule or "Block" of a document; empty for none.
RulePlace PlaceOf(ConstXmlElement element);

/// The element at that place; none when the document has nothing there.
ConstXmlElement FindPlace(const StyleDocument& document, const RulePlace& place);
XmlElement FindPlace(StyleDocument& document, const RulePlace& place);

/// The place as the window names it: the rule's name, then the containers
/// it stands in, innermost first ("h1 dans @media print").
std::string PlaceLabel(const RulePlace& place);

}  // namespace korvel
