// The step window: the instructions shown while a calculation is drawn step by step.
#pragma once

#include <functional>

#include "app/ToolWindow.h"

class QKeyEvent;

namespace kazu {

class TStepGoForm : public ToolWindow {
    Q_OBJECT
  public:
    // leave is what Y does: the step display option is cleared and the user told. forward
    // hands every other key to the main window's key map.
    TStepGoForm(QWidget* mainWindow, std::function<void()> leave,
                std::function<void(const QKeyEvent&)> forward);

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* mainWindow_;
    std::function<void()> leave_;
    std::function<void(const QKeyEvent&)> forward_;
};

}  // namespace kazu
