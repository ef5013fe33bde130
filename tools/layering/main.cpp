// layering: checks the includes of the tree against the table of allowed
// dependencies between its folders.
//   layering --rules FILE --root DIR [--generated DIR]
// Prints one line per problem, "PATH:LINE: what is wrong", and exits with 1
// when there is any, 2 when the table or the arguments cannot be used.
#include "layering.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
  std::string rulesPath;
  std::string root;
  std::string generated;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string* slot = arg == "--rules"       ? &rulesPath
                        : arg == "--root"      ? &root
                        : arg == "--generated" ? &generated
                                               : nullptr;
    if (!slot || i + 1 == argc) {
      std::fprintf(stderr, "usage: layering --rules FILE --root DIR [--generated DIR]\n");
      return 2;
    }
    *slot = argv[++i];
  }
  if (rulesPath.empty() || root.empty()) {
    std::fprintf(stderr, "usage: layering --rules FILE --root DIR [--generated DIR]\n");
    return 2;
  }
  std::ifstream in(rulesPath);
  if (!in) {
    std::fprintf(stderr, "layering: %s: cannot read the table\n", rulesPath.c_str());
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  layering::Rules rules;
  lvxtext::Error error;
  if (!layering::ParseRules(text.str(), rulesPath, &rules, &error)) {
    std::fprintf(stderr, "layering: %s\n", error.message.c_str());
    return 2;
  }
  const auto files = layering::CollectFiles(root, generated, rules);
  const auto problems = layering::Check(files, rules);
  for (const auto& problem : problems)
    std::printf("%s\n", problem.c_str());
  std::printf("layering: %zu files checked, %zu problems\n", files.size(), problems.size());
  return problems.empty() ? 0 : 1;
}
