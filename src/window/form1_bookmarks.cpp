// Form1: choosing a line, the bookmark commands and menu, mark files and the icon.
#include "form1.h"

#include "dialogs.h"
#include "welcomepanel.h"
#include "widgets.h"

#include "bookmarks/bookmarkstore.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace tibbo::window {

void Form1::Readmarks(const QString &bookName)
{
    Mngoto->setEnabled(false);
    m_state.bookmarks = core::readMarks(appFolder().toStdString(), bookName.toStdString());
    FreshMarkmenu();
}

void Form1::Writemark()
{
    if (!core::writeMarks(appFolder().toStdString(), m_state.bookPath, m_state.bookmarks))
        Dialogs::message(this,
                         QStringLiteral("书签保存不了,请看看磁盘是不是满了或者文件夹能不能写."));
}

void Form1::Setmark(int index)
{
    GetLinelen();
    if (index < 0 || static_cast<size_t>(index) >= Label3.size())
        return;
    const LineLabel *line = Label3[static_cast<size_t>(index)];
    // Left of a left-page line, right of a full right-page line.
    if (index < m_state.linesPerPage)
        Image11->move(line->x() - Image11->width(), line->y());
    else
        Image11->move(line->x() + Label1->width(), line->y());
    Image11->show();
    Image11->raise();
}

void Form1::FreshMarkmenu()
{
    const auto captions = core::bookmarkMenuCaptions(m_state);
    const size_t n = captions.size();
    // Items 0 .. n-1 carry the bookmarks in list order; one spare item stays hidden.
    while (Mnmark.size() < n + 1) {
        const int index = static_cast<int>(Mnmark.size());
        QAction *item = Mngoto->addAction(QString());
        connect(item, &QAction::triggered, this, [this, index] { Mnmark_Click(index); });
        Mnmark.push_back(item);
    }
    while (Mnmark.size() > std::max<size_t>(n + 1, 1)) {
        delete Mnmark.back();
        Mnmark.pop_back();
    }
    for (size_t i = 0; i < n; ++i) {
        Mnmark[i]->setText(QString::fromStdString(captions[i]));
        Mnmark[i]->setVisible(true);
    }
    if (n > 0)
        Mnmark[n]->setVisible(false);
    Mngoto->setEnabled(n > 0);
}

void Form1::Label3_MouseDown(int index, Qt::MouseButton button)
{
    if (button == Qt::RightButton) {
        ShowMenu();
        if (Mnrecent[1]->text() == QLatin1String("none")) {
            Picture3->show();
            Form_Resize();
        }
    }
    if (!m_state.menuShown) {
        const auto previous = static_cast<size_t>(m_state.highlightedLine);
        if (previous < Label3.size())
            Label3[previous]->setHighlighted(false);
        Label3[static_cast<size_t>(index)]->setHighlighted(true);
        m_state.highlightedLine = index;
        m_state.selectedLine = index;
        m_state.lineChosen = true;
    } else if (button == Qt::LeftButton) {
        CloseMenu();
    }
}

void Form1::Mnadd_Click()
{
    if (core::addBookmark(m_state) == core::AddBookmarkOutcome::NoLineChosen) {
        Dialogs::message(this, QStringLiteral("请点击你要加书签的那一行先"));
        return;
    }
    FreshMarkmenu();
    Setmark(static_cast<int>(m_state.selectedLine));
    Writemark();
    CloseMenu();
}

void Form1::Mnmark_Click(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= Mnmark.size())
        return;
    core::jumpToBookmark(m_state, Mnmark[static_cast<size_t>(index)]->text().toStdString());
    LookUp();
    CloseMenu();
}

void Form1::Image11_DblClick()
{
    core::deleteBookmark(m_state);
    FreshMarkmenu();
    Image11->hide();
    // The mark file follows at once, so a deleted bookmark stays deleted.
    Writemark();
}

} // namespace tibbo::window
