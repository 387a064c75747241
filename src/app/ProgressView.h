// The teacher's view of one child's practice record: for each problem set the problems tried
// and how many were right the first time, and the mistakes by kind with the child's sentence.
#pragma once

#include <QDialog>

#include "core/practice/Progress.h"

class QTextBrowser;

namespace kazu {

class ProgressView : public QDialog {
    Q_OBJECT
  public:
    ProgressView(const Progress& progress, QWidget* parent);

    // What the view shows, as plain text.
    QString text() const;

  private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace kazu
