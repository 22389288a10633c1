#pragma once
// The pop-up menus: recent files, bookmarks, quick font sizes, automatic turning and
// the tray icon's menu. They report the item chosen; the window decides what it does.

#include <QObject>
#include <QString>

#include "script/scriptmode.h"

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

    void setRecentItems(const std::vector<core::RecentMenuItem> &items);
    // Bookmark captions in list order ("书签 1 (第3页)").
    void setBookmarkCaptions(const std::vector<std::string> &captions);
    // Checks the size of the page font (whole points).
    void checkFontSize(double points);
    void setAutoTurnChecked(bool on);
    void setAutoTurnEnabled(bool on);
    void setSpeedTestCaption(const QString &caption);
    // Checks the encoding a book is read in: "" (found by itself), "GB18030", "Big5",
    // "UTF-8" or "UTF-16".
    void checkEncoding(const QString &name);
    // Checks the theme on show (0 day, 1 sepia, 2 night).
    void checkTheme(int theme);
    // Checks the script the book is shown in.
    void checkScript(core::ScriptMode mode);
    // The read-aloud menu's captions follow the reading: 开始朗读 or 停止朗读, 暂停朗读
    // or 继续朗读 (only while reading).
    void showReadingAloud(bool reading, bool paused);
    // Checks the sleep timer chosen (see sleepTimerChoices).
    void checkSleepTimer(int choice);
    // 回到刚才 in the bookmark menu is greyed while there is no jump to go back from.
    void setWayBackEnabled(bool enabled);

  public slots:
    // Each pops its menu up at the pointer.
    void popUpRecent();
    void popUpBookmarks();
    void popUpAutoTurn();
    void popUpTray();
    void popUpReadAloud();
    // With the size of the page font checked.
    void popUpFontSize(double pagePoints);
    // 原文, 转简体, 转繁体 and their forms, the one on show checked.
    void popUpScript();

  signals:
    void recentChosen(int index);
    void addBookmarkChosen();
    void bookmarkChosen(int index);
    void goToPageChosen();
    void wayBackChosen();
    void highlightListChosen();
    void fontSizeChosen(double points);
    void themeChosen(int theme);
    void encodingChosen(const QString &name);
    void scriptChosen(core::ScriptMode mode);
    void autoTurnChosen();
    void scrollModeChosen();
    void intervalChosen();
    void speedTestChosen();
    void statisticsChosen();
    void openChosen();
    void settingsChosen();
    void exitChosen();
    void readAloudChosen();
    void pauseReadingChosen();
    void sleepTimerChosen(int choice);
    void readAloudSettingsChosen();

  private:
    QMenu *m_recentMenu = nullptr;
    std::array<QAction *, 5> m_recentItems{};
    QMenu *m_bookmarkMenu = nullptr;
    QMenu *m_goToMenu = nullptr;
    std::vector<QAction *> m_bookmarkItems;
    QMenu *m_fontSizeMenu = nullptr;
    std::vector<QAction *> m_fontSizeItems;
    std::vector<QAction *> m_themeItems;
    std::vector<std::pair<QString, QAction *>> m_encodingItems;
    QMenu *m_autoTurnMenu = nullptr;
    QMenu *m_scriptMenu = nullptr;
    std::vector<std::pair<core::ScriptMode, QAction *>> m_scriptItems;
    QAction *m_autoTurnItem = nullptr;
    QAction *m_speedTestItem = nullptr;
    QAction *m_wayBackItem = nullptr;
    QMenu *m_trayMenu = nullptr;
    QMenu *m_readAloudMenu = nullptr;
    QAction *m_readAloudItem = nullptr;
    QAction *m_pauseReadingItem = nullptr;
    std::vector<std::pair<int, QAction *>> m_sleepTimerItems;
};

} // namespace tibbo::window
