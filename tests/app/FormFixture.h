// A blackboard window on a temporary settings folder, with a recording voice and a recording
// message sink, shown offscreen and driven by real key events.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>
#include "app/Memo.h"

#include "app/Kokuban_v24.h"
#include "app/QtCanvas.h"
#include "core/Settings.h"
#include "support/RecordingVoice.h"

namespace kazu {

// Settings for a window tall enough to show the rows of a column sum below the expression.
inline const QByteArray kTallBoard = "[FORMPOS]\r\nHEIGHT=720\r\n";

inline constexpr QRgb kAnswerRed = 0xFF0000;  // the answer's colour on the blackboard

struct ShownMessage {
    QString text;
    QString caption;
    bool exclamation = false;
};

class FormFixture {
  public:
    // iniBytes, when given, is written as the settings file before the window starts.
    explicit FormFixture(const QByteArray& iniBytes = {}) {
        InstallFontSubstitutions();
        if (!iniBytes.isEmpty()) {
            QFile file(iniPath());
            if (file.open(QIODevice::WriteOnly)) {
                file.write(iniBytes);
            }
        }
        const std::string dir = folder_.path().toStdString();
        auto voice = std::make_unique<RecordingVoice>();
        voice_ = voice.get();
        form_ = std::make_unique<TKokubanForm>(std::make_unique<SettingsStore>(dir, dir),
                                               std::move(voice));
        form_->SetMessageSink([this](const QString& text, const QString& caption, bool icon) {
            messages.push_back({text, caption, icon});
        });
        form_->show();
        shown_ = QTest::qWaitForWindowExposed(form_.get());
        // The greeting is queued by the first show; let it pass before the test listens.
        QCoreApplication::processEvents();
        voice_->Clear();
    }

    bool shown() const { return shown_; }
    TKokubanForm& form() { return *form_; }
    Kokuban& model() { return form_->model(); }
    CalcState& state() { return form_->model().state; }
    AppSettings& settings() { return form_->model().settings; }
    RecordingVoice& voice() { return *voice_; }
    QString iniPath() const { return folder_.filePath(QString::fromUtf8(kSettingsFileName)); }

    // Where the platform delivers a key: the focus widget, else the window itself.
    QWidget* KeyTarget() {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr && focus->window() == form_.get() ? focus : form_.get();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(KeyTarget(), key, modifiers);
    }
    // Types an expression the way a user must: operators on the numeric keypad, "=" as Enter.
    void Type(const QString& keys) {
        for (const QChar ch : keys) {
            switch (ch.unicode()) {
                case '+':
                    Key(Qt::Key_Plus, Qt::KeypadModifier);
                    break;
                case '-':
                    Key(Qt::Key_Minus, Qt::KeypadModifier);
                    break;
                case '*':
                    Key(Qt::Key_Asterisk, Qt::KeypadModifier);
                    break;
                case '/':
                    Key(Qt::Key_Slash, Qt::KeypadModifier);
                    break;
                case '=':
                    Key(Qt::Key_Return);
                    break;
                case '.':
                    Key(Qt::Key_Period);
                    break;
                default:
                    Key(static_cast<Qt::Key>(Qt::Key_0 + ch.digitValue()));
                    break;
            }
        }
    }

    // A panel label by its caption.
    QLabel* Label(const QString& text) {
        for (QLabel* label : form_->findChildren<QLabel*>()) {
            if (label->text() == text) {
                return label;
            }
        }
        return nullptr;
    }
    kazu::Memo* Memo(const QString& placeholder) {
        for (kazu::Memo* memo : form_->findChildren<kazu::Memo*>()) {
            if (memo->placeholderText() == placeholder) {
                return memo;
            }
        }
        return nullptr;
    }
    // The board widget: what lies below the speech panel in the client area.
    QWidget* BoardWidget() { return form_->boardView(); }
    QRgb Pixel(int x, int y) const { return form_->boardImage().pixel(x, y) & 0xFFFFFF; }
    // The board as a full repaint draws it.
    QImage Repainted() {
        form_->model().FormPaint();
        return form_->boardImage().copy();
    }
    // Where the answer stands on a one-line expression: after the "=", a little taller than a
    // digit.
    QRect AnswerRegion() {
        const BoardLayout& l = form_->model().board.layout;
        return QRect(l.answerX + l.cellWidth, l.originY - l.scrollOffset, 8 * l.cellWidth,
                     l.textHeight * 3 / 2)
            .intersected(form_->boardImage().rect());
    }
    bool HasColour(const QRect& region, QRgb colour) const {
        const QImage& image = form_->boardImage();
        for (int y = region.top(); y <= region.bottom(); ++y) {
            for (int x = region.left(); x <= region.right(); ++x) {
                if ((image.pixel(x, y) & 0xFFFFFF) == colour) {
                    return true;
                }
            }
        }
        return false;
    }

    std::vector<ShownMessage> messages;

  private:
    QTemporaryDir folder_;
    RecordingVoice* voice_ = nullptr;
    std::unique_ptr<TKokubanForm> form_;
    bool shown_ = false;
};

}  // namespace kazu
