#pragma once
// The menu panel in the speech bubble: a picture with a caption for every command.
// Left clicks run a command, right clicks on open, bookmarks, automatic turning and
// settings ask for their pop-up menus. The loading and settings panels open inside it.

#include <QWidget>

namespace tibbo::window {

class CaptionLabel;
class Picture;

class MenuPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit MenuPanel(QWidget *parent);

    void setAutoTurnCaption(const QString &caption);
    // "恢复到一般大小" in full screen, "放大到全屏幕" out of it.
    void showFullScreen(bool on);
    // "看看说明书" opens the manual; "不想看了" goes back to the reader's own book.
    void setManualCaption(const QString &caption);
    void setCommandCursor(const QCursor &cursor);

  signals:
    void openRequested();
    void recentMenuRequested();
    void addBookmarkRequested();
    void bookmarkMenuRequested();
    // The picture switches by the menu item's check mark, the caption by the timer.
    void autoTurnPictureClicked();
    void autoTurnCaptionPressed();
    void autoTurnMenuRequested();
    void settingsRequested();
    void sizeMenuRequested();
    void fullScreenRequested();
    void manualRequested();
    void exitRequested();
    void chapterListRequested();
    void searchRequested();
    void scriptMenuRequested();
    // 朗读: a left click starts or stops reading aloud, a right press asks for its menu.
    void readAloudRequested();
    void readAloudMenuRequested();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    // A picture and its caption run one command on a left click and ask for a menu on a
    // right press.
    void wire(Picture *picture, CaptionLabel *caption, void (MenuPanel::*command)(),
              void (MenuPanel::*menu)());

    CaptionLabel *m_greeting = nullptr;
    CaptionLabel *m_chapterListCaption = nullptr;
    CaptionLabel *m_searchCaption = nullptr;
    CaptionLabel *m_scriptCaption = nullptr;
    CaptionLabel *m_readAloudCaption = nullptr;
    Picture *m_openPicture = nullptr;
    CaptionLabel *m_openCaption = nullptr;
    Picture *m_bookmarkPicture = nullptr;
    CaptionLabel *m_bookmarkCaption = nullptr;
    Picture *m_autoTurnPicture = nullptr;
    CaptionLabel *m_autoTurnCaption = nullptr;
    Picture *m_settingsPicture = nullptr;
    CaptionLabel *m_settingsCaption = nullptr;
    Picture *m_fullScreenPicture = nullptr;
    CaptionLabel *m_fullScreenCaption = nullptr;
    Picture *m_manualPicture = nullptr;
    CaptionLabel *m_manualCaption = nullptr;
    Picture *m_exitPicture = nullptr;
    CaptionLabel *m_exitCaption = nullptr;
};

} // namespace tibbo::window
