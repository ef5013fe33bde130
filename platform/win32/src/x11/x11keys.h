#pragma once
// Internal to the X11 presenter: X keysyms and the virtual-key codes of
// the window layer. Needs no server.
namespace standin::detail {

// The virtual key of a keysym (letters in either case, digits, Shift,
// Ctrl, Alt, arrows, Home, End, Page Up and Down, Insert, Delete,
// Backspace, Return, Escape, Tab, Space, F1-F12, the US layout's
// punctuation keys); 0 for any other.
int VirtualKeyFromKeysym(unsigned long keysym);
// The keysym that VirtualKeyFromKeysym maps to the key (the lower-case
// letter, the left Shift, Ctrl and Alt); 0 (NoSymbol) for any other key.
unsigned long KeysymFromVirtualKey(int key);

} // namespace standin::detail
