#pragma once
// The reader's highlights and notes (划线和笔记) as rows of a list (EntryListPanel): each
// row's page and chapter over the highlighted words on a band of the highlight's colour,
// and its note under them. A highlight not found in a changed book is titled "未找到" and
// cannot be chosen.

#include <QAbstractListModel>

#include <cstdint>
#include <vector>

namespace tibbo::window {

class HighlightRowsModel : public QAbstractListModel
{
    Q_OBJECT
  public:
    struct Row
    {
        // The page it starts on; 0: not found in the text.
        int64_t page = 0;
        QString chapter;
        QString words;
        QString note;
        // 0 .. 3 (yellow, green, pink, violet).
        int colour = 0;
    };

    using QAbstractListModel::QAbstractListModel;

    void setRows(std::vector<Row> rows);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

  private:
    std::vector<Row> m_rows;
};

} // namespace tibbo::window
