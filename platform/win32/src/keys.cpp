// The US keyboard layout: virtual keys, scan codes, key names and the
// characters keys type.
#include "wm.h"

#include <cstring>

namespace {

struct Key {
  int vk;
  int scan;
  bool extended;
  const char* name;
  char plain;
  char shifted;
};

constexpr Key kKeys[] = {
    {VK_ESCAPE, 0x01, false, "Esc", 0, 0},
    {'1', 0x02, false, "1", '1', '!'},
    {'2', 0x03, false, "2", '2', '@'},
    {'3', 0x04, false, "3", '3', '#'},
    {'4', 0x05, false, "4", '4', '$'},
    {'5', 0x06, false, "5", '5', '%'},
    {'6', 0x07, false, "6", '6', '^'},
    {'7', 0x08, false, "7", '7', '&'},
    {'8', 0x09, false, "8", '8', '*'},
    {'9', 0x0A, false, "9", '9', '('},
    {'0', 0x0B, false, "0", '0', ')'},
    {VK_OEM_MINUS, 0x0C, false, "-", '-', '_'},
    {VK_OEM_PLUS, 0x0D, false, "=", '=', '+'},
    {VK_BACK, 0x0E, false, "Backspace", 0, 0},
    {VK_TAB, 0x0F, false, "Tab", 0, 0},
    {'Q', 0x10, false, "Q", 'q', 'Q'},
    {'W', 0x11, false, "W", 'w', 'W'},
    {'E', 0x12, false, "E", 'e', 'E'},
    {'R', 0x13, false, "R", 'r', 'R'},
    {'T', 0x14, false, "T", 't', 'T'},
    {'Y', 0x15, false, "Y", 'y', 'Y'},
    {'U', 0x16, false, "U", 'u', 'U'},
    {'I', 0x17, false, "I", 'i', 'I'},
    {'O', 0x18, false, "O", 'o', 'O'},
    {'P', 0x19, false, "P", 'p', 'P'},
    {VK_OEM_4, 0x1A, false, "[", '[', '{'},
    {VK_OEM_6, 0x1B, false, "]", ']', '}'},
    {VK_RETURN, 0x1C, false, "Enter", 0, 0},
    {VK_CONTROL, 0x1D, false, "Ctrl", 0, 0},
    {VK_LCONTROL, 0x1D, false, "Ctrl", 0, 0},
    {VK_RCONTROL, 0x1D, true, "Right Ctrl", 0, 0},
    {'A', 0x1E, false, "A", 'a', 'A'},
    {'S', 0x1F, false, "S", 's', 'S'},
    {'D', 0x20, false, "D", 'd', 'D'},
    {'F', 0x21, false, "F", 'f', 'F'},
    {'G', 0x22, false, "G", 'g', 'G'},
    {'H', 0x23, false, "H", 'h', 'H'},
    {'J', 0x24, false, "J", 'j', 'J'},
    {'K', 0x25, false, "K", 'k', 'K'},
    {'L', 0x26, false, "L", 'l', 'L'},
    {VK_OEM_1, 0x27, false, ";", ';', ':'},
    {VK_OEM_7, 0x28, false, "'", '\'', '"'},
    {VK_OEM_3, 0x29, false, "`", '`', '~'},
    {VK_SHIFT, 0x2A, false, "Shift", 0, 0},
    {VK_LSHIFT, 0x2A, false, "Shift", 0, 0},
    {VK_OEM_5, 0x2B, false, "\\", '\\', '|'},
    {'Z', 0x2C, false, "Z", 'z', 'Z'},
    {'X', 0x2D, false, "X", 'x', 'X'},
    {'C', 0x2E, false, "C", 'c', 'C'},
    {'V', 0x2F, false, "V", 'v', 'V'},
    {'B', 0x30, false, "B", 'b', 'B'},
    {'N', 0x31, false, "N", 'n', 'N'},
    {'M', 0x32, false, "M", 'm', 'M'},
    {VK_OEM_COMMA, 0x33, false, ",", ',', '<'},
    {VK_OEM_PERIOD, 0x34, false, ".", '.', '>'},
    {VK_OEM_2, 0x35, false, "/", '/', '?'},
    {VK_RSHIFT, 0x36, false, "Right Shift", 0, 0},
    {VK_MENU, 0x38, false, "Alt", 0, 0},
    {VK_LMENU, 0x38, false, "Alt", 0, 0},
    {VK_RMENU, 0x38, true, "Right Alt", 0, 0},
    {VK_SPACE, 0x39, false, "Space", ' ', ' '},
    {VK_F1, 0x3B, false, "F1", 0, 0},
    {VK_F1 + 1, 0x3C, false, "F2", 0, 0},
    {VK_F1 + 2, 0x3D, false, "F3", 0, 0},
    {VK_F1 + 3, 0x3E, false, "F4", 0, 0},
    {VK_F1 + 4, 0x3F, false, "F5", 0, 0},
    {VK_F1 + 5, 0x40, false, "F6", 0, 0},
    {VK_F1 + 6, 0x41, false, "F7", 0, 0},
    {VK_F1 + 7, 0x42, false, "F8", 0, 0},
    {VK_F1 + 8, 0x43, false, "F9", 0, 0},
    {VK_F10, 0x44, false, "F10", 0, 0},
    {VK_F10 + 1, 0x57, false, "F11", 0, 0},
    {VK_F12, 0x58, false, "F12", 0, 0},
    {VK_HOME, 0x47, true, "Home", 0, 0},
    {VK_UP, 0x48, true, "Up", 0, 0},
    {VK_PRIOR, 0x49, true, "Page Up", 0, 0},
    {VK_LEFT, 0x4B, true, "Left", 0, 0},
    {VK_RIGHT, 0x4D, true, "Right", 0, 0},
    {VK_END, 0x4F, true, "End", 0, 0},
    {VK_DOWN, 0x50, true, "Down", 0, 0},
    {VK_NEXT, 0x51, true, "Page Down", 0, 0},
    {VK_INSERT, 0x52, true, "Insert", 0, 0},
    {VK_DELETE, 0x53, true, "Delete", 0, 0},
    // The keypad with Num Lock on; after the main keys, which type the
    // same characters.
    {VK_NUMPAD0 + 7, 0x47, false, "Num 7", '7', '7'},
    {VK_NUMPAD0 + 8, 0x48, false, "Num 8", '8', '8'},
    {VK_NUMPAD0 + 9, 0x49, false, "Num 9", '9', '9'},
    {VK_SUBTRACT, 0x4A, false, "Num -", '-', '-'},
    {VK_NUMPAD0 + 4, 0x4B, false, "Num 4", '4', '4'},
    {VK_NUMPAD0 + 5, 0x4C, false, "Num 5", '5', '5'},
    {VK_NUMPAD0 + 6, 0x4D, false, "Num 6", '6', '6'},
    {VK_ADD, 0x4E, false, "Num +", '+', '+'},
    {VK_NUMPAD0 + 1, 0x4F, false, "Num 1", '1', '1'},
    {VK_NUMPAD0 + 2, 0x50, false, "Num 2", '2', '2'},
    {VK_NUMPAD0 + 3, 0x51, false, "Num 3", '3', '3'},
    {VK_NUMPAD0, 0x52, false, "Num 0", '0', '0'},
    {VK_DECIMAL, 0x53, false, "Num Del", '.', '.'},
    {VK_MULTIPLY, 0x37, false, "Num *", '*', '*'},
    {VK_DIVIDE, 0x35, true, "Num /", '/', '/'},
};

const Key* ByVirtualKey(int vk)
{
  for (const Key& k : kKeys)
    if (k.vk == vk)
      return &k;
  return nullptr;
}

} // namespace

