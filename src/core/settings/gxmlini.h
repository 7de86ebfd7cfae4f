#pragma once

// The per-project settings file: the main window's place and size, the sizes
// of its panes and the project's paths, kept in a small XML file in the
// project folder.
//
//   <Document>
//     <Object Type="Form" Name="MainForm">
//       <Left>100</Left><Top>100</Top><Width>700</Width><Height>500</Height>
//     </Object>
//     <Object Type="CSSFilePath"><Path>/www/proj/styles.css</Path></Object>
//     <Object Type="LocalServer"><Value>false</Value></Object>
//   </Document>
//
// Neither the root's tag nor the children's tags are looked at when reading:
// every child of the root with the right Type (and, for the kinds tied to a
// control, the right Name) is an entry of that setting.

#include <string>
#include <string_view>
#include <vector>

#include "model/xmldocument.h"
#include "settings/settingscontrol.h"

namespace korvel {

/// The kinds of setting, as stored in the Type attribute.
namespace settingkind {
// Tied to a control, whose name is stored in the Name attribute.
inline constexpr std::string_view kForm = "Form";                    // Left, Top, Width, Height
inline constexpr std::string_view kPanel = "Panel";                  // Width, Height
inline constexpr std::string_view kPageControl = "PageControl";      // Width, Height
inline constexpr std::string_view kMemo = "Memo";                    // Left, Top, Width, Height
inline constexpr std::string_view kButtonDirPath = "ButtonDirPath";  // Path
inline constexpr std::string_view kViewMode = "ViewMode";            // Value: a folder view's mode, 0 to 5
// Not tied to a control.
inline constexpr std::string_view kLocalServer = "LocalServer";  // Value
inline constexpr std::string_view kProjectFolderPath = "ProjectFolderPath";
inline constexpr std::string_view kLocalServerProjPath = "LocalServerProjPath";
inline constexpr std::string_view kHTMLFilePath = "HTMLFilePath";
inline constexpr std::string_view kCSSFilePath = "CSSFilePath";
inline constexpr std::string_view kImagesFolder = "ImagesFolder";  // all five: Path
}  // namespace settingkind

/// The settings file of the current project. One object serves the whole
/// program; it is pointed at a project's file with Open, and every write
/// saves the whole file at once (a new file beside it, then a rename), so
/// the file on disk is always up to date. A write changes only the values it
/// stores: the comments and layout of a hand-edited file are kept, and a new
/// entry goes on a line of its own. Numbers may have blanks around them.
///
/// Failures: Open raises the loading error (XmlError for a malformed file,
/// FileError for one that cannot be read or created) and leaves nothing open,
/// so no later write can touch that file. A write raises FileError when the
/// file cannot be saved. Reading a geometry whose number is missing or not a
/// decimal integer raises XmlError.
class GXMLIni final {
 public:
  GXMLIni() = default;
  GXMLIni(const GXMLIni&) = delete;
  GXMLIni& operator=(const GXMLIni&) = delete;

  /// The path of the open file; empty while nothing is open.
  [[nodiscard]] const std::string& FileName() const { return fileName_; }
  [[nodiscard]] bool IsOpen() const { return document_ != nullptr; }

  /// Opens the settings file at the path, creating it with an empty
  /// "Document" root when nothing is there, and drops the one opened before.
  void Open(const std::string& path);
  /// Writes a settings file with an empty "Document" root to the path.
  static void CreateNew(const std::string& path);

  /// For "Form" and "Memo", sets the control's bounds in one call; for
  /// "Panel" and "PageControl", its width, then its height; each matching
  /// entry is applied in turn, so the last one wins, and the result is "".
  /// For the other kinds, the text stored in the last matching entry, or ""
  /// when none matches. An unknown kind, or nothing open, reads as "".
  /// The control is needed for the kinds tied to one and ignored otherwise;
  /// std::invalid_argument when it is missing.
  std::string ReadValue(std::string_view kind, SettingsControl* control = nullptr) const;

  /// Stores the setting and saves the whole file. The geometry kinds take
  /// their numbers from the control and ignore the value. Every entry that
  /// a read would apply takes the new value; when there is none, an
  /// "Object" is added. An unknown kind stores nothing, but the file is still
  /// saved. Nothing happens while nothing is open or once the program is
  /// terminating. std::invalid_argument when a needed control is missing.
  void WriteValue(const SettingsControl* control, std::string_view kind, std::string_view value = {});

  /// Set by the owner when the program is shutting down: geometry changes
  /// made then are not stored.
  void SetTerminating(bool terminating) { terminating_ = terminating; }
  [[nodiscard]] bool Terminating() const { return terminating_; }

 private:
  std::string fileName_;
  XmlDocumentPtr document_;
  std::vector<std::string> outerBlanks_;  // the file's blanks around the root, which the document does not keep
  bool terminating_ = false;
};

}  // namespace korvel
