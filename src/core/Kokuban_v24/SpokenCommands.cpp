// The spoken commands: the words of calculation mode and the numbered commands of the
// command grammar, each with its reply.
#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

#include "core/Kokuban_v24/Kokuban.h"

namespace kazu {
namespace {

constexpr Colour kStatusLime = 0x00FF00;

bool ContainsAny(const std::string& text, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](const char* word) { return text.find(word) != std::string::npos; });
}

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

}  // namespace

// Recognised characters into the entry, not read aloud one by one, up to the first that raises
// an error; false when one did. The echo comes back when the feeding ends, however it ends.
bool Kokuban::FeedSpoken(const std::string& text) {
    struct Feeding {
        explicit Feeding(bool& flag) : flag_(flag), was_(std::exchange(flag, true)) {}
        ~Feeding() { flag_ = was_; }
        Feeding(const Feeding&) = delete;
        Feeding& operator=(const Feeding&) = delete;
        bool& flag_;
        bool was_;
    } feeding(feedingSpoken_);
    for (char ch : text) {
        InputChar(ch);
        if (state.errorRaised) {
            return false;
        }
    }
    return true;
}

bool Kokuban::CalculationWordCommand(const std::string& t) {
    if (ContainsAny(t, {"消去", "クリア", "くり", "クリ", "クリヤ", "クリや", "くリや", "栗や",
                        "栗屋", "国や", "厨"})) {
        host_.Beep();
        R1Click();
        state.expression.clear();
        SpokenExpression.clear();
        SpeakMessage("式をクリア－しました。");
        HideExample();
    } else if (ContainsAny(t, {"戻る", "戻れ", "もどる", "もどれ", "もどって", "戻って", "バック",
                               "バッグ"})) {
        R1Click();
        const bool replaying = state.replaying;
        state.replaying = true;
        VK_DeleteKey();
        state.replaying = replaying;
        if (!state.restoreText.empty()) {
            state.restoreText.pop_back();
        }
        if (state.restoreText.empty()) {
            return true;
        }
        FeedSpoken(std::string(state.restoreText));
        SpokenExpression = state.expression;
        SpeakMessage("１文字もどりました。");
        SpeakMessage(state.expression);
    } else if (ContainsAny(t,
                           {"問題", "文章題", "文章問題", "イグザンプル", "example", "問題例"})) {
        SpeedButton3Click();
    } else if (ContainsAny(t, {"認識終了"})) {
        host_.Beep();
        if (recognizer_ != nullptr) {
            recognizer_->DictationSetState(0);
        }
        settings.SRFLAG = 0;
        StatusLine(false);
    } else if (ContainsAny(t, {"コマンド", "メニュー", "命令", "顧問と"})) {
        host_.Beep();
        SpeakMessage("メニューコマンド、受け付けました。");
        EnterCommandMode();
        settings.SRFLAG = 1;
        StatusLine(true);
    } else if (ContainsAny(t, {"復活", "ふっかつ"})) {
        state.restoreText.erase(
            std::remove(state.restoreText.begin(), state.restoreText.end(), '='),
            state.restoreText.end());
        const std::string restored = state.restoreText;
        ShowInMemo1(restored);
        SpokenExpression = restored;
        if (!restored.empty()) {
            SpeakMessage(restored);
            FeedSpoken(restored);
        }
    } else if (ContainsAny(t, {"再計算"})) {
        if (!state.restoreText.empty()) {
            ReCalcButtonClick();
        }
    } else if (ContainsAny(t, {"計算"})) {
        SpeakMessage("今は計算モードです。");
    } else if (ContainsAny(t, {"改行", "開業", "折り返す", "折り返せ"})) {
        host_.PostKey('L');
    } else if (ContainsAny(t, {"ヘルプ", "減ると"})) {
        HelpSpeak();
    } else if (ContainsAny(t, {"パネル表示", "スピーチパネル表示"})) {
        PanelShowCommand(true);
    } else if (ContainsAny(t, {"パネルなし", "スピーチパネルなし"})) {
        if (settings.SP_PANELSHOW == 1) {
            PanelShowCommand(false);
        } else {
            SpeakMessage("スピーチパネルは表示していません。");
        }
    } else if (ContainsAny(t, {"解説", "開設", "説明"})) {
        host_.Beep();
        ExplainRequest();
    } else if (ContainsAny(t, {"リード", "リー", "読め", "読みなさい", "スピーク", "読み上げ"})) {
        host_.Beep();
        R2Click();
        if (settings.REIREADF == 1) {
            ReibunYomi();
        }
    } else if (ContainsAny(t, {"静かに", "黙って", "読むの止め", "沈黙"})) {
        host_.Beep();
        SpeakMessage("ZZZ");
    } else {
        SpokenExpressionInput(t);
        return false;
    }
    return true;
}

