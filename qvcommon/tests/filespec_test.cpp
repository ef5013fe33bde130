// QVFileSpec: paths, drives, directory search, the registry lookups and the
// dialogs.
#include "lvxtest/testenv.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvwindow.h"
#include "win32/automation.h"
#include "win32/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace {

std::string PathOf(const QVFileSpec& spec)
{
  char text[QVFileSpec::kPathSize];
  EXPECT_EQ(spec.GetFullPath(text, sizeof text), 0);
  return text;
}

// Shows whether a search is running.
class Probe : public QVFileSpec {
public:
  using QVFileSpec::QVFileSpec;
  HANDLE Search() const { return findHandle; }
};

// The names of every file a search gives.
std::vector<std::string> Files(QVFileSpec& folder, const char* pattern)
{
  std::vector<std::string> names;
  QVFileSpec found;
  char name[QVFileSpec::kPathSize];
  for (int16_t r = folder.GetFirstFile(found, pattern); r == 0; r = folder.GetNextFile(found, pattern)) {
    found.ExtractNameOnly(name, true);
    names.push_back(name);
  }
  return names;
}
using Names = std::vector<std::string>;

void SetValue(const char* key, const char* name, const std::string& data, DWORD type = REG_SZ)
{
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, key, &h), ERROR_SUCCESS);
  RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
  RegCloseKey(h);
}

// An owner window wrapped, not created: only its handle matters.
class Owner : public QVWindow {
public:
  Owner() : QVWindow(reinterpret_cast<HWND>(uintptr_t{0x4242})) {}
};

} // namespace

TEST(QVFileSpec, PathsNamesAndKinds)
{
  QVFileSpec spec("C:\\dir\\photo.jpg");
  char out[32];
  EXPECT_EQ(spec.GetFullPath(out, 16), -1) << "16 characters need 17 bytes";
  EXPECT_EQ(spec.GetFullPath(out, 17), 0);
  EXPECT_STREQ(out, "C:\\dir\\photo.jpg");

  char name[16];
  spec.ExtractNameOnly(name, true);
  EXPECT_STREQ(name, "photo.jpg");
  spec.ExtractNameOnly(name, false);
  EXPECT_STREQ(name, "photo");
  spec.ExtractNameOnly(name, true, 9);
  EXPECT_STREQ(name, "") << "does not fit";
  QVFileSpec folder;
  spec.ExtractPathOnly(folder);
  EXPECT_EQ(PathOf(folder), "C:\\dir");
  // Native separators are read too.
  QVFileSpec native("/home/u/Warm.cxp");
  native.ExtractNameOnly(name, false);
  EXPECT_STREQ(name, "Warm");
  native.ExtractPathOnly(folder);
  EXPECT_EQ(PathOf(folder), "/home/u");
  QVFileSpec bare("a.b.c");
  bare.ExtractNameOnly(name, false);
  EXPECT_STREQ(name, "a.b");
  bare.ExtractPathOnly(folder);
  EXPECT_EQ(PathOf(folder), "");

  const struct {
    const char* path;
    int16_t kind;
  } kinds[] = {{"C:\\IMG.JPG", 10}, {"C:\\a.bmp.psd", 6}, {"C:\\readme", 6}, {"x.TIFF", 3}, {"x.gif.jpg", 2}};
  for (const auto& k : kinds)
    EXPECT_EQ(QVFileSpec(k.path).GetLFileType(), k.kind) << k.path;
}

TEST(QVFileSpec, SeparatorsAndBounds)
{
  QVFileSpec spec("C:");
  spec.AddSeparator(nullptr);
  EXPECT_EQ(PathOf(spec), "C:\\");
  spec.AddSeparator(nullptr);
  EXPECT_EQ(PathOf(spec), "C:\\");
  char text[8] = "a/";
  spec.AddSeparator(text);
  EXPECT_STREQ(text, "a/");
  EXPECT_EQ(spec.AppendName("dir"), 0);
  EXPECT_EQ(spec.AppendName("x.txt"), 0);
  EXPECT_EQ(PathOf(spec), "C:\\dir\\x.txt");

  // Nothing may overflow the 1024-byte path: the operation fails, the path stays.
  const std::string long1000(1000, 'n');
  EXPECT_EQ(spec.SetFullPath(long1000.c_str()), 0);
  EXPECT_EQ(spec.AppendName(std::string(23, 'm').c_str()), -1);
  EXPECT_EQ(spec.AppendName(std::string(22, 'm').c_str()), 0) << "1000 + 1 + 22 = 1023 characters fit";
  EXPECT_EQ(spec.SetFullPath(std::string(1024, 'x').c_str()), -1);
  EXPECT_EQ(PathOf(spec).size(), 1023u);
  EXPECT_EQ(spec.SetFullPath(nullptr), -1);
  spec.AddSeparator(nullptr);
  EXPECT_EQ(PathOf(spec).size(), 1023u);
  EXPECT_EQ(QVFileSpec(std::string(2000, 'y').c_str()).GetLFileType(), 6);
}

