#include "readermenus.h"

#include "qtext.h"
#include "readaloud.h"

#include "dialogs.h"

#include "settings/pagelayoutcheck.h"
#include "settings/recentlist.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include <cmath>

namespace tibbo::window {

namespace {

// The size menu offers these points, as the settings panel's size box does.
constexpr int kSmallestSize = core::kSmallestQuickSize;
constexpr int kLargestSize = core::kLargestQuickSize;

} // namespace

ReaderMenus::ReaderMenus(QWidget *parent) : QObject(parent)
{
    m_recentMenu = new QMenu(QStringLiteral("文件"), parent);
    m_recentMenu->setObjectName(QStringLiteral("recentMenu"));
    for (int i = 0; i < 5; ++i) {
        m_recentItems[i] = m_recentMenu->addAction(QStringLiteral("none"));
        connect(m_recentItems[i], &QAction::triggered, this, [this, i] { emit recentChosen(i); });
    }

    // The script the book is shown in; what is stored stays the book's own text.
    m_scriptMenu = new QMenu(QStringLiteral("简繁"), parent);
    m_scriptMenu->setObjectName(QStringLiteral("scriptMenu"));
    for (const core::ScriptMode mode : core::allScriptModes()) {
        QAction *item = m_scriptMenu->addAction(qs(core::scriptModeCaption(mode)));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, mode] { emit scriptChosen(mode); });
        m_scriptItems.emplace_back(mode, item);
        if (mode == core::ScriptMode::Original)
            m_scriptMenu->addSeparator();
    }

    // A book read in the wrong code page is opened again in the one chosen here.
    m_recentMenu->addSeparator();
    QMenu *encodings = m_recentMenu->addMenu(QStringLiteral("编码"));
    encodings->setObjectName(QStringLiteral("encodingMenu"));
    for (const char *name : {"", "GB18030", "Big5", "UTF-8", "UTF-16"}) {
        const QString encoding = QString::fromLatin1(name);
        QAction *item =
            encodings->addAction(encoding.isEmpty() ? QStringLiteral("自动识别") : encoding);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this,
                [this, encoding] { emit encodingChosen(encoding); });
        m_encodingItems.emplace_back(encoding, item);
    }

    m_bookmarkMenu = new QMenu(QStringLiteral("书签"), parent);
    m_bookmarkMenu->setObjectName(QStringLiteral("bookmarkMenu"));
    connect(m_bookmarkMenu->addAction(QStringLiteral("添加书签")), &QAction::triggered, this,
            &ReaderMenus::addBookmarkChosen);
    m_bookmarkMenu->addSeparator();
    m_goToMenu = m_bookmarkMenu->addMenu(QStringLiteral("转到"));
    m_goToMenu->setObjectName(QStringLiteral("bookmarkGoToMenu"));
    m_goToMenu->setEnabled(false);
    connect(m_bookmarkMenu->addAction(QStringLiteral("转到指定页")), &QAction::triggered, this,
            &ReaderMenus::goToPageChosen);
    // The list of the book's highlights and notes (H), which jumps and exports.
    QAction *highlightsItem = m_bookmarkMenu->addAction(QStringLiteral("划线和笔记"));
    highlightsItem->setToolTip(QStringLiteral("本书的划线和笔记：跳转、导出 (H 键)"));
    connect(highlightsItem, &QAction::triggered, this, &ReaderMenus::highlightListChosen);
    // Beside the jumps, the way back from them (Alt+Left); greyed while there is none.
    m_wayBackItem = m_bookmarkMenu->addAction(QStringLiteral("回到刚才"));
    m_wayBackItem->setToolTip(
        QStringLiteral("回到跳转以前读的地方 (Alt+左方向键; Alt+右方向键再跳回去)"));
    m_wayBackItem->setEnabled(false);
    connect(m_wayBackItem, &QAction::triggered, this, &ReaderMenus::wayBackChosen);

    m_fontSizeMenu = new QMenu(QStringLiteral("字号"), parent);
    m_fontSizeMenu->setObjectName(QStringLiteral("fontSizeMenu"));
    for (int size = kSmallestSize; size <= kLargestSize; ++size) {
        QAction *item = m_fontSizeMenu->addAction(QString::number(size));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, size] { emit fontSizeChosen(size); });
        m_fontSizeItems.push_back(item);
    }

    // The themes follow the sizes in the quick settings menu.
    m_fontSizeMenu->addSeparator();
    QMenu *themes = m_fontSizeMenu->addMenu(QStringLiteral("主题"));
    themes->setObjectName(QStringLiteral("themeMenu"));
    const char *const themeNames[] = {"日间", "护眼(棕黄)", "夜间"};
    for (int theme = 0; theme < 3; ++theme) {
        QAction *item = themes->addAction(QString::fromUtf8(themeNames[theme]));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, theme] { emit themeChosen(theme); });
        m_themeItems.push_back(item);
    }

    m_autoTurnMenu = new QMenu(QStringLiteral("自动翻页"), parent);
    m_autoTurnMenu->setObjectName(QStringLiteral("autoTurnMenu"));
    m_autoTurnItem = m_autoTurnMenu->addAction(QStringLiteral("自动翻页"));
    m_autoTurnItem->setCheckable(true);
    // The check mark is the reading modes' to set (they keep it), not Qt's toggle.
    connect(m_autoTurnItem, &QAction::triggered, this, [this] {
        m_autoTurnItem->setChecked(!m_autoTurnItem->isChecked());
        emit autoTurnChosen();
    });
    connect(m_autoTurnMenu->addAction(QStringLiteral("滚动翻页")), &QAction::triggered, this,
            &ReaderMenus::scrollModeChosen);
    // What the reader's reading adds up to, and the speed the time left goes by.
    connect(m_autoTurnMenu->addAction(QStringLiteral("阅读统计")), &QAction::triggered, this,
            &ReaderMenus::statisticsChosen);
    m_autoTurnMenu->addSeparator();
    connect(m_autoTurnMenu->addAction(QStringLiteral("设置翻页时间")), &QAction::triggered, this,
            &ReaderMenus::intervalChosen);
    m_speedTestItem = m_autoTurnMenu->addAction(QStringLiteral("开始测试读速"));
    connect(m_speedTestItem, &QAction::triggered, this, &ReaderMenus::speedTestChosen);

    m_readAloudMenu = new QMenu(QStringLiteral("朗读"), parent);
    m_readAloudMenu->setObjectName(QStringLiteral("readAloudMenu"));
    m_readAloudItem = m_readAloudMenu->addAction(QStringLiteral("开始朗读"));
    connect(m_readAloudItem, &QAction::triggered, this, &ReaderMenus::readAloudChosen);
    m_pauseReadingItem = m_readAloudMenu->addAction(QStringLiteral("暂停朗读"));
    connect(m_pauseReadingItem, &QAction::triggered, this, &ReaderMenus::pauseReadingChosen);
    m_readAloudMenu->addSeparator();
    QMenu *sleep = m_readAloudMenu->addMenu(QStringLiteral("定时停止"));
    sleep->setObjectName(QStringLiteral("sleepTimerMenu"));
    for (int choice : sleepTimerChoices()) {
        QAction *item = sleep->addAction(sleepTimerCaption(choice));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, choice] { emit sleepTimerChosen(choice); });
        m_sleepTimerItems.emplace_back(choice, item);
    }
    connect(m_readAloudMenu->addAction(QStringLiteral("朗读设置...")), &QAction::triggered, this,
            &ReaderMenus::readAloudSettingsChosen);
    showReadingAloud(false, false);

    m_trayMenu = new QMenu(QStringLiteral("功能"), parent);
    m_trayMenu->setObjectName(QStringLiteral("trayMenu"));
    connect(m_trayMenu->addAction(QStringLiteral("打开文件")), &QAction::triggered, this,
            &ReaderMenus::openChosen);
    connect(m_trayMenu->addAction(QStringLiteral("软件设置 ")), &QAction::triggered, this,
            &ReaderMenus::settingsChosen);
    m_trayMenu->addSeparator();
    // Exit is queued: it ends the program, and the menu's own mouse handling must be
    // over before the window goes.
    connect(m_trayMenu->addAction(QStringLiteral("退出")), &QAction::triggered, this,
            &ReaderMenus::exitChosen, Qt::QueuedConnection);
}

