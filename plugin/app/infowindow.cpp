#include "infowindow.h"

#include "popupframe.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvpaintdevice.h"
#include "win32/gdi.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

QVResourceFile* ResourcesOf(QVWindow* parent) { return parent ? parent->GetResourceFile() : nullptr; }

// Inches of a pixel size at a resolution; 0 for a resolution of 0.
double Inches(int32_t pixels, int32_t dpi) { return dpi == 0 ? 0.0 : static_cast<double>(pixels) / dpi; }

} // namespace

InfoWindow::InfoWindow(QVWindow* parent, FileInfoRecord* record, QVFileSpec* file)
    : QVWindow(nullptr, "", eQVWindowStyleMenu, ResourcesOf(parent), parent, nullptr), m_Record(record), m_File(file)
{
}

InfoWindow::~InfoWindow() { delete m_OK; }

void InfoWindow::CreateControls()
{
  CentreOnParent(*this, kWidth, kHeight);
  QVRect ok;
  ok.SetLTWH(215, 124, 50, 26);
  m_OK = QVButton::CreateTextStringButton(this, ok, kOK, GetResourceFile(), "OK", false);
  ShowWindow(eQVShowNormal);
  if (m_Parent)
    m_Parent->EnableWindow(0);
}

void InfoWindow::Lines(const FileInfoRecord& record, const QVFileSpec* file, char (&lines)[kLineCount][kLineSize])
{
  char name[QVFileSpec::kPathSize] = "";
  if (file)
    file->ExtractNameOnly(name, true, sizeof name);
  // A name too long for the line is cut.
  constexpr int kNameRoom = kLineSize - static_cast<int>(sizeof "Filename: ");
  std::snprintf(lines[0], kLineSize, "Filename: %.*s", kNameRoom, name);
  std::snprintf(lines[1], kLineSize, "Width: %d pixels, %2.2f inches", record.width, Inches(record.width, record.xDpi));
  std::snprintf(lines[2], kLineSize, "Height: %d pixels, %2.2f inches", record.height,
                Inches(record.height, record.yDpi));
  std::snprintf(lines[3], kLineSize, "DPI: %d x %d", record.xDpi, record.yDpi);
  std::snprintf(lines[4], kLineSize, "Size: %" PRId64 " KB", record.fileSize >> 10);
}

bool InfoWindow::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  DrawPopupFrame(device, GetClientRect(), "File Attributes");
  if (!m_Record)
    return true;
  char lines[kLineCount][kLineSize];
  Lines(*m_Record, m_File, lines);
  const QVColor black(0, 0, 0);
  device.SetFontFace(QVDevice::qvdArial, 15, false, false);
  device.SetTextColor(black);
  device.SetBkMode(TRANSPARENT);
  device.SetTextAlign(QVDevice::qvdLeft);
  for (int i = 0; i < kLineCount; ++i)
    device.TextOutA(15, 30 + 18 * i, lines[i], static_cast<int32_t>(std::strlen(lines[i])));
  return true;
}

bool InfoWindow::HandleCommand(QVEvent& event)
{
  if (m_Closed)
    return true;
  if (event.m_Command != kOK)
    return QVWindow::HandleCommand(event);
  m_Closed = true;
  ClosePopup(*this);
  return true;
}
