#include "gui/Input.h"

#include "platform/Window.h"

namespace korvane::gui {

bool applyAnchors(Rectangle& frame, uint32_t anchors, const Size& change) {
    if (!anchors)
        return false;
    if ((anchors & (AnchorLeft | AnchorRight)) == (AnchorLeft | AnchorRight))
        frame.width += change.width;
    else if (anchors & AnchorRight)
        frame.x += change.width;
    if ((anchors & (AnchorTop | AnchorBottom)) == (AnchorTop | AnchorBottom))
        frame.height += change.height;
    else if (anchors & AnchorBottom)
        frame.y += change.height;
    return true;
}

uint32_t getMouseState(uintptr_t keyState) {
    uint32_t state = 0;
    state |= (keyState & platform::MK_LBUTTON) ? ButtonLeftDown : ButtonLeftUp;
    state |= (keyState & platform::MK_RBUTTON) ? ButtonRightDown : ButtonRightUp;
    state |= (keyState & platform::MK_MBUTTON) ? ButtonMiddleDown : ButtonMiddleUp;
    if (keyState & platform::MK_SHIFT)
        state |= ModifierShift;
    if (keyState & platform::MK_CONTROL)
        state |= ModifierControl;
    return state;
}

uint32_t getCharacterModifiers() {
    struct Modifier {
        int key;
        uint32_t bits;
    };
    static constexpr Modifier modifiers[] = {
        {platform::VK_LSHIFT, CharacterLeftShift},     {platform::VK_RSHIFT, CharacterRightShift},
        {platform::VK_LCONTROL, CharacterLeftControl}, {platform::VK_RCONTROL, CharacterRightControl},
        {platform::VK_LMENU, CharacterLeftAlt},        {platform::VK_RMENU, CharacterRightAlt},
        {platform::VK_APPS, CharacterApplications},    {platform::VK_LWIN, CharacterLeftWindows},
        {platform::VK_RWIN, CharacterRightWindows},
    };
    uint32_t set = 0;
    // Only the down bit counts: the toggle bit flips with every press and says nothing about now.
    for (const Modifier& modifier : modifiers) {
        if (platform::getKeyState(modifier.key) < 0)
            set |= modifier.bits;
    }
    return set;
}

} // namespace korvane::gui
