// The input panel: a small always-on-top window of buttons beside the board, so that a child
// can build a calculation with the mouse.
#pragma once

#include "app/ToolWindow.h"
#include "core/Kokuban_v24/Kokuban.h"

class QPushButton;

namespace kazu {

class TKokubanForm;

class TInputForm : public ToolWindow {
    Q_OBJECT
  public:
    explicit TInputForm(TKokubanForm& main);

    // Set while a character button is handled; the main window's timer leaves the focus here
    // meanwhile.
    bool panelInUse() const { return panelInUse_; }
    // A button by its caption; nullptr when there is none.
    QPushButton* Button(const QString& caption) const;

  protected:
    void changeEvent(QEvent* event) override;

  private:
    TKokubanForm& main_;
    bool panelInUse_ = false;

    QPushButton* AddButton(const QString& caption, QRect bounds, const QString& colour,
                           const QString& hint = {});
    void CharacterButton(const QString& caption, QRect bounds, char ch, const QString& colour,
                         const QString& hint = {});
    void CommandButton(const QString& caption, QRect bounds, const QString& colour,
                       const QString& hint, void (Kokuban::*command)());
    void GiveFocusBack();
};

}  // namespace kazu
