#include "app/frenchinterface.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <utility>

namespace korvel {

namespace {

// The kinds of entries the folder dialogs list in their "Type" column, which
// Qt's French translations leave in English.
class FileKindTranslator final : public QTranslator {
 public:
  using QTranslator::QTranslator;
  [[nodiscard]] bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override {
    Q_UNUSED(disambiguation);
    Q_UNUSED(n);
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0 || sourceText == nullptr) return {};
    static const std::pair<const char*, const char*> kKinds[] = {
        {"Folder", "Dossier"}, {"Drive", "Lecteur"}, {"Shortcut", "Raccourci"}, {"Unknown", "Inconnu"}};
    for (const auto& [english, french] : kKinds)
      if (qstrcmp(sourceText, english) == 0) return QString::fromUtf8(french);
    return {};
  }
};

}  // namespace

bool InstallFrenchInterface(QCoreApplication& application) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  QCoreApplication::installTranslator(new FileKindTranslator(&application));
  auto* translator = new QTranslator(&application);
  if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace korvel
