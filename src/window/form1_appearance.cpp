// Form1: the settings panel and the quick size menu.
//
// The preview label Label8 is the editing copy of the page font: the panel's font list,
// size box and style boxes change only the preview, and OK (Command4) carries it over
// to the page. The size menu is the quick road: it changes the page's size at once and
// leaves the preview and settings.ini alone.
#include "form1.h"

#include "dialogs.h"
#include "menupanel.h"
#include "settingspanel.h"
#include "widgets.h"

#include "text/numbers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

namespace tibbo::window {

namespace {

const QString kCurrentFont = QStringLiteral("当前字体:");
// The size menu and the size box offer these points.
constexpr int kSmallestSize = 6;
constexpr int kLargestSize = 30;

// Check4 holds 0 (off), 1 (on) or 2 (undecided), as settings.ini stores it; Qt numbers
// the undecided state 1, so the two are mapped here.
int check4Value(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void setCheck4Value(QCheckBox *box, int value)
{
    box->setCheckState(value == 1   ? Qt::Checked
                       : value == 2 ? Qt::PartiallyChecked
                                    : Qt::Unchecked);
}

double numberOf(const QString &text)
{
    return core::val(text.toStdString());
}

} // namespace

void Form1::fillAppearanceControls()
{
    SettingsPanel *s = Picture4;

    // Families in the order the font database gives them; only an exact match of the
    // preview's family is selected, so a font that is not installed selects nothing.
    s->List5->clear();
    const QString previewFamily = s->Label8->font().family();
    int selected = -1;
    for (const QString &family : QFontDatabase::families()) {
        s->List5->addItem(family);
        if (selected < 0 && family == previewFamily)
            selected = s->List5->count() - 1;
    }
    if (selected >= 0) {
        s->List5->setCurrentRow(selected);
        s->List5->scrollToItem(s->List5->item(selected));
        List5_Click();
    } else {
        s->List5->setCurrentRow(-1);
        s->List5->clearSelection();
        s->Label5_10->setCaption(kCurrentFont);
    }

    const auto fill = [](QComboBox *box, int from, int to, const QString &text) {
        box->clear();
        for (int i = from; i <= to; ++i)
            box->addItem(QString::number(i));
        box->setEditText(text);
    };
    fill(s->Combo1, kSmallestSize, kLargestSize,
         QString::fromStdString(core::str(s->Label8->font().pointSizeF())));
    fill(s->Combo2, 0, 10, QString::fromStdString(core::plainNumber(m_state.lineSpacing)));
    fill(s->Combo3, 10, 100, QString::fromStdString(core::plainNumber(m_state.topMargin)));
    fill(s->Combo4, 10, 100, QString::fromStdString(core::plainNumber(m_state.bottomMargin)));
    fill(s->Combo5, 10, 100, QString::fromStdString(core::plainNumber(m_state.leftMargin)));
    fill(s->Combo6, 10, 100, QString::fromStdString(core::plainNumber(m_state.rightMargin)));

    // Mnsize(0) "6" is built with the menus; "7" to "30" are added once. ShowSizeMenu
    // sets the checks again every time the menu opens.
    if (Mnsize.size() == 1) {
        for (int size = kSmallestSize + 1; size <= kLargestSize; ++size) {
            QAction *item = MnFontsize->addAction(QString::number(size));
            item->setCheckable(true);
            const int index = static_cast<int>(Mnsize.size());
            connect(item, &QAction::triggered, this, [this, index] { Mnsize_Click(index); });
            Mnsize.push_back(item);
        }
    }
    for (QAction *item : Mnsize)
        item->setChecked(numberOf(item->text()) == m_labelFont.pointSizeF());

    const QFont preview = s->Label8->font();
    s->Check1->setChecked(preview.underline());
    s->Check2->setChecked(preview.bold());
    s->Check3->setChecked(preview.italic());
}

void Form1::Image17_Click()
{
    Picture4->move(24, 6);
    Picture4->show();
    Picture4->raise();
    m_state.trimParagraphs = check4Value(Picture4->Check4);
}

void Form1::ShowSizeMenu()
{
    // A page size of 10.5 points checks "10": the menu only offers whole points.
    const int64_t whole = core::intFloor(m_labelFont.pointSizeF());
    for (QAction *item : Mnsize)
        item->setChecked(numberOf(item->text()) == static_cast<double>(whole));
    Dialogs::popup(MnFontsize);
}

void Form1::Mnsize_Click(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= Mnsize.size())
        return;
    CloseMenu();
    const QString caption = Mnsize[static_cast<size_t>(index)]->text();
    const double size = numberOf(caption);
    if (size > 0) {
        m_labelFont.setPointSizeF(size);
        Label1->setFont(m_labelFont);
    }
    Picture4->Combo1->setEditText(caption);
    GetLinelen();
    Resizeline();
}

void Form1::MnSetting_Click()
{
    TrayIcon1_Show();
    ShowMenu();
    Image17_Click();
}

void Form1::List5_Click()
{
    SettingsPanel *s = Picture4;
    if (QListWidgetItem *item = s->List5->currentItem()) {
        QFont preview = s->Label8->font();
        preview.setFamily(item->text());
        s->Label8->setFont(preview);
    }
    s->Label5_10->setCaption(kCurrentFont + s->Label8->font().family());
}

void Form1::Combo1_Click()
{
    // Sizes of zero or less cannot be shown; the preview keeps its size then.
    const double size = numberOf(Picture4->Combo1->currentText());
    if (size <= 0)
        return;
    QFont preview = Picture4->Label8->font();
    preview.setPointSizeF(size);
    Picture4->Label8->setFont(preview);
}

void Form1::Check1_Click()
{
    QFont preview = Picture4->Label8->font();
    preview.setUnderline(Picture4->Check1->checkState() == Qt::Checked);
    Picture4->Label8->setFont(preview);
}

void Form1::Check2_Click()
{
    QFont preview = Picture4->Label8->font();
    preview.setBold(Picture4->Check2->checkState() == Qt::Checked);
    Picture4->Label8->setFont(preview);
}

void Form1::Check3_Click()
{
    QFont preview = Picture4->Label8->font();
    preview.setItalic(Picture4->Check3->checkState() == Qt::Checked);
    Picture4->Label8->setFont(preview);
}

void Form1::Command4_Click()
{
    Setpage();
    WriteINI();
    Picture4->hide();
    CloseMenu();
    Resizeline();
    m_state.trimParagraphs = check4Value(Picture4->Check4);
}

void Form1::Command5_Click()
{
    // The preview, the list and the boxes keep their edits for a later OK.
    Picture4->hide();
    setCheck4Value(Picture4->Check4, m_state.trimParagraphs);
}

} // namespace tibbo::window
