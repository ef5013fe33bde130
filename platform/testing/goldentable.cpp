#include "lvxtest/goldentable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace lvxtest {

bool GoldenTable::Printing()
{
  const char* value = std::getenv("LUMIVEX_GOLDEN_PRINT");
  return value && *value && std::string(value) != "0";
}

void GoldenTable::Add(const std::string& name, const std::string& sha256)
{
  for (const auto& result : results_)
    if (result.first == name)
      ADD_FAILURE() << "The result \"" << name << "\" is recorded twice.";
  results_.emplace_back(name, sha256);
}

void GoldenTable::Check() const
{
  if (Printing()) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::printf("    // %s.%s\n", test ? test->test_suite_name() : "?", test ? test->name() : "?");
    for (const auto& [name, hash] : results_)
      std::printf("    {\"%s\", \"%s\"},\n", name.c_str(), hash.c_str());
    std::fflush(stdout);
    return;
  }
  std::set<std::string> seen;
  for (const GoldenEntry& entry : expected_) {
    seen.insert(entry.name);
    const std::string* actual = nullptr;
    for (const auto& result : results_)
      if (result.first == entry.name)
        actual = &result.second;
    if (!actual)
      ADD_FAILURE() << "No result \"" << entry.name << "\" was recorded, but the table has one.";
    else if (*actual != entry.sha256)
      ADD_FAILURE() << "The result \"" << entry.name << "\" changed:\n  committed " << entry.sha256 << "\n  now       "
                    << *actual;
  }
  for (const auto& result : results_)
    if (!seen.count(result.first))
      ADD_FAILURE() << "The result \"" << result.first << "\" (" << result.second << ") is not in the table.";
}

} // namespace lvxtest
