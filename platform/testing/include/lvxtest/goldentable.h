#pragma once
// The golden tests pin the exact bytes of results (corrected pictures, the
// preview, the effects' output) by their SHA-256, against hashes committed
// in the test source that were taken from the code as it stood when the
// table was made. A faster implementation must leave every hash as it is.
//
// Each test case has one table, named after the case (EngineGolden.Samples
// keeps its hashes in kSamples). Making the tables: run the test executable
// with LUMIVEX_GOLDEN_PRINT=1 in the environment, for example
//   LUMIVEX_GOLDEN_PRINT=1 build/bin/engine_golden_tests
// Each case then prints its results in the committed form on stdout
// ("{"name", "hash"},", under a comment naming the case) and compares
// nothing; the lines are pasted into the case's table.
#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace lvxtest {

// One committed result: its name and the 64 hex digits of its SHA-256.
struct GoldenEntry {
  const char* name;
  const char* sha256;
};

class GoldenTable {
public:
  explicit GoldenTable(std::span<const GoldenEntry> expected) : expected_(expected) {}

  // Records a result under a name unique within the table (a repeated name
  // is a failure of the test itself).
  void Add(const std::string& name, const std::string& sha256);
  // Compares the results with the committed table: every hash equal, no
  // committed name left without a result and no result without a committed
  // name; each difference is a failure of the current test naming the
  // result. In the printing mode it prints the results instead.
  void Check() const;

  // Whether LUMIVEX_GOLDEN_PRINT asks for the printing mode.
  static bool Printing();

private:
  std::span<const GoldenEntry> expected_;
  std::vector<std::pair<std::string, std::string>> results_;
};

} // namespace lvxtest
