// プリント作成: a teacher chooses a set (or the child's weak spots), how many problems, the seed,
// the title and date, and whether to add the answer key; sees the pages; prints them or saves
// them as a PDF file.
#pragma once

#include <QWidget>

#include "app/WorksheetPages.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPrintPreviewWidget;
class QSpinBox;

namespace kazu {

class TKokubanForm;

class WorksheetWindow : public QWidget {
    Q_OBJECT

  public:
    explicit WorksheetWindow(TKokubanForm& main);

    void Open();
    // The sheet as the controls describe it now.
    const Worksheet& sheet() const { return sheet_; }
    // False (and the teacher told) when the file cannot be written.
    bool SavePdf(const QString& path);

  private:
    void SetChosen();
    void Rebuild();
    void PrintSheet();
    void AskAndSavePdf();
    // The sets the child's record calls for; empty (and the teacher told) when it names none.
    std::vector<std::string> WeakSpots();

    TKokubanForm& main_;
    Worksheet sheet_;
    QComboBox* sets_ = nullptr;
    QSpinBox* count_ = nullptr;
    QSpinBox* seed_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* date_ = nullptr;
    QCheckBox* answers_ = nullptr;
    QPrintPreviewWidget* preview_ = nullptr;
};

}  // namespace kazu
