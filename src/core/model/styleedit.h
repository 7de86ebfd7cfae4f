#pragma once

// The one way the program changes the properties of a stylesheet document
// after it was read: the window (and, later, its editors and undo) goes
// through these operations instead of writing "Prop" elements and their
// attributes itself.
//
// Operations change attributes of "Prop" elements and append new ones; they
// never touch child elements (a property's kept fallbacks, a rule's nested
// blocks and kept comments), which the writer puts back as they were read.

#include <string_view>

#include "model/styledocument.h"

namespace korvel {

class StyleEdit final {
 public:
  explicit StyleEdit(StyleDocument& document) : document_(document) {}

  /// The rule's first property of that name; when the rule has none, a new
  /// one, switched on with an empty value, appended after the rule's last
  /// child. None when there is no such rule.
  XmlElement AddProp(std::string_view rule, std::string_view name);
  /// Sets the value the property is written with.
  static void SetValue(XmlElement prop, std::string_view value);
  /// Switched on (written as a declaration) or off (written as a comment).
  static void SetChecked(XmlElement prop, bool checked);
  /// The property is left out when the document is written. It stays in the
  /// document so that a rule shown again does not bring it back.
  static void MarkDeleted(XmlElement prop);

 private:
  StyleDocument& document_;
};

}  // namespace korvel
