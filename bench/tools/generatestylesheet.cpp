// korvel-generate-stylesheet: writes the benchmarks' generated stylesheet to
// a file, for timing whole programs on it (korvel-css and other parsers).

#include <cstdlib>
#include <iostream>
#include <string>

#include "model/filebytes.h"
#include "stylesheetgenerator.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Usage : korvel-generate-stylesheet OCTETS SORTIE\n";
    return 2;
  }
  const std::size_t bytes = std::strtoull(argv[1], nullptr, 10);
  try {
    korvel::WriteFileAtomically(argv[2], korvel::bench::StylesheetGenerator().Generate(bytes));
  } catch (const std::exception& error) {
    std::cerr << "korvel-generate-stylesheet : " << error.what() << '\n';
    return 1;
  }
  return 0;
}
