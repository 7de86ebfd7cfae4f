#include "model/csswriter.h"

#include "model/cssname.h"

namespace korvel {

namespace {


// Text inside a comment must not end it: "*/" becomes "*\/", which reads the
// same inside a CSS string or url once the property is switched on again.
void AppendInComment(std::string& out, std::string_view text) {
  std::size_t begin = 0;
  for (std::size_t end; (end = text.find("*/", begin)) != std::string_view::npos; begin = end + 2) {
    out.append(text.substr(begin, end - begin));
    out.append("*\\/");
  }
  out.append(text.substr(begin));
}

void AppendComment(std::string& out, std::string_view text) {
  out += "/*";
  AppendInComment(out, text);
  out += "*/";
}

// A property's attributes, read in one pass over them: asking for each one
// by name walks the list and measures every name again.
struct PropAttrs {
  AttrValue name;
  AttrValue value;
  AttrValue checked;
  AttrValue deleted;
  AttrValue comment;

  explicit PropAttrs(ConstXmlElement prop) {
    prop.ForEachAttr([this](std::string_view key, std::string_view text) {
      AttrValue* slot = nullptr;
      if (key == attrs::kName) {
        slot = &name;
      } else if (key == attrs::kValue) {
        slot = &value;
      } else if (key == attrs::kChecked) {
        slot = &checked;
      } else if (key == attrs::kDeleted) {
        slot = &deleted;
      } else if (key == attrs::kComment) {
        slot = &comment;
      }
      // The first attribute of a name counts, as for GetAttr.
      if (slot && slot->IsAbsent()) *slot = AttrValue(text);
    });
  }
};

void AppendSwitchedOffDeclaration(std::string& out, std::string_view name, std::string_view value) {
  AppendInComment(out, name);
  out += ": ";
  AppendInComment(out, value);
  out += BeforeWhatFollows(value);
  out += "; ";
}

void WriteDeclaration(std::string& out, std::string_view name, std::string_view value) {
  out.append(name).append(": ").append(value).append(BeforeWhatFollows(value)).append(";");
}

void WriteProp(std::string& out, ConstXmlElement element, std::string_view eol, std::string_view indent = " ") {
  const PropAttrs prop(element);
  if (prop.deleted.IsTrue()) return;
  const std::string_view name = prop.name.View();
  const std::string_view value = prop.value.View();
  out += indent;
  if (prop.checked.AsBool()) {
    // The earlier declarations of the name come first, as they were read:
    // browsers that do not know the value in force use them.
    // A property's only children are its fallbacks.
    for (ConstXmlElement fallback = element.FirstChild(); fallback; fallback = fallback.NextSibling()) {
      WriteDeclaration(out, name, fallback.GetAttr(attrs::kValue).View());
      out += eol;
      out += indent;
    }
    WriteDeclaration(out, name, value);
  } else {
    out += SwitchedOffText(element);
  }
  if (!prop.comment.IsAbsent() && !prop.comment.View().empty()) AppendComment(out, prop.comment.View());
  out += eol;
}

}  // namespace

bool EndsInsideStringOrUrl(std::string_view text) {
  // Read from the start: a comment may open on an earlier line, and quotes
  // inside a comment open no string. A line end ends a string or url.
  char quote = 0;
  bool url = false;
  bool comment = false;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (comment) {
      if (c == '*' && pos + 1 < text.size() && text[pos + 1] == '/') {
        comment = false;
        ++pos;
      }
    } else if (c == '\\') {
      // An escaped CR LF is one escaped line end, as the reading takes it.
      pos += pos + 2 < text.size() && text[pos + 1] == '\r' && text[pos + 2] == '\n' ? 2 : 1;
    } else if (c == '\r' || c == '\n' || c == '\f') {
      quote = 0;
      url = false;
    } else if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (url) {
      if (c == ')') url = false;
    } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
      comment = true;
      ++pos;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' && pos >= 3 && (text[pos - 3] | 0x20) == 'u' && (text[pos - 2] | 0x20) == 'r' &&
               (text[pos - 1] | 0x20) == 'l' && (pos == 3 || !IsNameCharacter(text[pos - 4]))) {
      std::size_t inside = pos + 1;
      while (inside < text.size() && (text[inside] == ' ' || text[inside] == '\t')) ++inside;
      url = inside == text.size() || (text[inside] != '"' && text[inside] != '\'');
    }
  }
  return quote != 0 || url;
}

std::string PropText(ConstXmlElement prop) {
  std::string out;
  WriteProp(out, prop, "\r\n");
  // Without the blank the writer puts before each line, and the last line end.
  out.erase(0, 1);
  out.resize(out.size() - 2);
  return out;
}

