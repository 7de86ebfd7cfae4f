#pragma once

// Points fontconfig at the tests' own configuration: a folder of known font
// files, and a home of its own so that no font of the user's joins them.
// Call it first thing in main, before fontconfig or Qt reads any font.

#include <QTemporaryDir>
#include <QtGlobal>

namespace korvel {

inline void UseFixtureFonts() {
  static QTemporaryDir home;
  qputenv("FONTCONFIG_FILE", KORVEL_FONTS_CONF);
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
}

}  // namespace korvel
