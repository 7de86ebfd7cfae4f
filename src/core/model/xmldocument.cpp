#include "model/xmldocument.h"

#include <cctype>

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

std::string_view XmlElement::TagOf() const { return store_ ? store_->NameOf(Record().tag) : node_.name(); }

bool XmlElement::HasTag(std::string_view tag) const {
  if (!store_) return TextEquals(node_.name(), tag);
  return store_->NameOf(Record().tag) == tag;
}

void XmlElement::SetTag(std::string_view tag) {
  if (store_) Record().tag = store_->Intern(tag);
  else node_.set_name(NameOf(tag).c_str());
}

std::string_view XmlElement::TextOf() const { return store_ ? store_->View(Record().text) : node_.text().get(); }

void XmlElement::SetTextOf(std::string_view text) {
  if (store_) Record().text = store_->Store(text);
  else node_.text().set(text.data(), text.size());
}

std::size_t XmlElement::ChildCount() const {
  std::size_t count = 0;
  for (XmlElement child = FirstChild(); child; child = child.NextSibling()) ++count;
  return count;
}

XmlElement XmlElement::ChildAt(std::size_t index) const {
  for (XmlElement child = FirstChild(); child; child = child.NextSibling()) {
    if (index == 0) return child;
    --index;
  }
  return XmlElement();
}

XmlElement XmlElement::FindChild(std::string_view tag) const {
  if (store_) {
    ElementStore::NameId id = 0;
    if (!store_->Find(tag, id)) return XmlElement();
    for (ElementStore::Index child = Record().first; child != ElementStore::kNone; child = store_->At(child).next)
      if (store_->At(child).tag == id) return XmlElement(store_, child);
    return XmlElement();
  }
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
  if (store_) {
    const ElementStore::Index child = store_->Make(store_->Intern(tag));
    store_->LinkLast(index_, child);
    return XmlElement(store_, child);
  }
  return XmlElement(node_.append_child(NameOf(tag).c_str()));
}

XmlElement XmlElement::PrependChild(std::string_view tag) {
  if (store_) {
    const ElementStore::Index child = store_->Make(store_->Intern(tag));
    store_->LinkFirst(index_, child);
    return XmlElement(store_, child);
  }
  return XmlElement(node_.prepend_child(NameOf(tag).c_str()));
}

XmlElement XmlElement::InsertChildBefore(std::string_view tag, XmlElement before) {
  if (store_) {
    if (!IsParentOf(before)) return XmlElement();
    const ElementStore::Index child = store_->Make(store_->Intern(tag));
    store_->LinkBefore(index_, child, before.index_);
    return XmlElement(store_, child);
  }
  return XmlElement(node_.insert_child_before(NameOf(tag).c_str(), before.node_));
}

void XmlElement::RemoveChild(XmlElement child) {
  if (!store_) node_.remove_child(child.node_);
  else if (IsParentOf(child)) store_->Unlink(child.index_);
}

bool XmlElement::IsParentOf(XmlElement child) const {
  return child.store_ == store_ && child.Record().parent == index_;
}

// Takes `moved` out of where it stands when it may come among this element's
// children, as pugixml allows: an element of the same store, not the
// document, not this element nor one that holds it; and, with a `place`, one
// other than it, which must be a child of this element.
bool XmlElement::Unhook(XmlElement moved, XmlElement place) {
  if (place && (place == moved || !IsParentOf(place))) return false;
  if (moved.store_ != store_ || moved.index_ == ElementStore::kTop) return false;
  for (ElementStore::Index at = index_; at != ElementStore::kNone; at = store_->At(at).parent)
    if (at == moved.index_) return false;
  store_->Unlink(moved.index_);
  return true;
}

void XmlElement::AppendMove(XmlElement moved) {
  if (!store_) node_.append_move(moved.node_);
  else if (Unhook(moved, XmlElement())) store_->LinkLast(index_, moved.index_);
}

void XmlElement::PrependMove(XmlElement moved) {
  if (!store_) node_.prepend_move(moved.node_);
  else if (Unhook(moved, XmlElement())) store_->LinkFirst(index_, moved.index_);
}

void XmlElement::InsertMoveBefore(XmlElement moved, XmlElement place) {
  if (!store_) node_.insert_move_before(moved.node_, place.node_);
  else if (Unhook(moved, place)) store_->LinkBefore(index_, moved.index_, place.index_);
}

