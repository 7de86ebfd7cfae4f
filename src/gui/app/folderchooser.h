#pragma once

// Asking the user for a folder. Every place that asks goes through
// ChooseFolder, which hands the question to the chooser the program
// installed: the program installs Qt's folder dialog, in French; tests
// install one that answers from a list prepared in advance, so that no
// dialog ever waits for a user during a test.

#include <QPointer>
#include <QString>
#include <QWidget>

namespace korvel {

/// Answers the question "which folder?".
class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  /// The folder the user chose, the dialog captioned `caption` and opened
  /// in `start`; "" when the user cancelled.
  virtual QString ChooseFolder(const QString& caption, const QString& start) = 0;
};

/// The program's chooser: Qt's own folder dialog (FolderDialogOptions), over
/// the given window.
class FolderDialogChooser final : public FolderChooser {
 public:
  explicit FolderDialogChooser(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  QString ChooseFolder(const QString& caption, const QString& start) override;

 private:
  QPointer<QWidget> parent_;
};

/// Asks the installed chooser. With none installed nothing is shown and the
/// answer is "" (as if the user cancelled).
[[nodiscard]] QString ChooseFolder(const QString& caption, const QString& start);

/// Installs a chooser for as long as this object lives, then puts back the
/// one installed before. Used on the user-interface thread only.
class ScopedFolderChooser final {
 public:
  explicit ScopedFolderChooser(FolderChooser& chooser);
  ~ScopedFolderChooser();
  ScopedFolderChooser(const ScopedFolderChooser&) = delete;
  ScopedFolderChooser& operator=(const ScopedFolderChooser&) = delete;

 private:
  FolderChooser* previous_;
};

}  // namespace korvel
