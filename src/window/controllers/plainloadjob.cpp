#include "plainloadjob.h"

namespace tibbo::window {

namespace {

// Characters of whole paragraphs that make the first part: many spreads of any size.
constexpr int64_t kFirstPartChars = 1 << 16;

} // namespace

PlainLoadJob::PlainLoadJob(QObject *parent) : QObject(parent)
{
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &PlainLoadJob::runSlice);
}

bool PlainLoadJob::start(const std::string &path, bool trimParagraphs,
                         core::BookEncodingName encoding, core::ReadFailure *failure)
{
    m_sliceTimer.stop();
    m_reading.reset();
    m_text = core::BookText();
    m_map.clear();
    m_firstPartGiven = false;
    m_firstPartDiffers = false;
    m_readFailed = false;
    auto reading = core::PlainBookReading::open(path, trimParagraphs, failure, encoding);
    if (!reading)
        return false;
    m_reading = std::move(reading);
    m_reading->start(m_text, m_map);
    while (m_reading->paragraphsEnd() < kFirstPartChars) {
        if (readPiece())
            break;
    }
    // A file that cannot be read before anything of it is shown is refused as a whole
    // read would be, and the book on show stays.
    if (m_readFailed) {
        if (failure)
            *failure = core::ReadFailure::CannotRead;
        m_reading.reset();
        return false;
    }
    if (!whole())
        m_sliceTimer.start();
    return true;
}

bool PlainLoadJob::readPiece()
{
    switch (m_reading->readPiece()) {
    case core::PlainBookReading::Step::Decoded:
        return false;
    case core::PlainBookReading::Step::Restarted:
        m_firstPartDiffers = m_firstPartGiven;
        return false;
    case core::PlainBookReading::Step::Failed:
        m_readFailed = true;
        return true;
    case core::PlainBookReading::Step::Done:
        return true;
    }
    return true;
}

core::BookText PlainLoadJob::handOverFirstPart()
{
    const auto end = static_cast<size_t>(m_reading ? m_reading->paragraphsEnd() : 0);
    core::BookText part;
    part.reserve(end);
    part.append(m_text.substr(0, end));
    m_firstPartGiven = true;
    return part;
}

void PlainLoadJob::runSlice()
{
    if (!m_reading || !readPiece())
        return;
    m_sliceTimer.stop();
    emit finished();
}

void PlainLoadJob::finishNow()
{
    if (!running())
        return;
    m_sliceTimer.stop();
    while (!readPiece()) {
    }
    emit finished();
}

core::BookTexts PlainLoadJob::takeWhole()
{
    core::BookTexts texts;
    if (!m_reading)
        return texts;
    m_text.trimRoom();
    texts.paragraphText = std::move(m_text);
    texts.scrollMap = std::move(m_map);
    texts.encoding = m_reading->encoding();
    texts.characters = m_reading->characters();
    texts.replacementCount = m_reading->replacementCount();
    m_text = core::BookText();
    m_map.clear();
    m_reading.reset();
    return texts;
}

} // namespace tibbo::window
