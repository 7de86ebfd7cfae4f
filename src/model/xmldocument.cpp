#include "model/xmldocument.h"

#include <charconv>
#include <sstream>

#include "model/filebytes.h"

namespace korvel {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// pugixml wants NUL-terminated names; most names are short literals.
std::string NameOf(std::string_view name) { return std::string(name); }

pugi::xml_node NextElement(pugi::xml_node node) {
  while (node && node.type() != pugi::node_element) node = node.next_sibling();
  return node;
}

[[noreturn]] void ThrowAbsent() { throw XmlError("Valeur absente : l'attribut n'existe pas."); }

}  // namespace

std::string AttrValue::AsText() const { return std::string(View()); }

std::string_view AttrValue::View() const {
  if (!present_) ThrowAbsent();
  return text_;
}

bool AttrValue::AsBool() const {
  const std::string_view text = View();
  if (EqualsIgnoringCase(text, "true")) return true;
  if (EqualsIgnoringCase(text, "false")) return false;
  long long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    throw XmlError("« " + std::string(text) + " » n'est pas une valeur booléenne valide.");
  return number != 0;
}

long long AttrValue::AsInt() const {
  const std::string_view text = View();
  long long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || text.empty())
    throw XmlError("« " + std::string(text) + " » n'est pas un nombre entier valide.");
  return number;
}

bool AttrValue::IsTrue() const {
  if (!present_) return false;
  try {
    return AsBool();
  } catch (const XmlError&) {
    return false;
  }
}

std::string_view XmlElement::TagOf() const { return node_.name(); }

std::string_view XmlElement::TextOf() const { return node_.text().get(); }

void XmlElement::SetTextOf(std::string_view text) { node_.text().set(text.data(), text.size()); }

std::size_t XmlElement::ChildCount() const {
  std::size_t count = 0;
  for (pugi::xml_node child = node_.first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element) ++count;
  return count;
}

XmlElement XmlElement::ChildAt(std::size_t index) const {
  for (pugi::xml_node child = NextElement(node_.first_child()); child;
       child = NextElement(child.next_sibling())) {
    if (index == 0) return XmlElement(child);
    --index;
  }
  return XmlElement();
}

XmlElement XmlElement::FindChild(std::string_view tag) const {
  for (pugi::xml_node child = NextElement(node_.first_child()); child;
       child = NextElement(child.next_sibling()))
    if (TextEquals(child.name(), tag)) return XmlElement(child);
  return XmlElement();
}

XmlElement XmlElement::ChildByTag(std::string_view tag) {
  XmlElement found = FindChild(tag);
  return found ? found : AppendChild(tag);
}

XmlElement XmlElement::AppendChild(std::string_view tag) {
  return XmlElement(node_.append_child(NameOf(tag).c_str()));
}

void XmlElement::RemoveChild(XmlElement child) { node_.remove_child(child.node_); }

XmlElement XmlElement::Parent() const { return XmlElement(node_.parent()); }

AttrValue XmlElement::GetAttr(std::string_view name) const {
  for (pugi::xml_attribute attr = node_.first_attribute(); attr; attr = attr.next_attribute())
    if (TextEquals(attr.name(), name)) return AttrValue(attr.value());
  return AttrValue();
}

bool XmlElement::HasAttr(std::string_view name) const { return !GetAttr(name).IsAbsent(); }

void XmlElement::SetAttr(std::string_view name, std::string_view value) {
  for (pugi::xml_attribute attr = node_.first_attribute(); attr; attr = attr.next_attribute()) {
    if (TextEquals(attr.name(), name)) {
      attr.set_value(value.data(), value.size());
      return;
    }
  }
  node_.append_attribute(NameOf(name).c_str()).set_value(value.data(), value.size());
}

void XmlElement::SetAttr(std::string_view name, bool value) {
  SetAttr(name, std::string_view(value ? "True" : "False"));
}

void XmlElement::SetAttr(std::string_view name, long long value) {
  SetAttr(name, std::string_view(std::to_string(value)));
}

XmlElement::Iterator& XmlElement::Iterator::operator++() {
  node_ = NextElement(node_.next_sibling());
  return *this;
}

XmlElement::Children XmlElement::Elements() const {
  return Children{Iterator(NextElement(node_.first_child()))};
}

XmlElement XmlDocument::RootElement() const { return XmlElement(doc_.document_element()); }

// The declaration and the root element: what a document is. Anything a
// document keeps beside its root for its own use is not part of it.
std::string XmlDocument::ToText() const {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  doc_.document_element().print(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

namespace {

XmlDocumentPtr CheckParsed(XmlDocumentPtr document, const pugi::xml_parse_result& result,
                           std::string_view origin) {
  if (!result) {
    throw XmlError(std::string(origin) + " : " + result.description() + " (octet " +
                   std::to_string(result.offset) + ")");
  }
  if (!document->RootElement())
    throw XmlError(std::string(origin) + " : le document n'a pas d'élément racine");
  return document;
}

}  // namespace

XmlDocumentPtr LoadXmlFile(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  return ParseXmlText(bytes, path);
}

XmlDocumentPtr ParseXmlText(std::string_view text, std::string_view origin) {
  auto document = std::make_shared<XmlDocument>();
  const pugi::xml_parse_result result =
      document->Engine().load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  return CheckParsed(document, result, origin);
}

XmlDocumentPtr CreateXmlDocument(std::string_view rootTag) {
  const std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <" + std::string(rootTag) + "/>";
  auto document = std::make_shared<XmlDocument>();
  const pugi::xml_parse_result result = document->Engine().load_string(text.c_str(), pugi::parse_full);
  return CheckParsed(document, result, "CreateXmlDocument");
}

void SaveXmlFile(const XmlDocument& document, const std::string& path) {
  WriteFileAtomically(path, document.ToText());
}

}  // namespace korvel