// Show or hide the speech panel on request, saying when it already is so.
void Kokuban::PanelShowCommand(bool show) {
    const bool shown = settings.SP_PANELSHOW == 1;
    if (show == shown) {
        SpeakMessage(shown ? "スピーチパネルは表示中です。" : "スピーチパネルは非表示中です。");
        return;
    }
    SpeechPanel1Click();
    if (settings.MSGSPEAK == 1) {
        SpeakMessage(show ? "スピーチパネルを表示しました" : "スピーチパネルを非表示にしました");
    }
}

void Kokuban::RunCommand(int n) {
    if (n == 1 || (n >= 4 && n <= 10) || (n >= 31 && n <= 33)) {
        CommandListening(n);
    } else if (n == 2 || n == 13 || n == 14 || n == 16 || n == 15 || n == 17 || n == 18 ||
               n == 21 || (n >= 70 && n <= 74)) {
        CommandReplies(n);
    } else if ((n >= 11 && n <= 12) || (n >= 19 && n <= 29) || (n >= 40 && n <= 50) || n == 66 ||
               n == 80 || n == 81) {
        CommandSettings(n);
    } else if (n == 30 || n == 34 || n == 53 || (n >= 60 && n <= 65)) {
        CommandWindow(n);
    }
}

// Leaving, clearing, restoring, the modes and the pause of listening.
void Kokuban::CommandListening(int n) {
    if (n != 32 && n != 33) {
        host_.Beep();
    }
    const std::string& name = settings.USERSYOBINA;
    switch (n) {
        case 1:
            Blink(200);
            Blink(200);
            voice_.SetRate(settings.SIKISPRATE);
            voice_.SetVolume(settings.SIKISPVOLUME);
            if (settings.MSGSPEAK > 0) {
                voice_.Speak("数ちゃんを終了します。またね！" + name, Voice::kSync);
            }
            host_.CloseProgram();
            return;
        case 4:
            R1Click();
            SpokenExpression.clear();
            SpeakMessage("クリア－しました。");
            return;
        case 5:
            if (!state.entryOpen) {
                return;
            }
            ResetEntry();
            Hukkatu();
            state.entryOpen = true;
            ShowInMemo1(state.restoreText);
            SpeakMessage(state.restoreText);
            state.restoreText.clear();
            ReturnToCalculationMode();
            StatusLine(settings.SRFLAG == 1);
            return;
        case 6:
            if (settings.MSGSPEAK > 0) {
                SpeakMessage("すでにコマンドモードです。");
            }
            if (settings.HEAROK == 0) {
                SpeakMessage("聞き取り中止中なので,｢聞き取り再開」と言って下さい。");
            }
            return;
        case 7:
            SpeakMessage("お休みなさい。" + name);
            return;
        case 8:
            if (settings.HEAROK == 0) {
                SpeakMessage("聞き取り中止中なので,「聞き取り再開」してからにして下さい。");
                return;
            }
            if (resumePending_) {
                R1Click();
                resumePending_ = false;
            }
            SpeakMessage("計算できます。");
            ReturnToCalculationMode();
            StatusLine(settings.SRFLAG == 1);
            return;
        case 9:
            SpeakMessage("どういたしまして。");
            return;
        case 10:
            SpeakMessage("おはようございます。" + name);
            return;
        case 31:
            voice_.Skip("Sentence", 1000);
            SpeakMessage("前の数を変更します。。ヘルプの説明を中止しました。");
            return;
        case 32:
            settings.HEAROK = 0;
            host_.SetStatusLine("聞取休み中", kStatusLime);
            SpeakMessage(
                "聞き取りを中断しました。キーとマウスで式の入力ができます。聞き取りを再開するには、"
                "「聞き取り再開」と言ってね。");
            host_.ShowInputPanel(true);
            VK_DeleteKey();
            return;
        default:
            break;
    }
    // 33: listening for expressions again, still taking commands.
    if (settings.MSGSPEAK == 1 && settings.HEAROK == 1) {
        SpeakMessage("今は命令聞き取り中です。");
        return;
    }
    settings.HEAROK = 1;
    if (settings.MSGSPEAK == 1) {
        SpeakMessage(
            "聞き取りを再開します。マイクからだけ式の入力ができます。聞き取りを中止するには、"
            "「聞き取り中止」と言ってね。");
    }
    host_.ShowInputPanel(false);
    VK_DeleteKey();
    R1Click();
    state.expression.clear();
    state.restoreText.clear();
    if (recognizer_ != nullptr) {
        recognizer_->CmdSetRuleIdState(0, 1);
    }
    commandMode = true;
    settings.SRFLAG = 1;
    StatusLine(true);
    VK_DeleteKey();
    state.entryOpen = true;
    resumePending_ = true;
}

