#pragma once
// Internal to the X11 presenter: X keysyms and the virtual-key codes of
// the window layer. Needs no server.
namespace standin::detail {

// The virtual key of a keysym (letters in either case, digits, Shift,
// Ctrl, Alt, arrows, Home, End, Page Up and Down, Insert, Delete,
// Backspace, Return, Escape, Tab, Space, F1-F12, the US layout's
// punctuation keys, the keypad's digits, operators and Enter); 0 for any
// other.
int VirtualKeyFromKeysym(unsigned long keysym);
// Whether the keysym is one of the keypad's (XK_KP_...).
bool IsKeypadKeysym(unsigned long keysym);
// The Unicode code point of the printable character a keysym types (Latin-1
// and Unicode keysyms, the keypad's digits and operators, the typographic
// and Latin-2 and Latin-9 keysyms of Windows-1252's characters); 0 for a
// keysym that types none (function keys, dead keys, Return, ...).
unsigned long CodePointFromKeysym(unsigned long keysym);
// The keysym that VirtualKeyFromKeysym maps to the key (the lower-case
// letter, the left Shift, Ctrl and Alt); 0 (NoSymbol) for any other key.
unsigned long KeysymFromVirtualKey(int key);

} // namespace standin::detail