TEST(QVFileSpec, DriveRoundsEnd)
{
  QVFileSpec spec;
  EXPECT_EQ(spec.GetFirstDrive(QVFileSpec::eFixedDrive), 0);
  EXPECT_EQ(PathOf(spec), "C:\\");
  // Only C: exists: from C the round comes back to C.
  EXPECT_EQ(spec.GetNextDrive(QVFileSpec::eFixedDrive), -1);
  EXPECT_EQ(spec.GetFirstDrive(QVFileSpec::eCDRomDrive), -1) << "from B: every letter C..Z is probed once";
  EXPECT_EQ(spec.GetCDRomDrive(), -1);
  spec.SetFullPath("a:\\x");
  EXPECT_EQ(spec.GetNextDrive(QVFileSpec::eNetworkDrive), -1);
  spec.SetFullPath("?:\\");
  EXPECT_EQ(spec.GetNextDrive(QVFileSpec::eAnyDrive), -1);

  standin::SetDrive('E', "/", DRIVE_CDROM);
  standin::SetDrive('Y', "/", DRIVE_REMOTE);
  EXPECT_EQ(spec.GetCDRomDrive(), 0);
  EXPECT_EQ(PathOf(spec), "E:\\");
  spec.SetFullPath("z:\\data");
  EXPECT_EQ(spec.GetNextDrive(QVFileSpec::eAnyDrive), 0) << "after Z comes C";
  EXPECT_EQ(PathOf(spec), "C:\\data");
  EXPECT_EQ(spec.GetNextDrive(QVFileSpec::eNetworkDrive), 0);
  EXPECT_EQ(PathOf(spec), "Y:\\data");
  standin::SetDrive('E', nullptr, DRIVE_NO_ROOT_DIR);
  standin::SetDrive('Y', nullptr, DRIVE_NO_ROOT_DIR);

  standin::SetWindowsDirectory("D:\\Windows\\System");
  EXPECT_EQ(spec.GetSystemDrive(), 0);
  EXPECT_EQ(PathOf(spec), "D:\\");
  standin::SetWindowsDirectory(nullptr);
}

TEST(QVFileSpec, SearchGivesFilesOnly)
{
  const std::string root = lvxtest::TempDir() + "/tree";
  mkdir(root.c_str(), 0755);
  mkdir((root + "/Empty").c_str(), 0755);
  mkdir((root + "/Sub.dir").c_str(), 0755);
  for (const char* name : {"b.CXP", "a.cxp", "notes.txt"})
    std::ofstream(root + "/" + name) << name;

  Probe folder(root.c_str());
  EXPECT_EQ(Files(folder, nullptr), (Names{"a.cxp", "b.CXP", "notes.txt"})) << "folders are skipped";
  EXPECT_EQ(Files(folder, "*.Cxp"), (Names{"a.cxp", "b.CXP"}));
  QVFileSpec found;
  Probe empty((root + "\\Empty").c_str());
  EXPECT_EQ(empty.GetFirstFile(found, nullptr), -1) << "only . and .. inside";
  EXPECT_EQ(empty.GetFirstFile(found, "*.none"), -1);

  // A copy has no search; the original's continues.
  ASSERT_EQ(folder.GetFirstFile(found, nullptr), 0);
  const HANDLE search = folder.Search();
  ASSERT_NE(search, nullptr);
  Probe copy(folder);
  EXPECT_EQ(copy.Search(), nullptr);
  Probe assigned;
  assigned = folder;
  EXPECT_EQ(assigned.Search(), nullptr);
  EXPECT_EQ(copy.GetNextFile(found, nullptr), 0);
  EXPECT_EQ(PathOf(found), root + "\\a.cxp") << "the copy starts its own search";
  EXPECT_EQ(folder.GetNextFile(found, nullptr), 0);
  EXPECT_EQ(PathOf(found), root + "\\b.CXP");

  // A path change ends the search (its handle is closed).
  folder.SetFullPath((root + "/Sub.dir").c_str());
  EXPECT_EQ(folder.Search(), nullptr);
  WIN32_FIND_DATAA data;
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(folder.GetNextFile(found, nullptr), -1) << "a new search, in the empty folder";

  // A new search ends the running one.
  folder.SetFullPath(root.c_str());
  folder.GetFirstFile(found, nullptr);
  const HANDLE first = folder.Search();
  folder.GetFirstFile(found, "*.txt");
  EXPECT_FALSE(FindNextFileA(first, &data));
  EXPECT_EQ(PathOf(found), root + "\\notes.txt");
}