// Answers: the expression, greetings, the time and date, the character's own words.
void Kokuban::CommandReplies(int n) {
    host_.Beep();
    const std::string& name = settings.USERSYOBINA;
    switch (n) {
        case 2:
            SpeakMessage(state.expression + board.operands.result);
            return;
        case 13:
            SpeakMessage("こんにちわ。" + name);
            return;
        case 14:
        case 16:
            SpeakMessage("ごめんなさい。まだ、わかりません。");
            return;
        case 15:
            SpeakTime(true);
            return;
        case 17:
            SpeakDate();
            return;
        case 18:
            HelpSpeak();
            return;
        case 21:
            SpeakMessage("わたしの名前は 数ちゃん です。仲良くしてね。");
            break;
        case 70:
            SpeakMessage("わたしの趣味は，テニスと漫画です。");
            break;
        case 71:
            SpeakMessage("わたしは，12歳です。");
            return;
        case 72:
            SpeakMessage("わたしは，６年生です。");
            return;
        case 73:
            SpeakMessage("東京都の八王子市に住んでいるのだ。");
            return;
        default:  // 74
            SpeakMessage("ハンバーグとカレーと納豆が好きだよ。おせんべいも好物だね。");
            return;
    }
    if (!name.empty()) {
        SpeakMessage(name);
    }
}