void XmlElement::InsertMoveAfter(XmlElement moved, XmlElement place) {
  if (!store_) node_.insert_move_after(moved.node_, place.node_);
  else if (Unhook(moved, place)) store_->LinkAfter(index_, moved.index_, place.index_);
}

XmlElement XmlElement::Parent() const { return store_ ? Compact(Record().parent) : XmlElement(node_.parent()); }

XmlElement XmlElement::LastChild() const {
  if (store_) return Compact(Record().last);
  pugi::xml_node child = node_.last_child();
  while (child && child.type() != pugi::node_element) child = child.previous_sibling();
  return XmlElement(child);
}

XmlElement XmlElement::PreviousSibling() const {
  if (store_) return Compact(Record().previous);
  pugi::xml_node previous = node_.previous_sibling();
  while (previous && previous.type() != pugi::node_element) previous = previous.previous_sibling();
  return XmlElement(previous);
}

AttrValue XmlElement::GetAttr(std::string_view name) const {
  if (store_) {
    ElementStore::NameId id = 0;
    if (!store_->Find(name, id)) return AttrValue();
    const ElementStore::Index attr = store_->FindAttr(index_, id);
    return attr == ElementStore::kNone ? AttrValue() : AttrValue(store_->View(store_->AttrAt(attr).value));
  }
  for (pugi::xml_attribute attr = node_.first_attribute(); attr; attr = attr.next_attribute())
    if (TextEquals(attr.name(), name)) return AttrValue(attr.value());
  return AttrValue();
}

bool XmlElement::HasAttr(std::string_view name) const { return !GetAttr(name).IsAbsent(); }

void XmlElement::SetAttr(std::string_view name, std::string_view value) {
  if (store_) {
    store_->SetAttr(index_, store_->Intern(name), value);
    return;
  }
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

void XmlElement::AppendAttr(std::string_view name, std::string_view value) {
  if (store_) store_->AppendAttr(index_, store_->Intern(name), value);
  else node_.append_attribute(NameOf(name).c_str()).set_value(value.data(), value.size());
}

void XmlElement::RemoveAttr(std::string_view name) {
  if (store_) {
    ElementStore::NameId id = 0;
    if (store_->Find(name, id)) store_->RemoveAttr(index_, id);
  } else {
    node_.remove_attribute(NameOf(name).c_str());
  }
}

namespace {

ElementStore::Index FirstElementOfTop(const ElementStore& store) { return store.At(ElementStore::kTop).first; }

// A copy of a compact element in pugixml's terms, for printing.
void CopyInto(pugi::xml_node into, ConstXmlElement element) {
  pugi::xml_node copy = into.append_child(NameOf(element.TagOf()).c_str());
  element.ForEachAttr([&](std::string_view name, std::string_view value) {
    copy.append_attribute(NameOf(name).c_str()).set_value(value.data(), value.size());
  });
  const std::string_view text = element.TextOf();
  if (!text.empty()) copy.append_child(pugi::node_pcdata).set_value(text.data(), text.size());
  for (ConstXmlElement child : element.Elements()) CopyInto(copy, child);
}

}  // namespace

XmlElement XmlDocument::RootElement() {
  if (store_) {
    const ElementStore::Index root = FirstElementOfTop(*store_);
    return root == ElementStore::kNone ? XmlElement() : XmlElement(store_.get(), root);
  }
  return XmlElement(doc_.document_element());
}

ConstXmlElement XmlDocument::RootElement() const { return const_cast<XmlDocument*>(this)->RootElement(); }

XmlElement XmlDocument::TopLevel() {
  return store_ ? XmlElement(store_.get(), ElementStore::kTop) : XmlElement(static_cast<pugi::xml_node>(doc_));
}

// The declaration and the root element: what a document is. Anything a
// document keeps beside its root for its own use is not part of it.
std::string XmlDocument::ToText() const {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  if (store_) {
    pugi::xml_document copy;
    if (const ConstXmlElement root = RootElement()) CopyInto(copy, root);
    copy.document_element().print(out, "  ", pugi::format_default, pugi::encoding_utf8);
  } else {
    doc_.document_element().print(out, "  ", pugi::format_default, pugi::encoding_utf8);
  }
  return out.str();
}

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The encoding named by the declaration at the start of the text; empty
// when there is none.
std::string DeclaredEncoding(std::string_view text) {
  if (text.substr(0, 5) != "<?xml") return {};
  const std::string_view declaration = text.substr(0, text.find("?>"));
  const std::size_t name = declaration.find("encoding");
  if (name == std::string_view::npos) return {};
  const std::size_t quote = declaration.find_first_of("\"'", name);
  if (quote == std::string_view::npos) return {};
  const std::size_t end = declaration.find(declaration[quote], quote + 1);
  if (end == std::string_view::npos) return {};
  return Lower(declaration.substr(quote + 1, end - quote - 1));
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); the five
// bytes it leaves undefined keep their Latin-1 meaning.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string EightBitToUtf8(std::string_view bytes, bool windows1252) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    AppendUtf8(out, windows1252 && byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t{byte});
  }
  return out;
}

