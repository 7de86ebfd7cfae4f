#pragma once

// A small file system for the explorer tests, made in a temporary folder:
//
//   home/                 the home place
//     www/proj/           index.html, styles.css, notes.txt, .secret, img/photo.png, img/broken.png
//     www/empty/          a file, no sub-folder
//     docs/, .hidden/
//   media/cdrom/          a drive without medium
//   media/ann/USB/        a medium with a file
//
// The places are home/, the fixture's root standing for "/", and the USB
// medium; media/ is the media root.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "shell/shellplaces.h"

namespace korvel {

class ShellFixture {
 public:
  ShellFixture() {
    for (const char* folder : {"home/www/proj/img", "home/www/empty", "home/docs", "home/.hidden/inner",
                               "media/cdrom", "media/ann/USB"})
      QDir().mkpath(Path(QString::fromLatin1(folder)));
    for (const char* file : {"home/www/proj/index.html", "home/www/proj/styles.css", "home/www/proj/notes.txt",
                             "home/www/proj/.secret", "home/www/empty/only.txt", "media/ann/USB/data.txt"})
      Write(Path(QString::fromLatin1(file)), "x");
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(QColor(10, 200, 30));
    photo.save(Path(QStringLiteral("home/www/proj/img/photo.png")));
    Write(Path(QStringLiteral("home/www/proj/img/broken.png")), "not a picture");
  }

  /// The fixture's root, ending with "/", or a path below it.
  [[nodiscard]] QString Path(const QString& below = {}) const { return dir_.path() + QLatin1Char('/') + below; }
  [[nodiscard]] QString Home() const { return Path(QStringLiteral("home/")); }
  [[nodiscard]] QString Proj() const { return Path(QStringLiteral("home/www/proj/")); }
  [[nodiscard]] QString MediaRoot() const { return Path(QStringLiteral("media/")); }
  [[nodiscard]] QList<ShellPlace> Places() const {
    return {{QStringLiteral("Dossier personnel"), Home()},
            {QStringLiteral("Système de fichiers"), Path()},
            {QStringLiteral("USB"), Path(QStringLiteral("media/ann/USB/"))}};
  }

  static void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace korvel