void ReaderMenus::popUpRecent()
{
    Dialogs::popup(m_recentMenu);
}

void ReaderMenus::popUpBookmarks()
{
    Dialogs::popup(m_bookmarkMenu);
}

void ReaderMenus::popUpAutoTurn()
{
    Dialogs::popup(m_autoTurnMenu);
}

void ReaderMenus::popUpTray()
{
    Dialogs::popup(m_trayMenu);
}

void ReaderMenus::popUpReadAloud()
{
    Dialogs::popup(m_readAloudMenu);
}

void ReaderMenus::showReadingAloud(bool reading, bool paused)
{
    m_readAloudItem->setText(reading ? QStringLiteral("停止朗读") : QStringLiteral("开始朗读"));
    m_pauseReadingItem->setText(paused ? QStringLiteral("继续朗读") : QStringLiteral("暂停朗读"));
    m_pauseReadingItem->setEnabled(reading);
}

void ReaderMenus::checkSleepTimer(int choice)
{
    for (const auto &[value, item] : m_sleepTimerItems)
        item->setChecked(value == choice);
}

void ReaderMenus::popUpFontSize(double pagePoints)
{
    checkFontSize(pagePoints);
    Dialogs::popup(m_fontSizeMenu);
}

void ReaderMenus::setRecentItems(const std::vector<core::RecentMenuItem> &items)
{
    for (size_t i = 0; i < m_recentItems.size(); ++i) {
        QString caption =
            i < items.size() ? QString::fromStdString(items[i].caption) : QStringLiteral("none");
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        m_recentItems[i]->setText(caption);
        m_recentItems[i]->setEnabled(i < items.size() && items[i].enabled);
    }
}

