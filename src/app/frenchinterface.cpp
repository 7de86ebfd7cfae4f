#include "app/frenchinterface.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace korvel {

bool InstallFrenchInterface(QCoreApplication& application) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  auto* translator = new QTranslator(&application);
  if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace korvel
