#include <xkbcommon/xkbcommon-keysyms.h>

#include "platform/wayland/WaylandWindow.h"

namespace korvane::platform::wayland {

int virtualKeyOf(uint32_t keysym, int& side, bool& extended) {
    side = 0;
    extended = false;
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) {
        return static_cast<int>('A' + (keysym - XKB_KEY_a));
    }
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z) {
        return static_cast<int>(keysym);
    }
    if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9) {
        return static_cast<int>(keysym);
    }
    if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F24) {
        return static_cast<int>(VK_F1 + (keysym - XKB_KEY_F1));
    }
    if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9) {
        return static_cast<int>(VK_NUMPAD0 + (keysym - XKB_KEY_KP_0));
    }
    switch (keysym) {
    case XKB_KEY_BackSpace:
        return VK_BACK;
    case XKB_KEY_Tab:
    case XKB_KEY_ISO_Left_Tab:
        return VK_TAB;
    case XKB_KEY_Clear:
    case XKB_KEY_KP_Begin:
        return VK_CLEAR;
    case XKB_KEY_Return:
        return VK_RETURN;
    case XKB_KEY_KP_Enter:
        extended = true;
        return VK_RETURN;
    case XKB_KEY_Shift_L:
        side = VK_LSHIFT;
        return VK_SHIFT;
    case XKB_KEY_Shift_R:
        side = VK_RSHIFT;
        return VK_SHIFT;
    case XKB_KEY_Control_L:
        side = VK_LCONTROL;
        return VK_CONTROL;
    case XKB_KEY_Control_R:
        side = VK_RCONTROL;
        extended = true;
        return VK_CONTROL;
    case XKB_KEY_Alt_L:
    case XKB_KEY_Meta_L:
        side = VK_LMENU;
        return VK_MENU;
    case XKB_KEY_Alt_R:
    case XKB_KEY_Meta_R:
    case XKB_KEY_ISO_Level3_Shift:
        side = VK_RMENU;
        extended = true;
        return VK_MENU;
    case XKB_KEY_Super_L:
        extended = true;
        return VK_LWIN;
    case XKB_KEY_Super_R:
        extended = true;
        return VK_RWIN;
    case XKB_KEY_Menu:
        extended = true;
        return VK_APPS;
    case XKB_KEY_Pause:
        return VK_PAUSE;
    case XKB_KEY_Caps_Lock:
        return VK_CAPITAL;
    case XKB_KEY_Escape:
        return VK_ESCAPE;
    case XKB_KEY_space:
        return VK_SPACE;
    case XKB_KEY_Print:
        extended = true;
        return VK_SNAPSHOT;
    case XKB_KEY_Num_Lock:
        extended = true;
        return VK_NUMLOCK;
    case XKB_KEY_Scroll_Lock:
        return VK_SCROLL;
    case XKB_KEY_KP_Multiply:
        return VK_MULTIPLY;
    case XKB_KEY_KP_Add:
        return VK_ADD;
    case XKB_KEY_KP_Separator:
        return VK_SEPARATOR;
    case XKB_KEY_KP_Subtract:
        return VK_SUBTRACT;
    case XKB_KEY_KP_Decimal:
        return VK_DECIMAL;
    case XKB_KEY_KP_Divide:
        extended = true;
        return VK_DIVIDE;
    case XKB_KEY_semicolon:
        return VK_OEM_1;
    case XKB_KEY_equal:
    case XKB_KEY_plus:
        return VK_OEM_PLUS;
    case XKB_KEY_comma:
        return VK_OEM_COMMA;
    case XKB_KEY_minus:
        return VK_OEM_MINUS;
    case XKB_KEY_period:
        return VK_OEM_PERIOD;
    case XKB_KEY_slash:
        return VK_OEM_2;
    case XKB_KEY_grave:
        return VK_OEM_3;
    case XKB_KEY_bracketleft:
        return VK_OEM_4;
    case XKB_KEY_backslash:
        return VK_OEM_5;
    case XKB_KEY_bracketright:
        return VK_OEM_6;
    case XKB_KEY_apostrophe:
        return VK_OEM_7;
    case XKB_KEY_less:
        return VK_OEM_102;
    default:
        break;
    }
    // Navigation keys: extended on the main block, plain on the keypad (with Num Lock off).
    struct Navigation {
        uint32_t main, keypad;
        int key;
    };
    static const Navigation navigation[] = {
        {XKB_KEY_Prior, XKB_KEY_KP_Prior, VK_PRIOR},    {XKB_KEY_Next, XKB_KEY_KP_Next, VK_NEXT},
        {XKB_KEY_End, XKB_KEY_KP_End, VK_END},          {XKB_KEY_Home, XKB_KEY_KP_Home, VK_HOME},
        {XKB_KEY_Left, XKB_KEY_KP_Left, VK_LEFT},       {XKB_KEY_Up, XKB_KEY_KP_Up, VK_UP},
        {XKB_KEY_Right, XKB_KEY_KP_Right, VK_RIGHT},    {XKB_KEY_Down, XKB_KEY_KP_Down, VK_DOWN},
        {XKB_KEY_Insert, XKB_KEY_KP_Insert, VK_INSERT}, {XKB_KEY_Delete, XKB_KEY_KP_Delete, VK_DELETE},
    };
    for (const Navigation& entry : navigation) {
        if (keysym == entry.main || keysym == entry.keypad) {
            extended = keysym == entry.main;
            return entry.key;
        }
    }
    return 0;
}

} // namespace korvane::platform::wayland
