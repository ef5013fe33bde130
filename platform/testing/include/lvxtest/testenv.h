#pragma once
// Helpers shared by the test executables.
#include <set>
#include <string>

namespace lvxtest {

// A folder private to this test process, removed when the process ends.
const std::string& TempDir();

// Root of the source tree and of the build tree this test was built in.
std::string SourceDir();
std::string BuildDir();

// Path of a file under the source tree, e.g. Source("samples/coffee.png").
std::string Source(const std::string& relative);

// The whole contents of a file; empty when it cannot be read.
std::string FileContents(const std::string& path);

// The names in a folder, without "." and ".."; empty when it cannot be read.
std::set<std::string> FolderEntries(const std::string& folder);

} // namespace lvxtest