const char* ParseStatusText(pugi::xml_parse_status status) {
  switch (status) {
    case pugi::status_file_not_found: return "fichier introuvable";
    case pugi::status_io_error: return "erreur de lecture";
    case pugi::status_out_of_memory: return "mémoire insuffisante";
    case pugi::status_unrecognized_tag: return "balise non reconnue";
    case pugi::status_bad_pi: return "instruction de traitement mal formée";
    case pugi::status_bad_comment: return "commentaire mal formé";
    case pugi::status_bad_cdata: return "section CDATA mal formée";
    case pugi::status_bad_doctype: return "déclaration de type de document mal formée";
    case pugi::status_bad_pcdata: return "texte mal formé";
    case pugi::status_bad_start_element: return "balise ouvrante mal formée";
    case pugi::status_bad_attribute: return "attribut mal formé";
    case pugi::status_bad_end_element: return "balise fermante mal formée";
    case pugi::status_end_element_mismatch: return "balise fermante sans balise ouvrante correspondante";
    case pugi::status_append_invalid_root: return "racine de document invalide";
    case pugi::status_no_document_element: return "le document n'a pas d'élément racine";
    default: return "document XML mal formé";
  }
}

XmlDocumentPtr CheckParsed(XmlDocumentPtr document, const pugi::xml_parse_result& result,
                           std::string_view origin) {
  if (!result) throw XmlError(std::string(origin) + " : " + ParseErrorText(result));
  if (!document->RootElement())
    throw XmlError(std::string(origin) + " : le document n'a pas d'élément racine");
  return document;
}

}  // namespace

std::string ParseErrorText(const pugi::xml_parse_result& result) {
  return std::string(ParseStatusText(result.status)) + " (octet " + std::to_string(result.offset) + ")";
}

std::string XmlTextAsUtf8(std::string_view bytes, std::string_view origin) {
  try {
    RefuseWideText(bytes, std::string(origin));
  } catch (const FileError& error) {
    throw XmlError(error.what());
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const std::string encoding = DeclaredEncoding(bytes);
  if (encoding.empty() || encoding == "utf-8" || encoding == "utf8" || encoding == "us-ascii" || encoding == "ascii")
    return std::string(bytes);
  if (encoding == "iso-8859-1" || encoding == "latin1" || encoding == "latin-1" || encoding == "l1")
    return EightBitToUtf8(bytes, false);
  if (encoding == "windows-1252" || encoding == "cp1252")
    return EightBitToUtf8(bytes, true);
  throw XmlError("« " + std::string(origin) + " » : encodage « " + encoding + " » non pris en charge.");
}

XmlDocumentPtr LoadXmlFile(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  return ParseXmlText(XmlTextAsUtf8(bytes, path), path);
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

void XmlDocument::KeepSource(std::shared_ptr<const std::string> source) {
  if (store_) store_->KeepSource(std::move(source));
}

XmlDocumentPtr CreateCompactXmlDocument(std::string_view rootTag) {
  auto store = std::make_unique<ElementStore>();
  const ElementStore::Index root = store->Make(store->Intern(rootTag));
  store->LinkLast(ElementStore::kTop, root);
  return std::make_shared<XmlDocument>(std::move(store));
}

void SaveXmlFile(const XmlDocument& document, const std::string& path) {
  WriteFileAtomically(path, document.ToText());
}

}  // namespace korvel
