#include "app/KeyTranslation.h"

#include <QKeyEvent>

#include "core/Kokuban_v24/Keys.h"

namespace kazu {

int VirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return keypad ? vk::kNumpad0 + (key - Qt::Key_0) : key;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return key;
    }
    switch (key) {
        case Qt::Key_Plus:
            return keypad ? vk::kAdd : 0;
        case Qt::Key_Asterisk:
            return keypad ? vk::kMultiply : 0;
        case Qt::Key_Slash:
            return keypad ? vk::kDivide : 0;
        case Qt::Key_Minus:
            return keypad ? vk::kSubtract : vk::kOemMinus;
        case Qt::Key_Period:
            return keypad ? vk::kDecimal : vk::kOemPeriod;
        case Qt::Key_Comma:
            return keypad ? vk::kDecimal : 0;  // some layouts' keypad point
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::kReturn;
        case Qt::Key_Escape:
            return vk::kEscape;
        case Qt::Key_Backspace:
            return vk::kBack;
        case Qt::Key_Left:
            return vk::kLeft;
        case Qt::Key_Right:
            return vk::kRight;
        case Qt::Key_Up:
            return vk::kUp;
        case Qt::Key_Down:
            return vk::kDown;
        case Qt::Key_Home:
            return vk::kHome;
        case Qt::Key_Insert:
            return vk::kInsert;
        case Qt::Key_Delete:
            return vk::kDelete;
        case Qt::Key_F8:
            return vk::kF8;
        default:
            return 0;
    }
}

int QtKey(int virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        return virtualKey;
    }
    switch (virtualKey) {
        case vk::kDelete:
            return Qt::Key_Delete;
        case vk::kInsert:
            return Qt::Key_Insert;
        case vk::kReturn:
            return Qt::Key_Return;
        case vk::kEscape:
            return Qt::Key_Escape;
        default:
            return 0;
    }
}

}  // namespace kazu
