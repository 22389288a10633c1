#pragma once
// The pop-up menus: recent files, bookmarks, quick font sizes, automatic turning and
// the tray icon's menu. They report the item chosen; the window decides what it does.

#include <QObject>
#include <QString>

#include <array>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace tibbo::core {
struct RecentMenuItem;
}

namespace tibbo::window {

class ReaderMenus : public QObject
{
    Q_OBJECT
  public:
    explicit ReaderMenus(QWidget *parent);

    enum class Menu { Recent, Bookmarks, FontSize, AutoTurn, Tray };
    // Pops the menu up at the pointer.
    void popUp(Menu menu);

    void setRecentItems(const std::vector<core::RecentMenuItem> &items);
    QString recentCaption(int index) const;
    // Bookmark captions in list order ("书签 1 (第3页)").
    void setBookmarkCaptions(const std::vector<std::string> &captions);
    QString bookmarkCaption(int index) const;
    // Checks the size of the page font (whole points).
    void checkFontSize(double points);
    bool autoTurnChecked() const;
    void setAutoTurnChecked(bool on);
    void setAutoTurnEnabled(bool on);
    bool autoTurnEnabled() const;
    void setSpeedTestCaption(const QString &caption);
    QString speedTestCaption() const;

  signals:
    void recentChosen(int index);
    void addBookmarkChosen();
    void bookmarkChosen(int index);
    void goToPageChosen();
    void fontSizeChosen(double points);
    void autoTurnChosen();
    void scrollModeChosen();
    void intervalChosen();
    void speedTestChosen();
    void openChosen();
    void settingsChosen();
    void exitChosen();

  private:
    QMenu *m_recentMenu = nullptr;
    std::array<QAction *, 5> m_recentItems{};
    QMenu *m_bookmarkMenu = nullptr;
    QMenu *m_goToMenu = nullptr;
    std::vector<QAction *> m_bookmarkItems;
    QMenu *m_fontSizeMenu = nullptr;
    std::vector<QAction *> m_fontSizeItems;
    QMenu *m_autoTurnMenu = nullptr;
    QAction *m_autoTurnItem = nullptr;
    QAction *m_speedTestItem = nullptr;
    QMenu *m_trayMenu = nullptr;
};

} // namespace tibbo::window