TEST(QVFileSpec, RegisteredModuleFolders)
{
  const char* effects = "Software\\Tarnwell\\Obrella\\Effects";
  QVFileSpec spec("unchanged");
  char moduleName[] = "Despeckle.dll";
  spec.GetRegDLLPath(moduleName);
  EXPECT_EQ(PathOf(spec), "unchanged") << "no key";

  SetValue(effects, "First", "C:\\Effects\\DESPECKLE.DLL");
  SetValue(effects, "Long", std::string(300, 'x') + "despeckle.dll");
  SetValue(effects, "Other", "C:\\Other\\descreen.dll");
  SetValue(effects, "", "C:\\Nameless\\despeckle.dll");
  spec.GetRegDLLPath(moduleName);
  EXPECT_EQ(PathOf(spec), "c:\\effects");
  EXPECT_STREQ(moduleName, "Despeckle.dll") << "the caller's string is unchanged";

  // A value of exactly 256 bytes without a terminator is still text; the last
  // match wins.
  SetValue(effects, "Late", "D:/Mods/" + std::string(235, 'z') + "despeckle.dll");
  spec.GetRegDLLPath("DESPECKLE");
  EXPECT_EQ(PathOf(spec), "d:/mods");
  spec.GetRegDLLPath("nothing such");
  EXPECT_EQ(PathOf(spec), "d:/mods");
}

TEST(QVFileSpec, LastPathUses256BytesAndCreatesNoKey)
{
  const char* keyPath = "Software\\Tarnwell\\Obrella\\1.0";
  QVFileSpec spec("C:\\Photos");
  spec.SaveToRegistry();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

  SetValue(keyPath, "Other", "x");
  spec.SaveToRegistry();
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  char data[300];
  DWORD size = sizeof data, type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "lastpath", nullptr, &type, reinterpret_cast<BYTE*>(data), &size), 0);
  EXPECT_EQ(size, 256u);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_STREQ(data, "C:\\Photos");
  EXPECT_EQ(data[255], 0) << "padded with zeros";
  RegCloseKey(key);

  QVFileSpec restored;
  restored.GetFromRegistry();
  EXPECT_EQ(PathOf(restored), "C:\\Photos");
  QVFileSpec tooLong(std::string(256, 'p').c_str());
  tooLong.SaveToRegistry();
  restored.GetFromRegistry();
  EXPECT_EQ(PathOf(restored), "C:\\Photos") << "a path of 256 characters is not saved";

  SetValue(keyPath, "LASTPATH", std::string(256, 'q'));
  restored.GetFromRegistry();
  EXPECT_EQ(PathOf(restored), std::string(256, 'q')) << "unterminated data is terminated";
}

