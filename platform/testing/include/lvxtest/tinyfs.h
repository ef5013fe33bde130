#pragma once
// A small file system of a test's own, to make a full disk or a file that
// nobody may write: a tmpfs of a few kilobytes mounted on a folder under the
// test's temporary folder, and unmounted when the object goes. Mounting needs
// the right to (root in CI); a test skips what needs a full disk when
// Mounted() is false.
#include <cstddef>
#include <string>

namespace lvxtest {

class TinyFileSystem {
public:
  // Mounts `kilobytes` of tmpfs at TempDir()/name.
  TinyFileSystem(const std::string& name, size_t kilobytes);
  ~TinyFileSystem();
  TinyFileSystem(const TinyFileSystem&) = delete;
  TinyFileSystem& operator=(const TinyFileSystem&) = delete;

  bool Mounted() const { return mounted_; }
  // Why it is not mounted.
  const std::string& Problem() const { return problem_; }
  const std::string& Folder() const { return folder_; }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  // Fills what is left of the space with a file of that name; false when
  // space remains.
  bool Fill(const std::string& name) const;
  // Makes the file `name` in the folder one that nobody may write. Mounted,
  // the whole file system is remounted read-only, which refuses root as well
  // ("Read-only file system"); not mounted (no right to mount, so not root),
  // the file's mode is made read-only. False when neither took.
  bool MakeReadOnly(const std::string& name) const;

private:
  std::string folder_;
  std::string problem_;
  bool mounted_ = false;
};

} // namespace lvxtest
