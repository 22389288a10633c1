#pragma once
// Picture3: the welcome panel of the first start, in the bubble over the manual.

#include <QWidget>

class QLabel;

namespace tibbo::window {

class CaptionLabel;
class Picture;

class WelcomePanel : public QWidget
{
  public:
    explicit WelcomePanel(QWidget *parent);

    QLabel *Label6 = nullptr;         // the title in three lines
    QLabel *Label7 = nullptr;         // the mascot's greeting
    Picture *Image16 = nullptr;       // start button
    CaptionLabel *Label5_8 = nullptr; // its caption
};

} // namespace tibbo::window
