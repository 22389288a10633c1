#pragma once
// Picture10: the loading panel inside the menu panel while a book is read.

#include <QWidget>

namespace tibbo::window {

class CaptionLabel;
class PanelButton;
class ProgressBar;

class LoadingPanel : public QWidget
{
  public:
    explicit LoadingPanel(QWidget *parent);

    CaptionLabel *Label5_18 = nullptr; // "正在打开文件，请稍候....."
    ProgressBar *Picture11 = nullptr;  // progress frame with its bar Shape3
    PanelButton *Command6 = nullptr;   // 取消打开
};

} // namespace tibbo::window
