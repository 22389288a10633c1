#include "selectionmenu.h"

#include "widgets.h"

#include <QPushButton>

#include <algorithm>

namespace tibbo::window {

namespace {

constexpr int kHeight = 30;
constexpr int kGap = 4;

} // namespace

SelectionMenu::SelectionMenu(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("selectionMenu"));
    const auto button = [this](const char *name, const QString &caption, int width,
                               void (SelectionMenu::*chosen)()) {
        auto *b = new PanelButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setFocusPolicy(Qt::NoFocus);
        b->resize(width, 22);
        connect(b, &QPushButton::clicked, this, chosen);
        m_row.push_back(b);
    };
    button("selectionCopy", QStringLiteral("复制"), 36, &SelectionMenu::copyChosen);
    button("selectionLookUp", QStringLiteral("查词"), 36, &SelectionMenu::lookUpChosen);
    button("selectionSearch", QStringLiteral("搜索"), 36, &SelectionMenu::searchChosen);
    button("selectionReadAloud", QStringLiteral("从这里朗读"), 72, &SelectionMenu::readAloudChosen);
    int x = 6;
    for (QWidget *w : m_row) {
        w->move(x, (kHeight - w->height()) / 2);
        x += w->width() + kGap;
    }
    resize(x + 2, kHeight);
    hide();
}

void SelectionMenu::open(const QRect &area)
{
    const QWidget *window = parentWidget();
    const int W = window ? window->width() : width();
    const int H = window ? window->height() : height();
    int x = area.right() - width() / 2;
    x = std::clamp(x, 4, std::max(4, W - width() - 4));
    // Under the selection, else over it, else over its last line's foot.
    int y = area.bottom() + 6;
    if (y + height() > H - 4)
        y = area.top() - height() - 6;
    if (y < 4)
        y = std::clamp(area.bottom() - height(), 4, std::max(4, H - height() - 4));
    move(x, y);
    show();
    raise();
}

void SelectionMenu::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
