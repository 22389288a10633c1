#pragma once
// The two panels that show work in progress in the bubble: the loading panel (inside
// the menu panel, with a cancel button) and the re-flow notice.

#include <QWidget>

namespace tibbo::window {

class PanelButton;
class ProgressBar;

class LoadingPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit LoadingPanel(QWidget *parent);
    // A plain-text book is read in one go: no bar and no way to cancel.
    void open(bool withProgress);
    void setProgress(double fraction);

  signals:
    void cancelRequested();

  private:
    ProgressBar *m_progress = nullptr;
    PanelButton *m_cancelButton = nullptr;
};

class ReflowNotice : public QWidget
{
  public:
    explicit ReflowNotice(QWidget *parent);
    void setProgress(double fraction);

  private:
    ProgressBar *m_progress = nullptr;
};

} // namespace tibbo::window
