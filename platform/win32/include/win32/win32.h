#pragma once
// Every area of the stand-in for the Windows API, for a source that uses many
// of them. Prefer the area headers a source needs:
//
//   win32/types.h      basic types, handles, the last error, rectangles, colours
//   win32/memory.h     address queries, global blocks and the general heap
//   win32/files.h      files, paths and drives
//   win32/registry.h   registry keys and values
//   win32/modules.h    module resources and strings, loading modules, version
//                      information
//   win32/gdi.h        GDI objects, device contexts and palettes
//   win32/drawing.h    lines, shapes, pixels and text
//   win32/dibs.h       device-independent and memory bitmaps
//   win32/windowing.h  windows, messages, input, painting, timers and cursors
//   win32/messagebox.h message boxes and the beep
//   win32/dialogs.h    dialog boxes, controls, file and colour dialogs (and
//                      message boxes)
//   win32/shell.h      opening documents with the desktop
#include "win32/types.h"

#include "win32/dialogs.h"
#include "win32/dibs.h"
#include "win32/drawing.h"
#include "win32/files.h"
#include "win32/gdi.h"
#include "win32/memory.h"
#include "win32/messagebox.h"
#include "win32/modules.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/windowing.h"
