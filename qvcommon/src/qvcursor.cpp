#include "qvcommon/qvcursor.h"

#include "win32/modules.h"
#include "win32/windowing.h"

QVCursor::QVCursor(int32_t id)
{
  Initialize();
  cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
}

QVCursor::QVCursor(const QVResourceFile& file, int32_t id)
{
  Initialize();
  cursor = LoadCursorA(file.GetResFile(), MAKEINTRESOURCEA(id));
}

// Cursors are shared, so destroying one is harmless.
QVCursor::~QVCursor()
{
  if (cursor)
    DestroyCursor(cursor);
}

void QVCursor::SetCursor()
{
  if (cursor)
    ::SetCursor(cursor);
}

void QVCursor::Initialize() { cursor = nullptr; }

void QVCursor::SetCursorArrow() { ::SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }
void QVCursor::SetCursorBusy() { ::SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }
