#pragma once
// The file-attributes popup: the name of the image file, its size in pixels
// and inches, its resolution and its size on disk, with an OK button. While
// it is open its parent window is disabled; OK closes it through the
// application's deferred delete.
#include "qvcommon/qvwindow.h"

#include <cstdint>

class QVButton;
class QVFileSpec;

// What the popup shows of a file, in this order.
struct FileInfoRecord {
  int32_t width = 0;    // pixels
  int32_t height = 0;   // pixels
  int64_t fileSize = 0; // bytes
  int32_t xDpi = 0;     // dots per inch; 0: unknown
  int32_t yDpi = 0;
};

class InfoWindow : public QVWindow {
public:
  enum : int32_t { kOK = 1 };
  enum { kWidth = 260, kHeight = 160 };

  // A hidden popup (window type 7) of the parent, with the parent's
  // resource file. Neither the record (null: only the frame, the title and
  // OK are shown) nor the file spec (null: an empty name) is owned.
  InfoWindow(QVWindow* parent, FileInfoRecord* record, QVFileSpec* file);
  // Deletes the OK button.
  ~InfoWindow() override;
  // The frame and the title "File Attributes"; with a record, the five
  // lines (see Lines). True.
  bool HandlePaint(QVEvent& event) override;
  // OK hides the popup, enables the parent and posts its deferred delete;
  // commands after that are ignored. Every other command goes to the base.
  bool HandleCommand(QVEvent& event) override;

  // ---- New virtual operations ----
  // Centres the 260 x 160 popup on the parent's rectangle, makes the OK
  // button, shows the popup and disables the parent.
  virtual void CreateControls();

  // ---- Non-virtual ----
  enum { kLineCount = 5, kLineSize = 300 };
  // The lines shown for the record and the file: "Filename: NAME.EXT",
  // "Width: W pixels, I.II inches", "Height: H pixels, I.II inches",
  // "DPI: X x Y", "Size: K KB" (the file size shifted right by 10). An
  // inch value is 0.00 for a resolution of 0. Each line is cut to fit.
  static void Lines(const FileInfoRecord& record, const QVFileSpec* file, char (&lines)[kLineCount][kLineSize]);
  const FileInfoRecord* Record() const { return m_Record; }
  const QVFileSpec* File() const { return m_File; }

protected:
  QVButton* m_OK = nullptr;
  FileInfoRecord* m_Record = nullptr;
  QVFileSpec* m_File = nullptr;
  bool m_Closed = false;
};
