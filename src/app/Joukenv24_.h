// The settings dialog: display, step, colour, quotient places, speech and the child's name.
// Some controls act at once, the rest when 決定 is pressed.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace kazu {

class Kokuban;
class TKokubanForm;

class TJoukenSetForm : public QDialog {
    Q_OBJECT
  public:
    TJoukenSetForm(TKokubanForm& main, Kokuban& model);

    QCheckBox* carries() const { return carries_; }
    QCheckBox* borrows() const { return borrows_; }
    QCheckBox* lineBreak() const { return lineBreak_; }
    QCheckBox* explain() const { return explain_; }
    QCheckBox* messages() const { return messages_; }
    QSpinBox* speed() const { return speed_; }
    QCheckBox* stepDisplay() const { return stepDisplay_; }
    QRadioButton* colour(int scheme) const { return scheme == 0 ? blackboard_ : whiteboard_; }
    QSpinBox* places() const { return places_; }
    QCheckBox* expressionSpeech() const { return expressionSpeech_; }
    QCheckBox* keySpeech() const { return keySpeech_; }
    QSlider* rate() const { return rate_; }
    QSlider* volume() const { return volume_; }
    QLineEdit* name() const { return name_; }
    QCheckBox* voiceInput() const { return voiceInput_; }

    // 決定: the controls that act only now.
    void Button1Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TKokubanForm& main_;
    Kokuban& model_;
    QCheckBox* carries_ = nullptr;
    QCheckBox* borrows_ = nullptr;
    QCheckBox* lineBreak_ = nullptr;
    QCheckBox* explain_ = nullptr;
    QCheckBox* messages_ = nullptr;
    QSpinBox* speed_ = nullptr;
    QCheckBox* stepDisplay_ = nullptr;
    QRadioButton* blackboard_ = nullptr;
    QRadioButton* whiteboard_ = nullptr;
    QSpinBox* places_ = nullptr;
    QCheckBox* expressionSpeech_ = nullptr;
    QCheckBox* keySpeech_ = nullptr;
    QSlider* rate_ = nullptr;
    QSlider* volume_ = nullptr;
    QLineEdit* name_ = nullptr;
    QCheckBox* voiceInput_ = nullptr;

    void BuildButtons();
    void BuildDisplayGroup();
    void BuildStepGroup();
    void BuildColourGroup();
    void BuildPlacesGroup();
    void BuildSpeechGroup();
    void BuildName();
    void FormCreate();
};

}  // namespace kazu
