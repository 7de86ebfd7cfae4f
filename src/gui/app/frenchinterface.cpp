#include "app/frenchinterface.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <utility>

namespace korvel {

namespace {

// What Qt's French translations leave in English: the type column of Qt's
// file dialogs takes its words from a context the translations do not have.
// Asked only after them.
class MissingQtTranslations final : public QTranslator {
 public:
  using QTranslator::QTranslator;
  [[nodiscard]] bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* sourceText, const char* disambiguation,
                    int n) const override {
    Q_UNUSED(disambiguation);
    Q_UNUSED(n);
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0 || sourceText == nullptr) return {};
    static const std::pair<const char*, const char*> kWords[] = {
        {"Folder", "Dossier"}, {"Drive", "Lecteur"}, {"File", "Fichier"}, {"%1 File", "Fichier %1"},
        {"Shortcut", "Raccourci"}, {"Unknown", "Inconnu"}};
    for (const auto& [english, french] : kWords)
      if (qstrcmp(sourceText, english) == 0) return QString::fromUtf8(french);
    return {};
  }
};

}  // namespace

bool InstallFrenchInterface(QCoreApplication& application) {
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  // Installed first, so asked last.
  QCoreApplication::installTranslator(new MissingQtTranslations(&application));
  auto* translator = new QTranslator(&application);
  if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace korvel
