#pragma once
// What the application's small popups (the preferences and the file
// attributes) share: their place, their frame and title, and how they
// close.
#include <cstdint>

class QVDevice;
class QVRect;
class QVWindow;

// Sizes the popup to width x height, centred on its parent's window
// rectangle (halves truncated toward zero); at (0, 0) without a parent.
void CentreOnParent(QVWindow& popup, int32_t width, int32_t height);

// A black one-pixel frame round the client rectangle, a raised edge inside
// it, and the title at (5, 5) in bold Arial 17, black, on a transparent
// background. The device's text state is put back.
void DrawPopupFrame(QVDevice& device, const QVRect& client, const char* title);

// Hides the popup, enables its parent again (when it has one) and posts
// the popup's deferred delete: a thread WM_NULL carrying the window, which
// the application's message loop carries out once. The handler that calls
// this is still running, so the popup must not delete itself.
void ClosePopup(QVWindow& popup);
