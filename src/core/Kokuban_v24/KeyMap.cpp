// The main window's keys.
#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {

void Kokuban::ToggleSetting(int32_t& flag) {
    flag = 1 - flag;
}

void Kokuban::FormKeyDown(int key, KeyModifiers modifiers) {
    if (modifiers.alt) {
        return;
    }
    if (modifiers.shift) {
        KeyWithShift(key);
        return;
    }
    if (modifiers.ctrl) {
        KeyWithCtrl(key);
        return;
    }
    KeyOfCalculator(key);
}

void Kokuban::KeyWithShift(int key) {
    if (key != 'A' && key != 'S') {
        return;
    }
    ToggleSetting(key == 'A' ? settings.KURIAGARI : settings.KURISAGARI);
    // The indicators follow, so they never show a state the board does not have.
    host_.CaptionsChanged();
    GamenClear();
    HomeDsp();
}

void Kokuban::KeyWithCtrl(int key) {
    if (key == vk::kUp) {
        SetPointMax(settings.POINTMAX + 1);
    } else if (key == vk::kDown) {
        SetPointMax(settings.POINTMAX - 1);
    }
}

void Kokuban::F8Key() {
    host_.ToggleInputPanelMinimized();
    if (!state.expression.empty()) {
        return;
    }
    const std::string keep = state.restoreText;
    R1Click();
    ResetEntry();
    state.entryOpen = true;
    state.restoreText = keep;
    FormPaint();
}

void Kokuban::KeyOfCalculator(int key) {
    switch (key) {
        case 'M':
            IroChange();
            return;
        case 'F':
            host_.OpenFontDialog();
            return;
        case 'B':
            if (state.entryOpen) {
                host_.Beep();
            } else {
                ToggleSetting(board.layout.guideShown);
                FormPaint();
            }
            return;
        case 'Q':
            ToggleSetting(board.layout.labelsShown);
            FormPaint();
            return;
        case 'O':
            MojiBigButtonClick();
            return;
        case 'T':
            MojiSmallButtonClick();
            return;
        case 'A':
        case 'S':
            ToggleSetting(key == 'A' ? settings.KURIAGARI : settings.KURISAGARI);
            host_.CaptionsChanged();
            return;
        case 'R':
            ReCalcButtonClick();
            return;
        case 'J':
            host_.OpenSettingsDialog();
            return;
        case 'L':
            KaigyouToggle();
            return;
        case 'Z':
            SpeedButton3Click();
            return;
        case 'H':
        case vk::kInsert:
            Hukkatu();
            return;
        case 'V':
            if (settings.SIKISPEAK == 1) {
                R2Click();
            }
            return;
        case 'D':
        case vk::kDelete:
            VK_DeleteKey();
            return;
        case vk::kHome:
            HomeDsp();
            return;
        case vk::kF8:
            F8Key();
            return;
        case vk::kUp:
            ScrollUp();
            return;
        case vk::kDown:
            ScrollDown();
            return;
        case 'P':
            for (char ch : std::string("3.14")) {
                KeyInputChar(ch);
            }
            return;
        case vk::kLeft:
        case vk::kBack:
            if (!(settings.SRFLAG == 1 && settings.HEAROK == 1)) {
                BackSpace();
            }
            return;
        case vk::kEscape:
            StopSpeaking();
            return;
        case vk::kReturn:
        case vk::kOemMinus:
            KeyInputChar('=');
            return;
        case vk::kAdd:
            KeyInputChar('+');
            return;
        case vk::kSubtract:
            KeyInputChar('-');
            return;
        case vk::kMultiply:
            KeyInputChar('*');
            return;
        case vk::kDivide:
            KeyInputChar('/');
            return;
        case vk::kDecimal:
        case vk::kOemPeriod:
            KeyInputChar('.');
            return;
        default:
            break;
    }
    if (key >= '0' && key <= '9') {
        KeyInputChar(static_cast<char>(key));
        return;
    }
    if (key >= vk::kNumpad0 && key <= vk::kNumpad9) {
        KeyInputChar(static_cast<char>('0' + key - vk::kNumpad0));
        return;
    }
}

}  // namespace kazu