namespace {

void WriteVerbatim(std::string& out, ConstXmlElement verbatim, std::string_view indent, std::string_view eol) {
  out += indent;
  out += verbatim.TextOf();
  out += BeforeWhatFollows(verbatim.TextOf());
  out += eol;
}

// Each level of blocks and nested rules indents its lines one step more.
constexpr std::string_view kStep = " ";

void WriteRule(std::string& out, ConstXmlElement rule, std::string_view eol, const std::string& indent = {}) {
  const std::string_view name = rule.GetAttr(attrs::kName).View();
  if (name.empty()) {
    const AttrValue comment = rule.GetAttr(attrs::kComment);
    const bool hasText = !comment.IsAbsent() && !comment.View().empty();
    if (hasText) {
      out += indent;
      AppendComment(out, comment.View());
      out += eol;
    }
    // A free comment holds nothing else; an empty one writes nothing.
    if (hasText || rule.ChildCount() == 0) return;
  }
  out.append(indent).append(name).append(BeforeWhatFollows(name));
  if (const AttrValue comment = rule.GetAttr(attrs::kComment); !comment.IsAbsent() && !comment.View().empty()) {
    // Behind a string or url its line end cuts, the comment would be read
    // as part of it: it goes on the next line.
    if (EndsInsideStringOrUrl(name)) {
      out += eol;
    } else {
      out += ' ';
    }
    AppendComment(out, comment.View());
  }
  out.append(eol).append(indent).append("{").append(eol);
  const std::string inner = indent + std::string(kStep);
  for (ConstXmlElement child : rule.Elements()) {
    if (IsProp(child)) {
      WriteProp(out, child, eol, inner);
    } else if (IsVerbatim(child)) {
      WriteVerbatim(out, child, inner, eol);
    } else if (IsRule(child)) {
      // A nested rule, among the declarations: no empty line after it.
      WriteRule(out, child, eol, inner);
      out.resize(out.size() - eol.size());
    }
  }
  out.append(indent).append("}").append(eol).append(eol);
}

void WriteChildren(std::string& out, ConstXmlElement container, std::string_view eol, const std::string& indent);

// A block of rules: its prelude, then its rules one step in.
void WriteBlock(std::string& out, ConstXmlElement block, std::string_view eol, const std::string& indent) {
  const std::string_view prelude = block.GetAttr(attrs::kName).View();
  out.append(indent).append(prelude).append(BeforeWhatFollows(prelude)).append(eol);
  out.append(indent).append("{").append(eol);
  WriteChildren(out, block, eol, indent + std::string(kStep));
  // No empty line before the block's "}".
  if (out.ends_with(std::string(eol) + std::string(eol))) out.resize(out.size() - eol.size());
  out.append(indent).append("}").append(eol).append(eol);
}

void WriteChildren(std::string& out, ConstXmlElement container, std::string_view eol, const std::string& indent) {
  for (ConstXmlElement child : container.Elements()) {
    if (IsRule(child)) {
      WriteRule(out, child, eol, indent);
    } else if (IsBlock(child)) {
      WriteBlock(out, child, eol, indent);
    } else if (IsVerbatim(child)) {
      WriteVerbatim(out, child, indent, eol);
      // A block is followed by an empty line, as rules are; a statement is not.
      if (child.TextOf().ends_with('}')) out += eol;
    }
  }
}

// The document holds the line ends inside its texts (comments, statements
// kept as written, values over several lines) as CR LF; in a file written
// with LF they become LF too.
void DropCarriageReturns(std::string& out) {
  // From one CR to the next, the text between moves down in one block.
  std::size_t to = out.find('\r');
  if (to == std::string::npos) return;
  std::size_t from = to;
  while (from < out.size()) {
    std::size_t next = out.find('\r', from + 1);
    if (next == std::string::npos) next = out.size();
    const bool lineEnd = from + 1 < out.size() && out[from + 1] == '\n';
    const std::size_t begin = lineEnd ? from + 1 : from;
    out.replace(to, next - begin, out, begin, next - begin);
    to += next - begin;
    from = next;
  }
  out.resize(to);
}

// In a file written with CR alone, the CR LF inside the texts become CR.
void DropLineFeedsAfterCarriageReturns(std::string& out) {
  std::size_t to = out.find("\r\n");
  if (to == std::string::npos) return;
  for (std::size_t from = to; from < out.size(); ++from) {
    if (out[from] == '\n' && from > 0 && out[from - 1] == '\r') continue;
    out[to++] = out[from];
  }
  out.resize(to);
}

}  // namespace

std::string SwitchedOffText(ConstXmlElement prop) {
  const std::string_view name = prop.GetAttr(attrs::kName).View();
  std::string out = "/*";
  // A property's only children are its fallbacks.
  for (ConstXmlElement fallback = prop.FirstChild(); fallback; fallback = fallback.NextSibling())
    AppendSwitchedOffDeclaration(out, name, fallback.GetAttr(attrs::kValue).View());
  AppendSwitchedOffDeclaration(out, name, prop.GetAttr(attrs::kValue).View());
  out += "*/";
  return out;
}

std::string Write(const StyleDocument& document) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  using LineEnd = StyleDocument::LineEnd;
  const LineEnd lineEnds = document.LineEnds();
  const std::string_view eol = lineEnds == LineEnd::Lf ? "\n" : lineEnds == LineEnd::Cr ? "\r" : "\r\n";
  std::string out;
  if (document.HasByteOrderMark()) out += kByteOrderMark;
  WriteChildren(out, document.Root(), eol, {});
  // Text that starts with those bytes without being a byte-order mark (it
  // stood further down in the file read) would read back as one.
  if (!document.HasByteOrderMark() && out.starts_with(kByteOrderMark)) out.insert(0, eol);
  if (lineEnds == LineEnd::Lf) DropCarriageReturns(out);
  if (lineEnds == LineEnd::Cr) DropLineFeedsAfterCarriageReturns(out);
  return out;
}

// Text that ends in a lone backslash (cut off by the end of the file) would
// escape what is written after it, the ";" of a value or the line end after
// a selector; a blank between them is escaped instead, and trimmed off when
// the text is read back.
std::string_view BeforeWhatFollows(std::string_view text) { return EndsWithLoneBackslash(text) ? " " : ""; }

bool EndsWithLoneBackslash(std::string_view text) {
  const std::size_t last = text.find_last_not_of('\\');
  return (text.size() - (last == std::string_view::npos ? 0 : last + 1)) % 2 == 1;
}

}  // namespace korvel
