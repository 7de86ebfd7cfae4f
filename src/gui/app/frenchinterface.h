#pragma once

// The interface speaks French: Qt's own texts (the buttons of question
// boxes, the context menus of text fields) come from Qt's French
// translations, with the kinds of entries of the folder dialogs ("Dossier")
// that those leave out, and numbers and sorting follow the French locale.

#include <QFileDialog>

class QCoreApplication;

namespace korvel {

/// Sets the French locale as the default and installs Qt's French
/// translations ("qtbase_fr" in Qt's translations folder) on the
/// application. Returns false when the translations cannot be loaded (the
/// package that holds them is missing); the locale is set all the same.
bool InstallFrenchInterface(QCoreApplication& application);

/// The options of every folder dialog: Qt's own dialog, which speaks
/// French through the translations above, rather than the desktop's, which
/// speaks the user's language.
inline QFileDialog::Options FolderDialogOptions() {
  return QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog;
}

}  // namespace korvel
