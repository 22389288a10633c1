#pragma once
// Picture6: the notice in the bubble while the paragraphs are re-flowed.

#include <QWidget>

namespace tibbo::window {

class CaptionLabel;
class ProgressBar;

class ReflowNotice : public QWidget
{
  public:
    explicit ReflowNotice(QWidget *parent);

    CaptionLabel *Label5_17 = nullptr; // the notice text
    ProgressBar *Picture7 = nullptr;   // the progress frame with its bar Shape1
};

} // namespace tibbo::window
