#pragma once
// Running the lumivex-host program from a test, as a separate process.
#include "lvxtest/testenv.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

inline std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

// The program's exit status; its stderr is appended to Temp("stderr.txt").
// With a folder, the program runs there.
inline int RunHost(const std::string& arguments, const std::string& environment = "", const std::string& folder = "")
{
  const std::string cd = folder.empty() ? "" : "cd '" + folder + "' && ";
  const std::string command = cd + environment + " '" HOST_PATH "' " + arguments + " 2>>'" + Temp("stderr.txt") + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool Exists(const std::string& path) { return std::ifstream(path).good(); }

inline std::string Contents(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
