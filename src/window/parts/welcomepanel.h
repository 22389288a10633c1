#pragma once
// The welcome panel of the first start, in the bubble over the manual.

#include <QWidget>

namespace tibbo::window {

class CaptionLabel;

class WelcomePanel : public QWidget
{
    Q_OBJECT
  public:
    explicit WelcomePanel(QWidget *parent);
    void setStartCaption(const QString &caption);
    void setCommandCursor(const QCursor &cursor);

  signals:
    void startRequested();

  private:
    QWidget *m_startPicture = nullptr;
    CaptionLabel *m_startCaption = nullptr;
};

} // namespace tibbo::window
