#include "settings/gxmlini.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "model/filebytes.h"

namespace korvel {

namespace {

constexpr std::string_view kRootTag = "Document";
constexpr std::string_view kEntryTag = "Object";
constexpr std::string_view kTypeAttr = "Type";
constexpr std::string_view kNameAttr = "Name";

enum class Shape {
  kBounds,  // Left, Top, Width, Height, applied in one call
  kSize,    // Width, then Height
  kText,    // one child holding the text
};

struct Kind {
  std::string_view type;
  bool tiedToControl;
  Shape shape;
  std::string_view textTag;  // for Shape::kText
};

constexpr std::array<std::string_view, 4> kBoundsTags = {"Left", "Top", "Width", "Height"};
constexpr std::array<std::string_view, 2> kSizeTags = {"Width", "Height"};

constexpr std::array<Kind, 12> kKinds = {{
    {settingkind::kForm, true, Shape::kBounds, {}},
    {settingkind::kPanel, true, Shape::kSize, {}},
    {settingkind::kPageControl, true, Shape::kSize, {}},
    {settingkind::kMemo, true, Shape::kBounds, {}},
    {settingkind::kButtonDirPath, true, Shape::kText, "Path"},
    {settingkind::kViewMode, true, Shape::kText, "Value"},
    {settingkind::kLocalServer, false, Shape::kText, "Value"},
    {settingkind::kProjectFolderPath, false, Shape::kText, "Path"},
    {settingkind::kLocalServerProjPath, false, Shape::kText, "Path"},
    {settingkind::kHTMLFilePath, false, Shape::kText, "Path"},
    {settingkind::kCSSFilePath, false, Shape::kText, "Path"},
    {settingkind::kImagesFolder, false, Shape::kText, "Path"},
}};

const Kind* FindKind(std::string_view type) {
  for (const Kind& kind : kKinds)
    if (kind.type == type) return &kind;
  return nullptr;
}

void RequireControl(const Kind& kind, const SettingsControl* control) {
  if (kind.tiedToControl && control == nullptr)
    throw std::invalid_argument("Le réglage « " + std::string(kind.type) +
                                " » se rapporte à un contrôle, et aucun n'est donné.");
}

// Reading and writing must agree on which entries are the setting's, or a
// written value would not be the one read back.
std::vector<XmlElement> EntriesOf(XmlDocument& document, const Kind& kind, const std::string& controlName) {
  std::vector<XmlElement> entries;
  for (XmlElement entry : document.RootElement().Elements()) {
    if (!(entry.GetAttr(kTypeAttr) == kind.type)) continue;
    if (kind.tiedToControl && !(entry.GetAttr(kNameAttr) == controlName)) continue;
    entries.push_back(entry);
  }
  return entries;
}

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

int PixelsOf(XmlElement entry, std::string_view tag, const Kind& kind, const std::string& controlName,
             const std::string& fileName) {
  const std::string where = "Réglages « " + fileName + " », " + std::string(kind.type) + " « " + controlName + " » : ";
  const XmlElement child = entry.FindChild(tag);
  if (!child) throw XmlError(where + "la valeur " + std::string(tag) + " manque.");
  // A pretty-printed file may hold " 120 " or the number on a line of its own.
  const std::string_view text = Trimmed(child.TextOf());
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    throw XmlError(where + std::string(tag) + " « " + std::string(text) + " » n'est pas un nombre entier valide.");
  return number;
}

// The file is read with its comments, its declaration and the blanks between
// elements, and written back raw: a hand-edited file keeps its layout, and a
// write changes only the values it stores.
constexpr unsigned kKeepEverything = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol;

bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The engine keeps no text outside the root element, so the blanks before
// each node at that level (declaration, comments, root) and at the end of the
// file are taken from the bytes read.
std::vector<std::string> BlanksAroundTopNodes(const pugi::xml_document& document, std::string_view bytes) {
  std::vector<std::string> blanks;
  for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
    std::size_t open = std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(node.offset_debug(), 0)), bytes.size());
    while (open > 0 && bytes[open] != '<') --open;
    std::size_t start = open;
    while (start > 0 && IsXmlBlank(bytes[start - 1])) --start;
    blanks.emplace_back(bytes.substr(start, open - start));
  }
  std::size_t end = bytes.size();
  while (end > 0 && IsXmlBlank(bytes[end - 1])) --end;
  blanks.emplace_back(bytes.substr(end));
  return blanks;
}

std::string LaidOutText(const XmlDocument& document, const std::vector<std::string>& blanks) {
  std::ostringstream out;
  std::size_t index = 0;
  const pugi::xml_node top = document.RootElement().Node().parent();
  for (pugi::xml_node node = top.first_child(); node; node = node.next_sibling(), ++index) {
    out << (index + 1 < blanks.size() ? blanks[index] : (index == 0 ? "" : "\n"));
    node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
  }
  out << (index + 1 == blanks.size() ? blanks.back() : "\n");
  return out.str();
}

bool IsBlank(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata && Trimmed(node.value()).empty();
}

