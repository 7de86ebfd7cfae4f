#include "dictionary/shorthands.h"

#include <initializer_list>
#include <string_view>

#include "dictionary/valueclassification.h"

namespace korvel {

namespace {

// The word keeps the type that classification gives it; the member is fixed
// by its place in the value.
void AssignByPlace(XmlElement entry, const WordClassifier& classifier, std::string_view word,
                   std::initializer_list<std::string_view> members) {
  ValueClass valueClass = classifier.Classify(word);
  for (std::string_view member : members) {
    valueClass.member = std::string(member);
    AssignWord(entry, valueClass, word);
  }
}

void ExpandSides(XmlElement entry, const WordClassifier& classifier, const std::vector<std::string>& words) {
  switch (words.size()) {
    case 1:
      AssignByPlace(entry, classifier, words[0], {"top", "right", "bottom", "left"});
      break;
    case 2:
      AssignByPlace(entry, classifier, words[0], {"top", "bottom"});
      AssignByPlace(entry, classifier, words[1], {"right", "left"});
      break;
    case 3:
      AssignByPlace(entry, classifier, words[0], {"top"});
      AssignByPlace(entry, classifier, words[1], {"right", "left"});
      AssignByPlace(entry, classifier, words[2], {"bottom"});
      break;
    case 4:
      AssignByPlace(entry, classifier, words[0], {"top"});
      AssignByPlace(entry, classifier, words[1], {"right"});
      AssignByPlace(entry, classifier, words[2], {"bottom"});
      AssignByPlace(entry, classifier, words[3], {"left"});
      break;
    default:
      break;
  }
}

void ExpandPosition(XmlElement entry, const WordClassifier& classifier,
                    const std::vector<std::string>& words) {
  if (words.size() == 1) {
    AssignByPlace(entry, classifier, words[0], {"horizontal"});
    AssignByPlace(entry, classifier, "center", {"vertical"});
  } else if (words.size() == 2) {
    AssignByPlace(entry, classifier, words[0], {"horizontal"});
    AssignByPlace(entry, classifier, words[1], {"vertical"});
  }
}

void ExpandFont(XmlElement entry, const WordClassifier& classifier, const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    ValueClass valueClass = classifier.Classify(word);
    if (valueClass.member.empty()) valueClass = ValueClass{"font-family", "font-family"};
    AssignWord(entry, valueClass, word);
  }
}

}  // namespace

void ExpandShorthand(XmlElement entry, const std::vector<std::string>& words) {
  if (words.empty()) return;
  const AttrValue name = entry.GetAttr("Name");
  const WordClassifier classifier(entry);
  if (name == "margin" || name == "padding")
    ExpandSides(entry, classifier, words);
  else if (name == "background-position")
    ExpandPosition(entry, classifier, words);
  else if (name == "font")
    ExpandFont(entry, classifier, words);
}

}  // namespace korvel
