#include "app/folderchooser.h"

#include <QFileDialog>

#include "app/frenchinterface.h"

namespace korvel {

namespace {

FolderChooser* installedChooser = nullptr;

}  // namespace

QString FolderDialogChooser::ChooseFolder(const QString& caption, const QString& start) {
  return QFileDialog::getExistingDirectory(parent_, caption, start, FolderDialogOptions());
}

QString ChooseFolder(const QString& caption, const QString& start) {
  return installedChooser ? installedChooser->ChooseFolder(caption, start) : QString();
}

ScopedFolderChooser::ScopedFolderChooser(FolderChooser& chooser) : previous_(installedChooser) {
  installedChooser = &chooser;
}

ScopedFolderChooser::~ScopedFolderChooser() { installedChooser = previous_; }

}  // namespace korvel
