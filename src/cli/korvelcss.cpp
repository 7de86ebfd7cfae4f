// korvel-css: reads a stylesheet and prints it as Korvel's save writes it.

#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "model/cssparser.h"
#include "model/csssyntaxcheck.h"
#include "model/csswriter.h"
#include "model/filebytes.h"

namespace {

constexpr std::string_view kUsage =
    "Usage : korvel-css [--xml] [-o SORTIE [--force]] FICHIER\n"
    "\n"
    "Lit la feuille de style FICHIER et l'écrit telle que Korvel l'enregistre.\n"
    "\n"
    "  (sans option)  écrit la feuille de style sur la sortie standard\n"
    "  --xml          écrit le modèle de la feuille (document XML) au lieu du CSS\n"
    "  -o SORTIE      écrit dans le fichier SORTIE (un nouveau fichier, puis un\n"
    "                 renommage : une erreur laisse l'ancien fichier intact) ;\n"
    "                 un fichier SORTIE en lecture seule n'est pas remplacé\n"
    "  --force        remplace SORTIE même s'il est en lecture seule\n"
    "  -h, --help     affiche cette aide\n"
    "  --version      affiche la version\n"
    "\n"
    "Les erreurs de syntaxe trouvées (chaîne, commentaire, parenthèse ou\n"
    "accolade non fermés) sont signalées sur la sortie d'erreur, avec leur ligne.\n"
    "\n"
    "Code de sortie : 0 en cas de succès, 1 si le fichier ne peut être lu ou\n"
    "écrit, 2 si les arguments sont incorrects.\n";

int UsageError(std::string_view message) {
  std::cerr << "korvel-css : " << message << "\nEssayez « korvel-css --help ».\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool xml = false;
  korvel::WriteOptions writeOptions;
  std::string output;
  std::string input;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "korvel-css " << KORVEL_VERSION << '\n';
      return 0;
    }
    if (arg == "--xml") {
      xml = true;
    } else if (arg == "--force") {
      writeOptions.replaceReadOnly = true;
    } else if (arg == "-o") {
      if (++i == argc) return UsageError("l'option -o demande un nom de fichier");
      output = argv[i];
    } else if (arg.size() > 1 && arg.front() == '-') {
      return UsageError("option inconnue « " + std::string(arg) + " »");
    } else if (!input.empty()) {
      return UsageError("un seul fichier à la fois");
    } else {
      input = arg;
    }
  }
  if (input.empty()) return UsageError("aucun fichier indiqué");
  if (writeOptions.replaceReadOnly && output.empty()) return UsageError("l'option --force va avec -o");

  try {
    const auto css = std::make_shared<const std::string>(korvel::ReadFileBytes(input));
    korvel::RefuseWideText(*css, input);
    korvel::StyleDocument document;
    try {
      document = korvel::ReadStylesheet(css);
    } catch (const korvel::StyleError& error) {
      throw korvel::FileError("« " + input + " » : " + error.what());
    }
    // What browsers ignore is kept as written; the user is told where.
    for (const korvel::SyntaxProblem& problem : korvel::FindSyntaxProblems(*css))
      std::cerr << "korvel-css : " << input << ", ligne " << problem.line << " : " << problem.what << '\n';
    const std::string text = xml ? document.Xml()->ToText() : korvel::Write(document);
    if (output.empty()) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      if (std::fflush(stdout) != 0) throw korvel::FileError("Impossible d'écrire sur la sortie standard");
    } else {
      korvel::WriteFileAtomically(output, text, writeOptions);
    }
  } catch (const korvel::ReadOnlyFileError& error) {
    std::cerr << "korvel-css : " << error.what() << " Utilisez --force pour le remplacer.\n";
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << "korvel-css : mémoire insuffisante pour lire « " << input << " ».\n";
    return 1;
  } catch (const std::exception& error) {
    std::cerr << "korvel-css : " << error.what() << '\n';
    return 1;
  }
  return 0;
}
