#pragma once
// The bridge between whoever runs the application and the application
// itself: it owns the current image, runs the application's message loop
// and takes the deferred deletes posted to it. FilterPlugInShell (see
// filterpluginshell.h) is the variant a host drives through ENTRYPOINT;
// StandaloneAppShell gets its image from a file and saves it back.
//
// The application reaches the shell only through Quit, AcquireImage,
// SetImage, DeliverImage, GetImage, GetMode, GetParentWindow and
// GetOpenedFile.
#include "win32/windowing.h"

#include <cstdint>
#include <string>

class QVColor;
class QVFileSpec;
class QVImage;
class QVWindow;

class AppShell {
public:
  explicit AppShell(HINSTANCE instance);
  AppShell(const AppShell&) = delete;
  AppShell& operator=(const AppShell&) = delete;

  // ---- Virtual operations, in their fixed order ----
  // Deletes the image and the opened file.
  virtual ~AppShell();
  // The main display must show more than 8 bits per pixel; then the
  // installed application starts, the message loop runs while it lives and
  // the application ends. Returns the loop's code (the code given to Quit:
  // 0 applied, non-zero cancelled), or -1 when the depth is too low, no
  // application is installed or it would not start. A quit request left
  // behind by a run that never reached the loop is discarded.
  virtual int Run();
  // Ends the message loop with `code`.
  virtual void Quit(int code);
  // Makes a new current image; false when there is none.
  virtual bool AcquireImage(int unused, QVWindow* owner) = 0;
  virtual void SetImage(QVImage* newImage);
  // Hands an image back to whoever gave it; false when it could not.
  virtual bool DeliverImage(QVImage* source, QVFileSpec* file, QVWindow* owner) = 0;
  // The current image, owned by the shell (null when there is none).
  virtual QVImage* GetImage();
  // Asks for a file name and saves the image there; false when cancelled or
  // the image could not be written.
  virtual bool SaveImageAs(QVImage* source, QVFileSpec* start, QVWindow* owner) = 0;
  // 1 for the filter plug-in, 0 stand-alone.
  virtual int GetMode();
  // The window the application's main window belongs to; null here.
  virtual HWND GetParentWindow();
  // The colour dialog (CC_RGBINIT | CC_ANYCOLOR) over the owner's window,
  // starting at the colour; on OK the colour becomes the one chosen.
  virtual bool ChooseColor(QVWindow* owner, QVColor* colour);
  virtual bool GetFlag();
  virtual void SetFlag(bool on);
  virtual HINSTANCE GetInstance();
  // Takes and dispatches messages until WM_QUIT and returns its code (1
  // when retrieval fails). A thread WM_NULL with a non-zero lParam is a
  // deferred delete of the window object in lParam; any other message is
  // dispatched.
  virtual int MessageLoop();
  // Deletes the object; any other deferred delete of it still queued is
  // dropped, so that it is never deleted twice.
  virtual void DeferredDelete(QVWindow* object);
  // Image, opened file and instance := 0.
  virtual void InitFields();

  // ---- Non-virtual ----
  // The file the stand-alone shell opened the image from; null in the
  // filter plug-in and before a file was opened. The shell owns it.
  QVFileSpec* GetOpenedFile() const { return openedFile; }

protected:
  // Removes a pending quit request from the queue.
  static void DiscardQuit();
  // The "Save Image" dialog with one file pattern (a file-dialog filter),
  // starting in `directory` (null: anywhere) with the name of `start`; on
  // OK the image saves itself to the chosen file in the kind its extension
  // names. The path written; empty when cancelled or not written.
  static std::string SaveThroughDialog(QVImage* source, QVFileSpec* start, QVWindow* owner, const char* filter,
                                       const char* defaultExtension, const char* directory);

  char saveDirectory[260] = {};     // where the last image was saved
  char openDirectory[260] = {};     // where the last image was opened
  QVImage* image = nullptr;         // owned
  QVFileSpec* openedFile = nullptr; // stand-alone: the file the image came from; owned
  int32_t mode = 0;
  HINSTANCE instance = nullptr; // handed to the framework with SetHostInstance
  MSG message{};                // the message the loop took last
  bool flag = false;
};

// The shell of a run without a host: the image comes from a file the user
// opens and goes back to a file the user names.
class StandaloneAppShell : public AppShell {
public:
  explicit StandaloneAppShell(HINSTANCE instance);
  ~StandaloneAppShell() override;

  // The "Open Image" dialog (all files, starting in the open directory);
  // the chosen file is loaded as a 24-bit image that replaces the current
  // one. The file and its folder are remembered. False when cancelled or
  // the file cannot be read (the current image then stays).
  bool AcquireImage(int unused, QVWindow* owner) override;
  // Replaces (and deletes) the current image.
  void SetImage(QVImage* newImage) override;
  // The "Save Image" dialog ("*.tif", starting in the save directory); the
  // image is saved to the chosen file and its folder remembered.
  bool DeliverImage(QVImage* source, QVFileSpec* file, QVWindow* owner) override;
  // As DeliverImage.
  bool SaveImageAs(QVImage* source, QVFileSpec* start, QVWindow* owner) override;
};

// Runs the application stand-alone on this module's instance: creates the
// shell, runs it and deletes it. Returns Run's code (-1 without memory).
int RunStandaloneApplication();
