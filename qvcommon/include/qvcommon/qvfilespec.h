#pragma once
#include "qvcommon/qvdefs.h"
#include "win32/files.h"

#include <cstddef>

class QVWindow;
class QVImage;

// A file path (Windows style: the framework writes '\' but reads both '\'
// and '/') with drives, directory search, name extraction, file kinds, the
// open and save dialogs and a remembered last folder. Any change of the path
// ends a running search; an operation that would overflow the path fails
// and leaves it unchanged.
class QVCOMMON_API QVFileSpec {
public:
  enum { kPathSize = 1024 };
  enum eDriveType : int32_t {
    eFixedDrive = 0,   // DRIVE_FIXED
    eCDRomDrive = 1,   // DRIVE_CDROM
    eNetworkDrive = 2, // DRIVE_REMOTE
    eAnyDrive = 3,     // any drive whose root exists
  };
  // The file kinds GetLFileType reports.
  enum : int16_t {
    kPCX = 1,
    kGIF = 2,
    kTIFF = 3,
    kTGA = 4,
    kCMP = 5,
    kBMP = 6,
    kJPEG = 10,
    kPSD = 76,
  };

  QVFileSpec();
  // A path too long to keep gives an empty path.
  explicit QVFileSpec(const char* path);
  // Copies the path, never the search.
  QVFileSpec(const QVFileSpec& other);

  virtual QVFileSpec& operator=(const QVFileSpec& other);
  virtual ~QVFileSpec();
  // 0, or -1 (out unchanged) when the path needs size bytes or more.
  virtual int16_t GetFullPath(char* out, uint16_t size) const;
  // 0, or -1 (path unchanged) for a null or too long path.
  virtual int16_t SetFullPath(const char* path);
  // The root of the Windows directory's drive, such as "C:\".
  virtual int16_t GetSystemDrive();
  // The root of the first CD-ROM drive from C: to Z:; -1 (path unchanged)
  // when there is none.
  virtual int16_t GetCDRomDrive();
  // Starts at "B:\" and moves to the next drive of the type.
  virtual int16_t GetFirstDrive(eDriveType type);
  // Moves the drive letter to the next drive of the type (after Z comes C);
  // -1 after one round without finding one.
  virtual int16_t GetNextDrive(eDriveType type);
  // Adds a separator and the name; -1 (path unchanged) when it does not fit.
  virtual int16_t AppendName(const char* name);
  // The image dialog. Saving: GetSaveFileNameA, and the chosen name becomes
  // the path. Opening: the imaging library's open-image dialog; the chosen
  // name becomes the path, else the path is emptied. When `image` is given,
  // the chosen file is loaded into a new image stored in *image (null when
  // the dialog fails, or the image cannot be built: the path is still set and
  // the result true); a file that cannot be loaded fails the dialog.
  virtual bool PromptForOpenFileName(const QVFileSpec& directory, const char* title, const QVWindow* owner,
                                     int16_t filterBits, const char* defaultName, bool save, QVImage** image);
  // The preset dialog ("Preset Files", *.cxp); the path is emptied first and
  // becomes the chosen name.
  virtual bool PromptForSaveFileName(const char* directory, const char* title, const QVWindow* owner,
                                     const char* defaultName, bool save);
  // The next file (never a folder) of the running search as `result`; without
  // a search, GetFirstFile. -1 when there are no more.
  virtual int16_t GetNextFile(QVFileSpec& result, const char* pattern);
  // Starts a search of this folder for pattern (all files when null) and
  // gives the first file; -1 when there is none.
  virtual int16_t GetFirstFile(QVFileSpec& result, const char* pattern);
  virtual void EndFileFind();
  // The image file kind by the extensions found in the path; BMP by default.
  virtual int16_t GetLFileType() const;
  // The folder of the effect module registered under
  // HKEY_LOCAL_MACHINE\Software\Tarnwell\Obrella\Effects whose path holds
  // moduleName (without regard to case); the last match wins. Nothing
  // changes when none matches.
  virtual void GetRegDLLPath(const char* moduleName);
  virtual void Initialize();
  // Ends a running search.
  virtual void PathChanged();
  // Appends "\" unless the text ends in '\' or '/'. A null text means this
  // path (nothing is added when it is full); another text must have room for
  // one more character.
  virtual void AddSeparator(char* text);

  // dest's path := this path up to its last separator ("" without one).
  void ExtractPathOnly(QVFileSpec& dest) const;
  // The name after the last separator, without its extension when asked;
  // an empty string when it needs outSize bytes or more.
  void ExtractNameOnly(char* out, bool withExtension, size_t outSize = kPathSize) const;
  // "lastpath" under HKEY_LOCAL_MACHINE\Software\Tarnwell\Obrella\1.0 (the
  // key is never created; paths of 256 characters or more are not saved).
  void SaveToRegistry();
  void GetFromRegistry();

  // The hook of an open or save dialog whose template adds two check boxes
  // (1003 and 1004). lCustData of the OPENFILENAME points to two flag
  // bytes. WM_INITDIALOG keeps the record as the dialog's user data, checks
  // box 1003 and sets the first flag; a WM_COMMAND from box 1003 or 1004
  // toggles that box and its flag (first or second). Returns 0 for every
  // message; a message that finds no record fails the assertion "myOFNData".
  // None of the prompts installs it.
  static UINT_PTR CALLBACK OpenFileHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

protected:
  char path[kPathSize] = {};
  HANDLE findHandle = nullptr;

private:
  // Gives `data` as result when it is a file whose full path fits.
  bool TakeEntry(QVFileSpec& result, const WIN32_FIND_DATAA& data);
};
