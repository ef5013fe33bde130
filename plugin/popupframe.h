#pragma once
// What the application's small popups (the preferences and the file
// attributes) share: their frame and title, and how they close.
class QVDevice;
class QVRect;
class QVWindow;

// A black one-pixel frame round the client rectangle, a raised edge inside
// it, and the title at (5, 5) in bold Arial 17, black, on a transparent
// background. The device's text state is put back.
void DrawPopupFrame(QVDevice& device, const QVRect& client, const char* title);

// Hides the popup, enables its parent again (when it has one) and posts
// the popup's deferred delete: a thread WM_NULL carrying the window, which
// the application's message loop carries out once. The handler that calls
// this is still running, so the popup must not delete itself.
void ClosePopup(QVWindow& popup);
