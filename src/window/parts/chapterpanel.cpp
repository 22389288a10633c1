#include "chapterpanel.h"

#include "widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeWidget>

namespace tibbo::window {

ChapterPanel::ChapterPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("chapterPanel"));
    resize(300, 380);
    hide();
}

// The list is made when it is first opened: most readings never open it, and a tree
// view lays itself out (loading a bold face for its header) even while hidden.
void ChapterPanel::build()
{
    m_caption = new QLabel(QStringLiteral("目录"), this);
    m_caption->setObjectName(QStringLiteral("chapterCaption"));
    m_caption->setGeometry(12, 6, 200, 20);
    m_caption->setStyleSheet("color: #000080; font-weight: bold;");
    auto *close = new PanelButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("chapterClose"));
    close->setGeometry(width() - 54, 5, 44, 20);
    // Two columns: the heading, elided when long, and its page at the right.
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("chapterList"));
    m_list->setGeometry(10, 30, width() - 20, height() - 40);
    m_list->setColumnCount(2);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->setStyleSheet("QTreeWidget { background: white; border: 1px solid #3050c0; }"
                          "QTreeWidget::item:selected { background: #ffe0e8; color: black; }");
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    const auto choose = [this](QTreeWidgetItem *item) {
        hide();
        emit chapterChosen(m_list->indexOfTopLevelItem(item));
    };
    connect(m_list, &QTreeWidget::itemClicked, this, choose);
    connect(m_list, &QTreeWidget::itemActivated, this, choose);
}

void ChapterPanel::open(const std::vector<Entry> &entries, int current)
{
    if (!m_list)
        build();
    m_list->clear();
    for (const Entry &entry : entries) {
        auto *item =
            new QTreeWidgetItem(m_list, {entry.title, QStringLiteral("第%1页").arg(entry.page)});
        item->setToolTip(0, entry.title);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_caption->setText(entries.empty() ? QStringLiteral("目录 (这本书里没有找到章节标题)")
                                       : QStringLiteral("目录 (共%1章)").arg(entries.size()));
    if (const QWidget *window = parentWidget())
        move((window->width() - width()) / 2, std::max(0, (window->height() - height()) / 2));
    show();
    raise();
    if (current >= 0 && current < m_list->topLevelItemCount()) {
        QTreeWidgetItem *item = m_list->topLevelItem(current);
        QFont bold = item->font(0);
        bold.setBold(true);
        for (int column : {0, 1})
            item->setFont(column, bold);
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    }
    m_list->setFocus();
}

void ChapterPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