// The voice, the board's display and the quotient places.
void Kokuban::CommandSettings(int n) {
    host_.Beep();
    switch (n) {
        case 11:
            MojiBigButtonClick();
            return;
        case 12:
            MojiSmallButtonClick();
            return;
        case 19:
        case 20:
            ChangeRate(n == 19 ? 1 : -1);
            return;
        case 22:
        case 23:
            ToggleSetting(n == 22 ? settings.KURIAGARI : settings.KURISAGARI);
            host_.CaptionsChanged();
            return;
        case 24:
            ScrollUp();
            return;
        case 25:
            ScrollDown();
            return;
        case 26:
            HomeDsp();
            return;
        case 27:
            IroChange();
            return;
        case 28:
        case 29:
            ChangeVolume(n == 28 ? 5 : -5);
            return;
        case 66:
            if (host_.SettingsDialogOpen()) {
                SpeakMessage("条件設定パネルがオープンしています。");
                SpeakMessage("パネルで設定するか、パネルを閉じてから音声で設定してください。");
            } else {
                settings.ENZANSPEED = 0;
                SpeakMessage("ステップ時間を なしにしました。");
            }
            return;
        case 80:
            settings.MSGSPEAK = 1;
            SpeakMessage("メッセージを声で伝えます。");
            return;
        case 81:
            settings.MSGSPEAK = 0;
            SpeakMessage("メッセージの発声を中止します。");
            return;
        default:  // 40 to 50
            SetPointMax(n - 40);
            SpeakMessage("割り算の賞を。" + PointsCaption() + "にしました。");
            return;
    }
}

// The program's window, the speech panel, printing and the line break.
void Kokuban::CommandWindow(int n) {
    if (n < 62) {
        host_.Beep();
    }
    switch (n) {
        case 34:
            SpeakTime(false);
            return;
        case 53:
        case 60:
            host_.RestoreProgram();
            if (settings.MSGSPEAK == 1) {
                SpeakMessage("お久しぶり。数ちゃんです。");
            }
            return;
        case 61:
            host_.MinimizeProgram();
            if (settings.MSGSPEAK == 1) {
                SpeakMessage("最小化します。元にもどすには、「数ちゃんまえに」と言ってくれっち。");
            }
            return;
        case 62:
        case 63:
            PanelShowCommand(n == 62);
            return;
        case 64:
            host_.PrintBoard();
            return;
        case 65:
            host_.PostKey('L');
            return;
        default:  // 30: the beep alone
            return;
    }
}

void Kokuban::ChangeRate(int step) {
    const int rate = settings.SIKISPRATE + step;
    if (rate >= 0 && rate <= 10) {
        settings.SIKISPRATE = rate;
        SpeakMessage("読み上げの速さを" + std::to_string(rate) +
                     (step > 0 ? "に上げました。" : "に下げました。"));
    }
    host_.CaptionsChanged();
}

void Kokuban::ChangeVolume(int step) {
    const int volume = settings.SIKISPVOLUME + step;
    if (volume >= 5 && volume <= 100) {
        settings.SIKISPVOLUME = volume;
    }
    host_.CaptionsChanged();
    SpeakMessage("声の大きさを" + std::to_string(settings.SIKISPVOLUME) +
                 (step > 0 ? "％に上げました。" : "％に下げました。"));
}

// The long time format is the Japanese one, H:mm:ss; the spoken one counts 午前 and 午後.
void Kokuban::SpeakTime(bool longFormat) {
    const LocalTime now = clock();
    std::string text;
    if (longFormat) {
        text = std::to_string(now.hour) + ":" + TwoDigits(now.minute) + ":" + TwoDigits(now.second);
    } else {
        text = (now.hour < 13 ? "午前" + std::to_string(now.hour)
                              : "午後" + std::to_string(now.hour - 12)) +
               "時" + TwoDigits(now.minute) + "分" + TwoDigits(now.second) + "秒";
    }
    ShowInMemo1(text);
    SpeakMessage(text + "です。");
}

void Kokuban::SpeakDate() {
    static constexpr std::array<const char*, 7> kWeekdays = {"日", "月", "火", "水",
                                                             "木", "金", "土"};
    const LocalTime now = clock();
    const std::string text = std::to_string(now.year) + "年" + std::to_string(now.month) + "月" +
                             std::to_string(now.day) + "日" +
                             kWeekdays[static_cast<size_t>(std::clamp(now.weekday, 0, 6))] + "曜日";
    ShowInMemo1(text);
    SpeakMessage(text + "です。");
    if (!settings.USERSYOBINA.empty()) {
        SpeakMessage(settings.USERSYOBINA);
    }
}

}  // namespace kazu
