// The X11 presenter's key map, which needs no server: every virtual key
// the application and the controls handle comes back from its keysym, and
// the other keysyms of one key (upper case, right-hand modifiers, the
// keypad) give the same key.
#include "x11/x11keys.h"

#include "win32/win32.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using standin::detail::KeysymFromVirtualKey;
using standin::detail::VirtualKeyFromKeysym;

TEST(X11Keys, EveryHandledKeyRoundTripsFromItsKeysym)
{
  std::vector<int> keys{VK_SHIFT, VK_CONTROL, VK_MENU, VK_LEFT,  VK_UP,    VK_RIGHT, VK_DOWN,  VK_DELETE,
                        VK_BACK,  VK_RETURN,  VK_ESCAPE, VK_TAB, VK_SPACE, VK_HOME,  VK_END,   VK_PRIOR,
                        VK_NEXT,  VK_INSERT,  VK_OEM_MINUS, VK_OEM_PERIOD};
  for (int k = 'A'; k <= 'Z'; ++k)
    keys.push_back(k);
  for (int k = '0'; k <= '9'; ++k)
    keys.push_back(k);
  for (int k = VK_F1; k <= VK_F12; ++k)
    keys.push_back(k);
  for (int key : keys) {
    const unsigned long keysym = KeysymFromVirtualKey(key);
    EXPECT_NE(keysym, 0ul) << "key " << key;
    EXPECT_EQ(VirtualKeyFromKeysym(keysym), key) << "key " << key;
  }
}

TEST(X11Keys, EveryKeysymOfAKeyGivesThatKeyAndOthersNone)
{
  EXPECT_EQ(VirtualKeyFromKeysym(XK_q), 'Q');
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Q), 'Q');
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Shift_R), VK_SHIFT);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Control_R), VK_CONTROL);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Alt_R), VK_MENU);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Left), VK_LEFT);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Enter), VK_RETURN);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_ISO_Left_Tab), VK_TAB); // Shift+Tab
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F12), VK_F12);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_F13), 0);
  EXPECT_EQ(VirtualKeyFromKeysym(XK_Caps_Lock), 0);
  EXPECT_EQ(KeysymFromVirtualKey(VK_LBUTTON), 0ul);
}