TEST(QVFileSpec, ImageDialogFiltersAndFields)
{
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  const auto filters = [](int16_t bits, bool save) {
    standin::ClearDialogLog();
    QVFileSpec spec;
    spec.PromptForOpenFileName(QVFileSpec("C:\\Start"), "Open", nullptr, bits, nullptr, save, nullptr);
    return standin::DialogLog().at(0).filters;
  };
  EXPECT_EQ(filters(0, false), (Pairs{{"All", "*.*"}, {"All Files (*.*)", "*.*"}}));
  EXPECT_EQ(filters(0, true), Pairs{});
  EXPECT_EQ(filters(16, false), Pairs{}) << "unknown bits add nothing";
  EXPECT_EQ(filters(8 | 4, true), (Pairs{{"Tarnwell (*.twl)", "*.TWL"}, {"Tarnwell Pref(*.ini)", "*.INI"}}));
  const Pairs all = filters(15, false);
  ASSERT_EQ(all.size(), 12u);
  EXPECT_EQ(all[2], (std::pair<std::string, std::string>{"Windows Bitmap (*.dib,*.bmp)", "*.BMP;*.DIB"}));
  EXPECT_EQ(all[7], (std::pair<std::string, std::string>{"Windows Bitmap (*.dib,*.bmp)", "Untitled.BMP;*.DIB"}));
  EXPECT_EQ(all[11], (std::pair<std::string, std::string>{"Kodak Photo CD (*.pcd)", "Untitled.PCD"}));
  EXPECT_EQ(filters(2, false)[0].second, "Untitled.BMP;*.DIB");

  // Saving: every field as logged, and the chosen name becomes the path.
  standin::ClearDialogLog();
  // (The dialog requires an existing folder.)
  const std::string folder = lvxtest::TempDir();
  standin::QueueFileDialogAnswer((folder + "\\result").c_str());
  const Owner owner;
  QVFileSpec spec("C:\\before");
  EXPECT_TRUE(
      spec.PromptForOpenFileName(QVFileSpec("C:\\Start"), "Save Image", &owner, 1, "Untitled.JPG", true, nullptr));
  EXPECT_EQ(PathOf(spec), folder + "\\result.jpg");
  const standin::DialogRequest& r = standin::DialogLog().at(0);
  EXPECT_EQ(r.kind, "GetSaveFileName");
  EXPECT_EQ(r.owner, owner.GetWnd());
  EXPECT_EQ(r.instance, GetModuleInstance());
  EXPECT_EQ(r.caption, "Save Image");
  EXPECT_EQ(r.style, 0x80802u);
  EXPECT_EQ(r.filterIndex, 4u);
  EXPECT_EQ(r.initialDir, "C:\\Start");
  EXPECT_EQ(r.fileName, "Untitled.JPG");
  EXPECT_EQ(r.defaultExt, "jpg");

  // Opening goes through the open-image dialog: cancelled empties the path
  // and the image; a default name too long for the 260-byte buffer starts the
  // dialog empty. (Loading the chosen image is tested with QVImage.)
  QVImage* image = reinterpret_cast<QVImage*>(&spec);
  EXPECT_FALSE(
      spec.PromptForOpenFileName(QVFileSpec(), "Open", nullptr, 1, std::string(260, 'd').c_str(), false, &image));
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(PathOf(spec), "");
  EXPECT_EQ(standin::DialogLog().back().kind, "open-image");
  EXPECT_EQ(standin::DialogLog().back().style, 0x161u) << "presentation flags plus the load flag";
  EXPECT_EQ(standin::DialogLog().back().filterIndex, 1u);
  EXPECT_EQ(standin::DialogLog().back().fileName, "");
  standin::QueueFileDialogAnswer((folder + "/photo.tif").c_str());
  EXPECT_TRUE(spec.PromptForOpenFileName(QVFileSpec(), "Open", nullptr, 1, nullptr, false, nullptr));
  EXPECT_EQ(PathOf(spec), folder + "/photo.tif");
  EXPECT_EQ(standin::DialogLog().back().style, 0x160u) << "no image asked for: nothing loaded";
}

TEST(QVFileSpec, PresetDialog)
{
  standin::ClearDialogLog();
  QVFileSpec spec("C:\\old.cxp");
  EXPECT_FALSE(spec.PromptForSaveFileName("C:\\Presets", "Import a preset", nullptr, "", false));
  EXPECT_EQ(PathOf(spec), "") << "emptied before asking";
  standin::QueueFileDialogAnswer("C:\\Presets\\Warm");
  EXPECT_TRUE(spec.PromptForSaveFileName("C:\\Presets", "Save this preset", nullptr, "Untitled.cxp", true));
  EXPECT_EQ(PathOf(spec), "C:\\Presets\\Warm.cxp");
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, "GetOpenFileName");
  EXPECT_EQ(log[1].kind, "GetSaveFileName");
  EXPECT_EQ(log[1].filters, (std::vector<std::pair<std::string, std::string>>{{"Preset Files", "*.cxp"}}));
  EXPECT_EQ(log[1].filterIndex, 0u);
  EXPECT_EQ(log[1].style, 0x80002u);
  EXPECT_EQ(log[1].defaultExt, "cxp");
  EXPECT_EQ(log[1].fileName, "Untitled.cxp");
  EXPECT_EQ(log[1].initialDir, "C:\\Presets");
  EXPECT_EQ(log[1].caption, "Save this preset");
}