void ReaderMenus::setBookmarkCaptions(const std::vector<std::string> &captions)
{
    const size_t n = captions.size();
    while (m_bookmarkItems.size() < n) {
        const int index = static_cast<int>(m_bookmarkItems.size());
        QAction *item = m_goToMenu->addAction(QString());
        connect(item, &QAction::triggered, this, [this, index] { emit bookmarkChosen(index); });
        m_bookmarkItems.push_back(item);
    }
    while (m_bookmarkItems.size() > n) {
        delete m_bookmarkItems.back();
        m_bookmarkItems.pop_back();
    }
    for (size_t i = 0; i < n; ++i)
        m_bookmarkItems[i]->setText(QString::fromStdString(captions[i]));
    m_goToMenu->setEnabled(n > 0);
}

void ReaderMenus::checkFontSize(double points)
{
    // A page size of 10.5 points checks "10": the menu only offers whole points.
    for (size_t i = 0; i < m_fontSizeItems.size(); ++i)
        m_fontSizeItems[i]->setChecked(static_cast<int>(i) + kSmallestSize ==
                                       static_cast<int>(std::floor(points)));
}

void ReaderMenus::checkEncoding(const QString &name)
{
    for (const auto &[encoding, item] : m_encodingItems)
        item->setChecked(encoding == name);
}

void ReaderMenus::checkScript(core::ScriptMode mode)
{
    for (const auto &[itemMode, item] : m_scriptItems)
        item->setChecked(itemMode == mode);
}

void ReaderMenus::popUpScript()
{
    Dialogs::popup(m_scriptMenu);
}

void ReaderMenus::checkTheme(int theme)
{
    for (size_t i = 0; i < m_themeItems.size(); ++i)
        m_themeItems[i]->setChecked(static_cast<int>(i) == theme);
}

void ReaderMenus::setAutoTurnChecked(bool on)
{
    m_autoTurnItem->setChecked(on);
}

void ReaderMenus::setAutoTurnEnabled(bool on)
{
    m_autoTurnItem->setEnabled(on);
}

void ReaderMenus::setSpeedTestCaption(const QString &caption)
{
    m_speedTestItem->setText(caption);
}

void ReaderMenus::setWayBackEnabled(bool enabled)
{
    m_wayBackItem->setEnabled(enabled);
}

} // namespace tibbo::window
