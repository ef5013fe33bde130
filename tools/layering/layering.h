#pragma once
// The layering checker: reads the table of allowed dependencies between the
// tree's folders, resolves every `#include "..."` of every source and header
// to the file it names, and reports each include the table does not allow
// and each include cycle between the headers of one folder.
#include "lvxtext/error.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace layering {

// The table, as read from its text form (see tools/layering/rules.txt):
//   unit NAME FOLDER...         the files under FOLDER belong to NAME; the
//                               longest matching folder (or file) wins
//   allow NAME -> NAME...       NAME's files may include these units' files
//   tests NAME -> NAME...       NAME's test files may also include these
//   test-folders NAME...        folders whose files are test files
//   skip FOLDER...              folders that are not checked
// A unit may always include its own files. Folders are relative to the tree's
// root; "@gen" names the folder of generated sources.
struct Rules {
  std::map<std::string, std::string> units; // folder -> unit
  std::map<std::string, std::set<std::string>> allowed;
  std::map<std::string, std::set<std::string>> allowedInTests;
  std::set<std::string> testFolders;
  std::vector<std::string> skipped;
};

// Parses the table; false, with the file and line in `error`, on a line it
// does not understand or a unit that no `unit` line names.
bool ParseRules(const std::string& text, const std::string& name, Rules* rules, lvxtext::Error* error);

// One file to check: `path` is where the checker reads it and what a report
// names; `logical` is its place in the tree ("engine/src/x.cpp", or
// "@gen/x.cpp" for a generated source), which decides its unit.
struct SourceFile {
  std::string path;
  std::string logical;
};

// Every source and header (.h, .hpp, .inc, .c, .cc, .cpp) under `root`
// outside the skipped folders and any folder whose name starts with "build"
// or ".", and under `generated` (when not empty) as "@gen/...". Sorted.
std::vector<SourceFile> CollectFiles(const std::string& root, const std::string& generated, const Rules& rules);

// Checks the files against the rules. Each problem is one line,
// "PATH:LINE: what is wrong", in file and line order. An include that names
// no file of the tree (a system or third-party header) is not checked.
std::vector<std::string> Check(const std::vector<SourceFile>& files, const Rules& rules);

} // namespace layering
