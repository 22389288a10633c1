#include "reflowjob.h"

#include "navigation/readingplace.h"
#include "state/readerstate.h"

namespace tibbo::window {

namespace {

// Characters cut between two turns of the event loop: a few milliseconds.
constexpr int64_t kReflowSlice = 1 << 20;

} // namespace

ReflowJob::ReflowJob(core::ReaderState &state, QObject *parent) : QObject(parent), m_state(state)
{
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &ReflowJob::runSlice);
}

void ReflowJob::request()
{
    const bool wasRunning = running();
    begin();
    if (static_cast<int64_t>(m_state.paragraphText.size()) <= kReflowSlice) {
        m_cutter->cut(kReflowSlice);
        install();
        return;
    }
    if (!wasRunning)
        emit started();
    m_sliceTimer.start();
}

void ReflowJob::requestUnlessStoredFits()
{
    if (running() || !core::lineListMatchesCapacity(m_state, cutRules()))
        return request();
    m_width = m_state.charsPerLine;
    core::keepLineList(m_state);
    m_flowedCharsPerLine = m_width;
    m_flowedLinesPerPage = m_state.linesPerPage;
    emit finished();
}

const core::CutRules &ReflowJob::cutRules()
{
    static const core::CutRules plain;
    if (!m_state.fineTypesetting)
        return plain;
    if (m_rulesVersion != m_state.textVersion) {
        m_rules = core::fineCutRules(m_state.paragraphText);
        m_rulesVersion = m_state.textVersion;
    }
    return m_rules;
}

void ReflowJob::begin()
{
    m_textVersion = m_state.textVersion;
    m_width = m_state.charsPerLine;
    m_cutter.emplace(m_state.paragraphText, m_width, cutRules());
}

// The cutter reads the state's text in place: a text or capacity that changed since the
// cut began (a new book, a resize handled between slices) starts it again.
void ReflowJob::runSlice()
{
    if (!m_cutter) {
        m_sliceTimer.stop();
        return;
    }
    if (m_textVersion != m_state.textVersion || m_width != m_state.charsPerLine)
        begin();
    if (m_cutter->cut(kReflowSlice))
        install();
    else
        emit progress(m_cutter->progress());
}

void ReflowJob::finishNow()
{
    if (!m_cutter)
        return;
    if (m_textVersion != m_state.textVersion || m_width != m_state.charsPerLine)
        begin();
    while (!m_cutter->cut(kReflowSlice)) {
    }
    install();
}

void ReflowJob::install()
{
    m_sliceTimer.stop();
    core::applyReflow(m_state, m_cutter->takeEnds());
    m_cutter.reset();
    m_flowedCharsPerLine = m_width;
    m_flowedLinesPerPage = m_state.linesPerPage;
    emit finished();
}

bool ReflowJob::upToDate() const
{
    return m_state.charsPerLine == m_flowedCharsPerLine &&
           m_state.linesPerPage == m_flowedLinesPerPage;
}

} // namespace tibbo::window
