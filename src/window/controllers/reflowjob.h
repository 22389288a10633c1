#pragma once
// The re-flow: cuts the paragraph text into display lines for the current capacity and
// installs the new line list, keeping the reader's place. A book of up to one slice is
// cut at once; a larger one is cut in slices driven by the event loop, so the window
// stays responsive, and a request while a cut runs starts it again with the newest text
// and capacity.

#include "text/reflow.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <optional>

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class ReflowJob : public QObject
{
    Q_OBJECT
  public:
    ReflowJob(core::ReaderState &state, QObject *parent);

    void request();
    // As request, but a line list that already matches the text and the capacity (a
    // restored book's) is installed as it is, without a second cut.
    void requestUnlessStoredFits();
    bool running() const { return m_cutter.has_value(); }
    // Completes a running cut at once (on the way out).
    void finishNow();
    // The line list was last cut for the state's current capacity.
    bool upToDate() const;
    // The rules of the cut: with fine typesetting (the state's) they hold the text's
    // headings, found again only when the text changes. The book view sets its rows by
    // the same rules.
    const core::CutRules &cutRules();

  signals:
    // A sliced cut begins: long enough to show a notice.
    void started();
    void progress(double fraction);
    // The new line list is installed.
    void finished();

  private:
    void begin();
    void runSlice();
    void install();

    core::ReaderState &m_state;
    std::optional<core::LineCutter> m_cutter;
    uint64_t m_textVersion = 0;
    int64_t m_width = 0;
    int64_t m_flowedCharsPerLine = -1;
    int64_t m_flowedLinesPerPage = -1;
    QTimer m_sliceTimer;
    core::CutRules m_rules;
    std::optional<uint64_t> m_rulesVersion;
};

} // namespace tibbo::window
