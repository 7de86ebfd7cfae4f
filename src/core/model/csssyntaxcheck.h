#pragma once

// Finds the syntax errors of a stylesheet that make browsers ignore part of
// it: a string, comment, parenthesis or brace left open, a "}" that closes
// nothing. The model keeps such text as it was read; the user is told where
// it is, so that the file can be mended by hand.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

struct SyntaxProblem {
  std::size_t line = 0;  ///< 1-based line where the faulty text starts
  std::string what;      ///< French, ready to show ("chaîne non fermée")
  friend bool operator==(const SyntaxProblem&, const SyntaxProblem&) = default;
};

/// The problems of the text in line order, at most `limit` of them. One pass,
/// linear in the size of the text.
std::vector<SyntaxProblem> FindSyntaxProblems(std::string_view css, std::size_t limit = 20);

/// One French message listing the first problems with their line numbers;
/// empty when there are none.
std::string DescribeSyntaxProblems(const std::vector<SyntaxProblem>& problems, std::size_t shown = 5);

}  // namespace korvel
