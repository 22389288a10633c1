#include "highlightrowsmodel.h"

#include "entrylistpanel.h"
#include "theme.h"

namespace tibbo::window {

void HighlightRowsModel::setRows(std::vector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int HighlightRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant HighlightRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= std::ssize(m_rows))
        return {};
    const Row &row = m_rows[static_cast<size_t>(index.row())];
    const bool found = row.page > 0;
    switch (role) {
    case EntryListPanel::TitleRole: {
        // "第12页 · 第三章　风起"; the page first, as a long heading is cut.
        const QString page =
            found ? QStringLiteral("第%1页").arg(row.page) : QStringLiteral("未找到");
        return row.chapter.isEmpty() ? page : page + QStringLiteral(" · ") + row.chapter;
    }
    case EntryListPanel::MarkedTextRole:
        return row.words.simplified();
    case EntryListPanel::NoteRole:
        return row.note.simplified();
    case EntryListPanel::MarkColourRole:
        // The list is white in every theme: the day's bands show on it.
        return markColour(Theme::Day, highlightMark(row.colour));
    case Qt::ToolTipRole:
        if (!found)
            return QStringLiteral("书的内容变了，没有找到这一处；它和笔记都还留着");
        if (row.note.isEmpty())
            return row.words.toHtmlEscaped();
        return QStringLiteral("<p>%1</p><p style='white-space:pre-wrap'>%2</p>")
            .arg(row.words.toHtmlEscaped(), row.note.toHtmlEscaped());
    default:
        return {};
    }
}

// A highlight not found in the text has no place to jump to.
Qt::ItemFlags HighlightRowsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= std::ssize(m_rows))
        return Qt::NoItemFlags;
    return m_rows[static_cast<size_t>(index.row())].page > 0
               ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
               : Qt::ItemNeverHasChildren;
}

} // namespace tibbo::window