namespace standin::detail {

int ScanCode(int key, bool* extended)
{
  const Key* k = ByVirtualKey(key);
  *extended = k && k->extended;
  return k ? k->scan : 0;
}

char KeyChar(int key, bool shift)
{
  const Key* k = ByVirtualKey(key);
  return k ? (shift ? k->shifted : k->plain) : 0;
}

int VirtualKeyFromScanCode(int scan)
{
  for (const Key& k : kKeys)
    if (k.scan == scan && !k.extended && k.plain)
      return k.vk;
  return 0;
}

bool KeyForChar(char c, int* key, bool* shift)
{
  switch (c) {
  case '\n':
    *key = VK_RETURN;
    *shift = false;
    return true;
  case '\t':
    *key = VK_TAB;
    *shift = false;
    return true;
  case '\b':
    *key = VK_BACK;
    *shift = false;
    return true;
  default: break;
  }
  for (const Key& k : kKeys) {
    if (k.plain == c || k.shifted == c) {
      *key = k.vk;
      *shift = k.plain != c;
      return true;
    }
  }
  return false;
}

} // namespace standin::detail

extern "C" int GetKeyNameTextA(LONG lParam, LPSTR buffer, int size)
{
  if (!buffer || size <= 0)
    return 0;
  const int scan = (lParam >> 16) & 0xFF;
  const bool extended = (lParam >> 24) & 1;
  const Key* found = nullptr;
  for (const Key& k : kKeys)
    if (k.scan == scan && (!found || (k.extended == extended && found->extended != extended)))
      found = &k;
  const char* name = found ? found->name : "";
  const int length = std::min<int>(int(std::strlen(name)), size - 1);
  std::memcpy(buffer, name, size_t(length));
  buffer[length] = '\0';
  return length;
}
