#include "searchhitsmodel.h"

#include "entrylistpanel.h"

#include "navigation/hitcontext.h"
#include "pages/pages.h"

#include <algorithm>

namespace tibbo::window {

SearchHitsModel::SearchHitsModel(const core::ReaderState &state,
                                 std::function<QString(const std::u32string &)> shown,
                                 QObject *parent)
    : QAbstractListModel(parent), m_state(state), m_shown(std::move(shown))
{
}

void SearchHitsModel::setMatches(std::vector<Match> matches, std::vector<core::Chapter> chapters,
                                 uint64_t textVersion)
{
    beginResetModel();
    m_matches = std::move(matches);
    m_chapters = std::move(chapters);
    m_textVersion = textVersion;
    endResetModel();
}

std::optional<SearchHitsModel::Match> SearchHitsModel::matchAt(int row) const
{
    // Another book or text on show: the offsets found in the old one mean nothing now.
    if (row < 0 || row >= std::ssize(m_matches) || m_state.textVersion != m_textVersion)
        return std::nullopt;
    return m_matches[static_cast<size_t>(row)];
}

void SearchHitsModel::refreshRows()
{
    if (!m_matches.empty())
        emit dataChanged(index(0), index(static_cast<int>(m_matches.size()) - 1));
}

int SearchHitsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_matches.size());
}

QVariant SearchHitsModel::data(const QModelIndex &index, int role) const
{
    const auto match = matchAt(index.row());
    if (!match)
        return {};
    switch (role) {
    case EntryListPanel::TitleRole:
        return titleOf(*match);
    case EntryListPanel::TextBeforeRole:
    case EntryListPanel::MarkedTextRole:
    case EntryListPanel::TextAfterRole: {
        const core::HitContext context = core::hitContext(m_state.paragraphText, match->offset,
                                                          match->length, kContextCharacters);
        return m_shown(role == EntryListPanel::TextBeforeRole   ? context.before
                       : role == EntryListPanel::MarkedTextRole ? context.hit
                                                                : context.after);
    }
    default:
        return {};
    }
}

// "第12页 · 第三章　风起": the page the match is on in the lines on show, and the chapter
// holding it (none before the first heading). The page comes first: a long heading is cut.
QString SearchHitsModel::titleOf(const Match &match) const
{
    const auto next =
        std::upper_bound(m_chapters.begin(), m_chapters.end(), match.offset,
                         [](int64_t offset, const core::Chapter &c) { return offset < c.offset; });
    const QString page = QStringLiteral("第%1页").arg(
        m_state.lineEndsFitText() && m_state.linesPerPage > 0
            ? core::pageOfOffset(m_state.lineEnds, match.offset, m_state.linesPerPage)
            : 1);
    if (next == m_chapters.begin())
        return page;
    return page + QStringLiteral(" · ") + m_shown(std::prev(next)->title);
}

} // namespace tibbo::window
