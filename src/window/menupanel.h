#pragma once
// Picture1: the menu panel in the speech bubble, pictures with captions for every
// command. The loading panel and the settings panel open inside it.

#include <QWidget>

namespace tibbo::window {

class CaptionLabel;
class Picture;

class MenuPanel : public QWidget
{
  public:
    explicit MenuPanel(QWidget *parent);

    CaptionLabel *Label5_0 = nullptr; // greeting
    Picture *Image7 = nullptr;        // open a novel
    CaptionLabel *Label5_1 = nullptr;
    Picture *Image10 = nullptr; // bookmarks
    CaptionLabel *Label5_2 = nullptr;
    Picture *Image8 = nullptr; // automatic turning
    CaptionLabel *Label5_3 = nullptr;
    Picture *Image17 = nullptr; // settings
    CaptionLabel *Label5_9 = nullptr;
    Picture *Image14 = nullptr; // full screen
    CaptionLabel *Label5_6 = nullptr;
    Picture *Image9 = nullptr; // the manual
    CaptionLabel *Label5_4 = nullptr;
    Picture *Image15 = nullptr; // exit
    CaptionLabel *Label5_7 = nullptr;

  protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tibbo::window
