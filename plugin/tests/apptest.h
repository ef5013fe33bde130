#pragma once
// Helpers shared by the application's tests: a fresh registry for every
// test, and one-line ways to put values into it and read its file back.
#include "lvxtest/testenv.h"
#include "presetrecord.h"
#include "win32/automation.h"
#include "win32/registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace apptest {

// Starts from an empty registry store.
inline void FreshRegistry()
{
  std::remove(standin::RegistryPath().c_str());
  standin::RegistryReload();
}

// Stores a value under HKEY_LOCAL_MACHINE\path, creating the key.
inline void PutValue(const char* path, const char* name, DWORD type, const void* data, size_t size)
{
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

inline void PutBytes(const char* path, const char* name, const std::vector<uint8_t>& bytes)
{
  PutValue(path, name, REG_BINARY, bytes.data(), bytes.size());
}

// The value's bytes; empty when it cannot be read.
inline std::vector<uint8_t> GetBytes(const char* path, const char* name, DWORD* type = nullptr)
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  std::vector<uint8_t> data(4096);
  DWORD size = static_cast<DWORD>(data.size());
  const LONG result = RegQueryValueExA(key, name, nullptr, type, data.data(), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS)
    return {};
  data.resize(size);
  return data;
}

// The value names of a key in enumeration order.
inline std::vector<std::string> ValueNames(const char* path)
{
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return names;
  for (DWORD i = 0;; ++i) {
    char name[1024];
    DWORD length = sizeof name;
    if (RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

inline std::string ReadText(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteText(const std::string& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary) << text;
}

// A file's bytes; empty when it cannot be read.
inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
  const std::string text = ReadText(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
  WriteText(path, std::string(bytes.begin(), bytes.end()));
}

// The path of NAME in the test's own temporary folder.
inline std::string TempPath(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

// The lines of the registry file that lie under the key line `keyLine`
// (up to the next key line).
inline std::vector<std::string> RegistryLinesUnder(const std::string& keyLine)
{
  std::vector<std::string> lines;
  std::istringstream in(ReadText(standin::RegistryPath()));
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("key ", 0) == 0) {
      inside = line == keyLine;
      continue;
    }
    if (inside)
      lines.push_back(line);
  }
  return lines;
}

// A record in which every field but the version differs from the main
// window's defaults (and Anti-Moire from off), some fields at the ends of
// their ranges, some negative.
inline PresetRecord DistinctRecord()
{
  PresetRecord r;
  r.version = 1;
  r.enhance = 1;
  r.colors = 12;
  r.saturate = -100;
  r.contrast = 3;
  r.sharpen = 11;
  r.antiNoise = 35;
  r.brightness = -25;
  r.tonalRange = 9;
  r.red = -40;
  r.green = 17;
  r.blue = 40;
  r.despeckle = 1;
  r.antiMoire = 1;
  r.subDetail = 1;
  r.subDetailAmount = 5;
  return r;
}

// The main window's defaults with Colors set: records told apart by one
// field.
inline std::vector<uint8_t> Record(int32_t colors)
{
  PresetRecord r = PresetRecord::Defaults();
  r.colors = colors;
  return r.Bytes();
}

// The texts of the message boxes shown since the dialog log was cleared.
inline std::vector<std::string> Messages()
{
  std::vector<std::string> texts;
  for (const standin::DialogRequest& r : standin::DialogLog())
    if (r.kind == "MessageBox")
      texts.push_back(r.text);
  return texts;
}

class Registry : public ::testing::Test {
protected:
  void SetUp() override { FreshRegistry(); }
};

} // namespace apptest
