// Form1: the settings panel and the quick size menu.
#include "form1.h"

#include "settingspanel.h"
#include "widgets.h"

#include "text/numbers.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

namespace tibbo::window {

void Form1::fillAppearanceControls()
{
    SettingsPanel *s = Picture4;
    s->List5->clear();
    const QString previewFamily = s->Label8->font().family();
    for (const QString &family : QFontDatabase::families()) {
        s->List5->addItem(family);
        if (family == previewFamily)
            s->List5->setCurrentRow(s->List5->count() - 1);
    }
    const auto fill = [](QComboBox *box, int from, int to, const QString &text) {
        box->clear();
        for (int i = from; i <= to; ++i)
            box->addItem(QString::number(i));
        box->setEditText(text);
    };
    fill(s->Combo1, 6, 30, QString::fromStdString(core::str(s->Label8->font().pointSizeF())));
    fill(s->Combo2, 0, 10, QString::fromStdString(core::plainNumber(m_state.lineSpacing)));
    fill(s->Combo3, 10, 100, QString::fromStdString(core::plainNumber(m_state.topMargin)));
    fill(s->Combo4, 10, 100, QString::fromStdString(core::plainNumber(m_state.bottomMargin)));
    fill(s->Combo5, 10, 100, QString::fromStdString(core::plainNumber(m_state.leftMargin)));
    fill(s->Combo6, 10, 100, QString::fromStdString(core::plainNumber(m_state.rightMargin)));
}

void Form1::Image17_Click() {}
void Form1::ShowSizeMenu() {}
void Form1::Mnsize_Click(int) {}
void Form1::MnSetting_Click() {}
void Form1::List5_Click() {}
void Form1::Combo1_Click() {}
void Form1::Check1_Click() {}
void Form1::Check2_Click() {}
void Form1::Check3_Click() {}
void Form1::Command4_Click() {}
void Form1::Command5_Click() {}

} // namespace tibbo::window
