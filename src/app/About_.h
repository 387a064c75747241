// The version box.
#pragma once

#include <QDialog>

namespace kazu {

class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutForm(QWidget* parent = nullptr);
};

}  // namespace kazu
