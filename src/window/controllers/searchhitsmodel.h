#pragma once
// The matches of a search as rows of a list (EntryListPanel): each row's chapter and page
// over a line of the book around the match. A row is made only when the list shows it, so
// a word found 100,000 times in a large book opens its list at once.

#include "state/readerstate.h"
#include "text/headings.h"

#include <QAbstractListModel>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tibbo::window {

class SearchHitsModel : public QAbstractListModel
{
    Q_OBJECT
  public:
    struct Match
    {
        int64_t offset = 0;
        int64_t length = 0;
    };
    // Characters of the book shown on each side of a match.
    static constexpr int64_t kContextCharacters = 12;

    // `shown` writes a piece of the book in the script on show.
    SearchHitsModel(const core::ReaderState &state,
                    std::function<QString(const std::u32string &)> shown, QObject *parent);

    // The matches (in book order) of the text of version `textVersion`, in the book whose
    // chapters are `chapters` (in book order).
    void setMatches(std::vector<Match> matches, std::vector<core::Chapter> chapters,
                    uint64_t textVersion);
    // The match of `row`, while the text is still the one it was found in.
    std::optional<Match> matchAt(int row) const;
    // The rows are made anew when next shown: the lines were cut again.
    void refreshRows();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

  private:
    QString titleOf(const Match &match) const;

    const core::ReaderState &m_state;
    std::function<QString(const std::u32string &)> m_shown;
    std::vector<Match> m_matches;
    std::vector<core::Chapter> m_chapters;
    uint64_t m_textVersion = 0;
};

} // namespace tibbo::window
