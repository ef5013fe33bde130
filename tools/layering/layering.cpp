#include "layering.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace layering {
namespace {

bool IsUnder(const std::string& path, const std::string& folder)
{
  return path == folder ||
         (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/');
}

std::string Folder(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsHeader(const std::string& path)
{
  const std::string ext = fs::path(path).extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".inc";
}

bool IsSource(const std::string& path)
{
  const std::string ext = fs::path(path).extension().string();
  return IsHeader(path) || ext == ".c" || ext == ".cc" || ext == ".cpp";
}

// "a/./b/../c.h" as "a/c.h"; empty when it climbs above the root.
std::string Normal(const std::string& path)
{
  std::vector<std::string> parts;
  std::stringstream in(path);
  for (std::string part; std::getline(in, part, '/');) {
    if (part.empty() || part == ".")
      continue;
    if (part == "..") {
      if (parts.empty())
        return {};
      parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string out;
  for (const auto& part : parts)
    out += (out.empty() ? "" : "/") + part;
  return out;
}

// The unit a file of the tree belongs to; empty when none does.
std::string UnitOf(const std::string& logical, const Rules& rules)
{
  std::string best;
  std::string unit;
  for (const auto& [folder, name] : rules.units) {
    if (IsUnder(logical, folder) && folder.size() > best.size()) {
      best = folder;
      unit = name;
    }
  }
  return unit;
}

bool IsTestFile(const std::string& logical, const Rules& rules)
{
  std::stringstream in(Folder(logical));
  for (std::string part; std::getline(in, part, '/');) {
    if (rules.testFolders.count(part))
      return true;
  }
  return false;
}

struct Include {
  int line;
  std::string name;
};

std::vector<Include> ReadIncludes(const std::string& path)
{
  static const std::regex kInclude(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::vector<Include> includes;
  std::ifstream in(path);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::smatch match;
    if (std::regex_search(line, match, kInclude))
      includes.push_back({number, match[1]});
  }
  return includes;
}

// Finds the file an include names: beside the includer first, else the one
// file of the tree whose path ends with the name; of several, the one in the
// includer's unit, else the one sharing the longest folder with it.
class Resolver {
public:
  Resolver(const std::vector<SourceFile>& files, const Rules& rules) : files_(files), rules_(rules)
  {
    for (size_t i = 0; i < files.size(); ++i)
      byPath_[files[i].logical] = i;
  }

  // The index of the file, or -1 when the tree has none of that name.
  long Find(const SourceFile& from, const std::string& name) const
  {
    const std::string beside = Normal(Folder(from.logical) + "/" + name);
    if (auto it = byPath_.find(beside); !beside.empty() && it != byPath_.end())
      return long(it->second);
    const std::string tail = Normal(name);
    if (tail.empty())
      return -1;
    std::vector<size_t> found;
    for (const auto& [path, index] : byPath_) {
      if (path == tail ||
          (path.size() > tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0 &&
           path[path.size() - tail.size() - 1] == '/'))
        found.push_back(index);
    }
    if (found.empty())
      return -1;
    const std::string unit = UnitOf(from.logical, rules_);
    auto score = [&](size_t index) {
      const std::string& path = files_[index].logical;
      size_t common = 0;
      while (common < path.size() && common < from.logical.size() && path[common] == from.logical[common])
        ++common;
      return std::make_pair(UnitOf(path, rules_) == unit, common);
    };
    return long(*std::max_element(found.begin(), found.end(), [&](size_t a, size_t b) { return score(a) < score(b); }));
  }

private:
  const std::vector<SourceFile>& files_;
  const Rules& rules_;
  std::map<std::string, size_t> byPath_;
};

struct Edge {
  size_t to;
  int line;
};

// Reports each include cycle between headers of one folder once, at the
// include that leaves the cycle's first header.
void FindCycles(const std::vector<SourceFile>& files, const std::vector<std::vector<Edge>>& edges,
                std::vector<std::pair<std::pair<std::string, int>, std::string>>* problems)
{
  std::set<size_t> reported;
  for (size_t start = 0; start < files.size(); ++start) {
    if (!IsHeader(files[start].logical) || reported.count(start))
      continue;
    // Depth-first search for a way back to `start` through headers of its
    // folder; `path` holds the headers on the way.
    std::vector<size_t> path{start};
    std::set<size_t> seen{start};
    std::function<bool(size_t)> back = [&](size_t at) {
      for (const Edge& edge : edges[at]) {
        if (Folder(files[edge.to].logical) != Folder(files[start].logical) || !IsHeader(files[edge.to].logical))
          continue;
        if (edge.to == start)
          return true;
        if (seen.insert(edge.to).second) {
          path.push_back(edge.to);
          if (back(edge.to))
            return true;
          path.pop_back();
        }
      }
      return false;
    };
    if (!back(start))
      continue;
    std::string chain;
    for (size_t index : path) {
      chain += fs::path(files[index].logical).filename().string() + " -> ";
      reported.insert(index);
    }
    chain += fs::path(files[start].logical).filename().string();
    const size_t next = path.size() > 1 ? path[1] : start;
    int line = 0;
    for (const Edge& edge : edges[start]) {
      if (edge.to == next)
        line = edge.line;
    }
    problems->push_back({{files[start].path, line},
                         "include cycle between the headers of " + Folder(files[start].logical) + ": " + chain});
  }
}

} // namespace

bool ParseRules(const std::string& text, const std::string& name, Rules* rules, lvxtext::Error* error)
{
  std::stringstream in(text);
  int number = 0;
  std::vector<std::pair<int, std::string>> named; // units the allow lines name
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (const size_t hash = line.find('#'); hash != std::string::npos)
      line.erase(hash);
    std::vector<std::string> words;
    std::stringstream split(line);
    for (std::string word; split >> word;)
      words.push_back(word);
    if (words.empty())
      continue;
    const std::string where = name + ":" + std::to_string(number) + ": ";
    const std::string& kind = words[0];
    if (kind == "unit" && words.size() >= 3) {
      for (size_t i = 2; i < words.size(); ++i)
        rules->units[Normal(words[i])] = words[1];
    } else if ((kind == "allow" || kind == "tests") && words.size() >= 3 && words[2] == "->") {
      auto& set = (kind == "allow" ? rules->allowed : rules->allowedInTests)[words[1]];
      named.push_back({number, words[1]});
      for (size_t i = 3; i < words.size(); ++i) {
        set.insert(words[i]);
        named.push_back({number, words[i]});
      }
    } else if (kind == "test-folders" && words.size() >= 2) {
      rules->testFolders.insert(words.begin() + 1, words.end());
    } else if (kind == "skip" && words.size() >= 2) {
      for (size_t i = 1; i < words.size(); ++i)
        rules->skipped.push_back(Normal(words[i]));
    } else {
      return lvxtext::Fail(error, where + "cannot read the line '" + lvxtext::Printable(line) + "'");
    }
  }
  std::set<std::string> units;
  for (const auto& [folder, unit] : rules->units)
    units.insert(unit);
  for (const auto& [line, unit] : named) {
    if (!units.count(unit))
      return lvxtext::Fail(error, name + ":" + std::to_string(line) + ": no unit line names '" + unit + "'");
  }
  return true;
}

std::vector<SourceFile> CollectFiles(const std::string& root, const std::string& generated, const Rules& rules)
{
  std::vector<SourceFile> files;
  auto walk = [&](const fs::path& top, const std::string& prefix) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(top, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      const std::string relative = it->path().lexically_relative(top).generic_string();
      const std::string logical = prefix.empty() ? relative : prefix + "/" + relative;
      const std::string leaf = it->path().filename().string();
      const bool skipped = std::any_of(rules.skipped.begin(), rules.skipped.end(),
                                       [&](const std::string& folder) { return IsUnder(logical, folder); });
      if (it->is_directory()) {
        if (skipped || leaf.rfind("build", 0) == 0 || leaf.rfind('.', 0) == 0)
          it.disable_recursion_pending();
      } else if (!skipped && it->is_regular_file() && IsSource(leaf)) {
        files.push_back({it->path().string(), logical});
      }
    }
  };
  walk(root, "");
  if (!generated.empty())
    walk(generated, "@gen");
  std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) { return a.logical < b.logical; });
  return files;
}

