// Form1: settings.ini and Slide.cache, the open dialog and the recent list.
#include "form1.h"

#include "qtext.h"

#include "dialogs.h"
#include "menupanel.h"
#include "scrollpanel.h"
#include "settingspanel.h"
#include "widgets.h"

#include "settings/recentlist.h"
#include "settings/settingsfile.h"
#include "text/fileio.h"
#include "text/numbers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>

namespace tibbo::window {

int Form1::windowStateCode() const
{
    if (isFullScreen() || isFullScreenCaption())
        return 2;
    if (isMinimized())
        return 1;
    return 0;
}

bool Form1::WriteINI()
{
    core::SettingsData data = core::settingsFromState(m_state);
    data.windowState = windowStateCode();
    data.font.name = m_labelFont.family().toStdString();
    data.font.size = m_labelFont.pointSizeF();
    data.font.bold = m_labelFont.bold();
    data.font.italic = m_labelFont.italic();
    data.font.underline = m_labelFont.underline();
    data.trim = static_cast<int>(Picture4->Check4->checkState()) == Qt::Checked ? 1
                : Picture4->Check4->checkState() == Qt::PartiallyChecked        ? 2
                                                                                : 0;
    data.scrollSpeed = Picture8->HScroll1->value();
    const std::string dir = appFolder().toStdString();
    const bool ok =
        core::writeFileAtomically(core::settingsFilePath(dir), core::writeSettingsFile(data)) &&
        core::writeFileAtomically(core::slideCachePath(dir),
                                  core::slideCacheBytes(m_state.bookText));
    // On the way out the program ends in any case; otherwise the reader must know.
    if (!ok && !m_exited)
        Dialogs::message(
            this, QStringLiteral("设置文件保存不了,请看看磁盘是不是满了或者文件夹能不能写."));
    return ok;
}

void Form1::ReadINI()
{
    const std::string dir = appFolder().toStdString();
    const auto bytes = core::readFile(core::settingsFilePath(dir));
    if (!bytes)
        return;
    const core::SettingsRead read = core::readSettingsFile(*bytes);
    if (read.windowState) {
        applyWindowState(*read.windowState);
        if (*read.windowState == 2)
            Label5[6]->setCaption(QStringLiteral("恢复到一般大小"));
    }
    core::applySettingsToState(read, m_state);
    if (read.marksEnded)
        FreshMarkmenu();
    QFont preview = Picture4->Label8->font();
    if (read.fontName)
        preview.setFamily(qs(*read.fontName));
    if (read.fontSize && *read.fontSize > 0)
        preview.setPointSizeF(*read.fontSize);
    if (read.fontBold)
        preview.setBold(*read.fontBold);
    if (read.fontItalic)
        preview.setItalic(*read.fontItalic);
    if (read.fontUnderline)
        preview.setUnderline(*read.fontUnderline);
    Picture4->Label8->setFont(preview);
    if (read.trim)
        Picture4->Check4->setCheckState(*read.trim == 1   ? Qt::Checked
                                        : *read.trim == 2 ? Qt::PartiallyChecked
                                                          : Qt::Unchecked);
    const std::pair<const std::optional<double> &, QComboBox *> boxes[] = {
        {read.lineSpacing, Picture4->Combo2},
        {read.topMargin, Picture4->Combo3},
        {read.bottomMargin, Picture4->Combo4},
        {read.leftMargin, Picture4->Combo5},
        {read.rightMargin, Picture4->Combo6}};
    for (const auto &[value, box] : boxes)
        if (value)
            box->setEditText(qs(core::plainNumber(*value)));
    if (read.pageEnded)
        Setpage();
    if (read.scrollSpeed)
        Picture8->HScroll1->setValue(*read.scrollSpeed);
    Freshmenu();
    m_settingsReadToEnd = read.complete;
    if (read.complete) {
        // The feed fills the scroll text of the book just restored, also when the reader
        // comes back from the manual.
        m_state.bookText.clear();
        Timer4.start();
    }
}

void Form1::AddRecent()
{
    core::addRecent(m_state.recent, m_state.bookPath);
    Freshmenu();
}

void Form1::Freshmenu()
{
    const auto items = core::recentMenuItems(m_state.recent);
    for (size_t i = 0; i < Mnrecent.size(); ++i) {
        QString caption = i < items.size() ? qs(items[i].caption) : QStringLiteral("none");
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        Mnrecent[i]->setText(caption);
        Mnrecent[i]->setEnabled(i < items.size() && items[i].enabled);
    }
}

void Form1::Image7_Click()
{
    CloseMenu();
    const QString path =
        Dialogs::openFile(this, QStringLiteral("打开一个小说文件"),
                          QStringLiteral("所有支持文件 (*.txt *.htm *.html);;文本文件 "
                                         "(*.txt);;超文本文件 (*.htm *.html);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    openChosenBook(path);
}

void Form1::Mnrecent_Click(int index)
{
    CloseMenu();
    if (index < 0 || static_cast<size_t>(index) >= m_state.recent.size())
        return;
    openChosenBook(qs(m_state.recent[static_cast<size_t>(index)]));
}

void Form1::MnOpen_Click()
{
    if (isMinimized())
        showNormal();
    show();
    Image7_Click();
}

void Form1::openChosenBook(const QString &path)
{
    if (core::isHtmlPath(path.toStdString()))
        OpenHtml(path);
    else
        OpenBook(path);
}

} // namespace tibbo::window
