#include "model/imageimport.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "model/filebytes.h"
#include "files/gfile.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Decoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

fs::path Normal(std::string_view path) { return fs::path(path).lexically_normal(); }

// The folder as a path with no trailing separator, so that it compares with
// the parent paths of files.
fs::path Folder(std::string_view folder) {
  fs::path normal = Normal(folder);
  if (!normal.has_filename() && normal != normal.root_path()) normal = normal.parent_path();
  return normal;
}

std::string FileNameOf(std::string_view path) { return fs::path(path).filename().string(); }

}  // namespace

std::string ResolveImageAddress(std::string_view address, std::string_view folder) {
  std::string_view text = Trimmed(address);
  if (const std::size_t cut = text.find_first_of("?#"); cut != std::string_view::npos) text = text.substr(0, cut);
  const std::string relative = Decoded(text);
  if (relative.empty()) {
    std::string base = Folder(folder).string();
    if (base.empty() || base.back() != '/') base += '/';
    return base;
  }
  return (Folder(folder) / relative).lexically_normal().string();
}

std::string StylesheetUrl(std::string_view folder, std::string_view target) {
  const std::string address = Normal(target).lexically_relative(Folder(folder)).generic_string();
  if (address.find_first_of(" \t\"'()\\") == std::string::npos) return "url(" + address + ")";
  std::string quoted;
  for (char c : address) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return "url(\"" + quoted + "\")";
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
  const fs::path base = Folder(folder);
  const fs::path relative = Normal(path).lexically_relative(base);
  if (relative.empty() || relative == ".") return false;
  return *relative.begin() != "..";
}

bool SameFileContent(const std::string& a, const std::string& b) {
  std::error_code error;
  if (!fs::is_regular_file(a, error) || !fs::is_regular_file(b, error)) return false;
  if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
  try {
    return ReadFileBytes(a) == ReadFileBytes(b);
  } catch (const FileError&) {
    return false;
  }
}

ImportPlan PlanImport(std::string_view source, std::string_view imagesFolder, std::string_view projectFolder) {
  const std::string from = Normal(source).string();
  if (imagesFolder.empty()) {
    if (IsInsideFolder(from, projectFolder)) return {ImportStep::UseInPlace, from};
    return {ImportStep::AskFolder, {}};
  }
  const std::string target = (Folder(imagesFolder) / FileNameOf(from)).string();
  if (target == from) return {ImportStep::UseInPlace, target};
  std::error_code error;
  if (!fs::exists(fs::symlink_status(target, error))) return {ImportStep::Copy, target};
  if (SameFileContent(from, target)) return {ImportStep::AlreadyThere, target};
  return {ImportStep::AskSameName, target};
}

void CopyImage(const std::string& source, const std::string& target) {
  const std::string why = "L'image " + ("« " + source + " »") + " n'a pas pu être copiée vers « " + target + " » : ";
  try {
    std::error_code error;
    const fs::path folder = fs::path(target).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
      fs::create_directories(folder, error);
      if (error) throw FileError("le dossier « " + folder.string() + " » ne peut pas être créé.");
    }
    WriteFileAtomically(target, ReadFileBytes(source), WriteOptions{});
  } catch (const FileError& error) {
    throw FileError(why + error.what());
  }
}

std::string CopyToScratch(const std::string& source, const std::string& scratchFolder) {
  const std::string target = (Folder(scratchFolder) / FileNameOf(source)).string();
  if (SameFileContent(source, target)) return target;
  GFile::DeleteFiles(Folder(scratchFolder).string());
  CopyImage(source, target);
  return target;
}

}  // namespace korvel