std::vector<std::string> Check(const std::vector<SourceFile>& files, const Rules& rules)
{
  const Resolver resolver(files, rules);
  std::vector<std::pair<std::pair<std::string, int>, std::string>> problems;
  std::vector<std::vector<Edge>> edges(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    const SourceFile& file = files[i];
    const std::string unit = UnitOf(file.logical, rules);
    if (unit.empty()) {
      problems.push_back({{file.path, 1}, "the file belongs to no unit of the table"});
      continue;
    }
    const bool test = IsTestFile(file.logical, rules);
    for (const Include& include : ReadIncludes(file.path)) {
      const long target = resolver.Find(file, include.name);
      if (target < 0)
        continue;
      edges[i].push_back({size_t(target), include.line});
      const std::string targetUnit = UnitOf(files[size_t(target)].logical, rules);
      if (targetUnit == unit)
        continue;
      auto allows = [&](const std::map<std::string, std::set<std::string>>& table) {
        const auto it = table.find(unit);
        return it != table.end() && it->second.count(targetUnit) > 0;
      };
      if (allows(rules.allowed) || (test && allows(rules.allowedInTests)))
        continue;
      problems.push_back({{file.path, include.line},
                          (test ? "a test file of " : "") + unit + " may not include " + files[size_t(target)].logical +
                              " (" + (targetUnit.empty() ? "no unit" : targetUnit) + ")"});
    }
  }
  FindCycles(files, edges, &problems);
  std::sort(problems.begin(), problems.end());
  std::vector<std::string> out;
  for (const auto& [where, what] : problems)
    out.push_back(where.first + ":" + std::to_string(where.second) + ": " + what);
  return out;
}

} // namespace layering
