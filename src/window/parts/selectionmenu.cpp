#include "selectionmenu.h"

#include "widgets.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace tibbo::window {

namespace {

constexpr int kRowHeight = 28;
constexpr int kGap = 4;
constexpr int kSwatch = 18;

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
        w->move(x, 4 + (kRowHeight - w->height()) / 2);
        x += w->width() + kGap;
    }
    const int width = x + 2;

    // 划线: a swatch a colour, as the day page shows it, without its transparency.
    auto *caption = new QLabel(QStringLiteral("划线"), this);
    caption->setObjectName(QStringLiteral("selectionHighlightCaption"));
    constexpr int rowY = 4 + kRowHeight;
    x = 8;
    caption->adjustSize();
    caption->move(x, rowY + (kRowHeight - caption->height()) / 2);
    x += caption->width() + kGap;
    static const char *const kNames[] = {"selectionHighlightYellow", "selectionHighlightGreen",
                                         "selectionHighlightPink", "selectionHighlightViolet"};
    static const char *const kTips[] = {"黄色划线", "绿色划线", "粉色划线", "紫色划线"};
    for (int colour = 0; colour < 4; ++colour) {
        auto *swatch = new QPushButton(this);
        swatch->setObjectName(QLatin1String(kNames[colour]));
        swatch->setToolTip(QString::fromUtf8(kTips[colour]));
        swatch->setFocusPolicy(Qt::NoFocus);
        swatch->setCursor(Qt::PointingHandCursor);
        QColor fill = markColour(Theme::Day, highlightMark(colour));
        fill.setAlpha(255);
        swatch->setStyleSheet(QStringLiteral("QPushButton { background: %1; border: 1px solid "
                                             "#8090c0; border-radius: 4px; }"
                                             "QPushButton:hover { border: 2px solid #304080; }")
                                  .arg(fill.name()));
        swatch->resize(kSwatch, kSwatch);
        swatch->move(x, rowY + (kRowHeight - kSwatch) / 2);
        connect(swatch, &QPushButton::clicked, this,
                [this, colour] { emit highlightChosen(colour); });
        x += kSwatch + kGap;
    }
    x += kGap;
    const auto secondRow = [this, &x](const char *name, const QString &text,
                                      void (SelectionMenu::*chosen)()) {
        auto *b = new PanelButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setFocusPolicy(Qt::NoFocus);
        b->resize(36, 22);
        b->move(x, rowY + (kRowHeight - b->height()) / 2);
        connect(b, &QPushButton::clicked, this, chosen);
        x += b->width() + kGap;
        return b;
    };
    secondRow("selectionNote", QStringLiteral("笔记"), &SelectionMenu::noteChosen);
    m_delete = secondRow("selectionDelete", QStringLiteral("删除"), &SelectionMenu::deleteChosen);
    m_delete->setToolTip(QStringLiteral("删除这条划线和它的笔记"));
    resize(std::max(width, x + 2), 8 + 2 * kRowHeight);
    hide();
}

void SelectionMenu::open(const QRect &area, bool onHighlight)
{
    m_delete->setVisible(onHighlight);
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