// A new entry goes on a line of its own, indented as the file's first entry
// is, with one child element per line below it.
XmlElement AppendEntry(XmlElement root, const std::vector<std::string_view>& childTags) {
  pugi::xml_node parent = root.Node();
  std::string indent = "\n  ";
  if (IsBlank(parent.first_child()) && parent.first_child().next_sibling()) indent = parent.first_child().value();
  pugi::xml_node closing = IsBlank(parent.last_child()) ? parent.last_child() : pugi::xml_node();
  if (!closing) {
    closing = parent.append_child(pugi::node_pcdata);
    closing.set_value("\n");
  }
  parent.insert_child_before(pugi::node_pcdata, closing).set_value(indent.c_str());
  XmlElement entry(parent.insert_child_before(pugi::node_element, closing));
  entry.Node().set_name(std::string(kEntryTag).c_str());
  for (const std::string_view tag : childTags) {
    entry.Node().append_child(pugi::node_pcdata).set_value((indent + "  ").c_str());
    entry.AppendChild(tag);
  }
  if (!childTags.empty()) entry.Node().append_child(pugi::node_pcdata).set_value(indent.c_str());
  return entry;
}

}  // namespace

void GXMLIni::Open(const std::string& path) {
  // Whatever happens below, the file opened before is no longer the one to
  // write to; and when this one cannot be loaded, no later write may replace
  // it with another project's settings.
  fileName_.clear();
  document_.reset();

  // A dangling link is not "nothing there": loading it reports the fault
  // instead of replacing the link with a new file.
  std::error_code ignored;
  if (std::filesystem::symlink_status(path, ignored).type() == std::filesystem::file_type::not_found) CreateNew(path);
  // Saved again, the file is UTF-8 whatever it declared before.
  const std::string bytes = XmlTextAsUtf8(ReadFileBytes(path), path);
  auto document = std::make_shared<XmlDocument>();
  const pugi::xml_parse_result result =
      document->Engine().load_buffer(bytes.data(), bytes.size(), kKeepEverything, pugi::encoding_utf8);
  if (!result) throw XmlError(path + " : " + ParseErrorText(result));
  for (pugi::xml_node node = document->Engine().first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_declaration && node.attribute("encoding"))
      node.attribute("encoding").set_value("UTF-8");
  }
  if (!document->RootElement()) throw XmlError(path + " : le document n'a pas d'élément racine");
  outerBlanks_ = BlanksAroundTopNodes(document->Engine(), bytes);
  document_ = std::move(document);
  fileName_ = path;
}

void GXMLIni::CreateNew(const std::string& path) { SaveXmlFile(*CreateXmlDocument(kRootTag), path); }

std::string GXMLIni::ReadValue(std::string_view type, SettingsControl* control) const {
  const Kind* kind = FindKind(type);
  if (kind == nullptr) return {};
  RequireControl(*kind, control);
  if (!document_) return {};

  const std::string controlName = kind->tiedToControl ? control->Name() : std::string();
  std::string result;
  for (XmlElement entry : EntriesOf(*document_, *kind, controlName)) {
    switch (kind->shape) {
      case Shape::kBounds: {
        std::array<int, kBoundsTags.size()> n{};
        for (std::size_t i = 0; i < n.size(); ++i)
          n[i] = PixelsOf(entry, kBoundsTags[i], *kind, controlName, fileName_);
        control->SetBounds(n[0], n[1], n[2], n[3]);
        break;
      }
      case Shape::kSize: {
        const int width = PixelsOf(entry, kSizeTags[0], *kind, controlName, fileName_);
        const int height = PixelsOf(entry, kSizeTags[1], *kind, controlName, fileName_);
        control->SetWidth(width);
        control->SetHeight(height);
        break;
      }
      case Shape::kText: {
        const XmlElement child = entry.FindChild(kind->textTag);
        result = child ? std::string(child.TextOf()) : std::string();
        break;
      }
    }
  }
  return result;
}

void GXMLIni::WriteValue(const SettingsControl* control, std::string_view type, std::string_view value) {
  const Kind* kind = FindKind(type);
  if (kind != nullptr) RequireControl(*kind, control);
  if (!document_ || terminating_) return;

  if (kind != nullptr) {
    const std::string controlName = kind->tiedToControl ? control->Name() : std::string();
    std::vector<std::pair<std::string_view, std::string>> values;
    switch (kind->shape) {
      case Shape::kBounds:
        values = {{kBoundsTags[0], std::to_string(control->Left())},
                  {kBoundsTags[1], std::to_string(control->Top())},
                  {kBoundsTags[2], std::to_string(control->Width())},
                  {kBoundsTags[3], std::to_string(control->Height())}};
        break;
      case Shape::kSize:
        values = {{kSizeTags[0], std::to_string(control->Width())}, {kSizeTags[1], std::to_string(control->Height())}};
        break;
      case Shape::kText:
        values = {{kind->textTag, std::string(value)}};
        break;
    }

    std::vector<XmlElement> entries = EntriesOf(*document_, *kind, controlName);
    if (entries.empty()) {
      std::vector<std::string_view> tags;
      for (const auto& [tag, text] : values) tags.push_back(tag);
      XmlElement entry = AppendEntry(document_->RootElement(), tags);
      entry.SetAttr(kTypeAttr, kind->type);
      if (kind->tiedToControl) entry.SetAttr(kNameAttr, controlName);
      entries.push_back(entry);
    }
    for (XmlElement entry : entries)
      for (const auto& [tag, text] : values) entry.ChildByTag(tag).SetTextOf(text);
  }
  WriteFileAtomically(fileName_, LaidOutText(*document_, outerBlanks_));
}

}  // namespace korvel
