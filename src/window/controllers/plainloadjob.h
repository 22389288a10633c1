#pragma once
// The reading of a plain-text book, a piece at a time. Its first part (the paragraphs of
// the first piece) is there to show at once; the rest is read in slices driven by the
// event loop while the reader reads, and the whole book follows when the file is read.
// The paragraphs of the first part are the first paragraphs of the whole book, so the
// lines cut from them are the first lines of the whole book's.

#include "text/plaintext.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

namespace tibbo::window {

class PlainLoadJob : public QObject
{
    Q_OBJECT
  public:
    explicit PlainLoadJob(QObject *parent);

    // Opens the book and reads it until its first part is there, or all of a small book.
    // False, with the reason in `failure`, when the book cannot be read; a reading still
    // running is dropped either way.
    bool start(const std::string &path, bool trimParagraphs, core::BookEncodingName encoding,
               core::ReadFailure *failure);
    // The rest of the book is being read behind its first part.
    bool running() const { return m_sliceTimer.isActive(); }
    // The whole book is read (or what could be read of it, see readFailed).
    bool whole() const { return m_reading && m_reading->done(); }
    // A copy of the paragraphs read so far: the first part to show.
    core::BookText handOverFirstPart();
    // The file could not be read to its end after its first part was handed over: the
    // book holds what was read of it.
    bool readFailed() const { return m_readFailed; }
    // The file had to be read again in another encoding after its first part was handed
    // over: that part is not the start of the whole book.
    bool firstPartDiffers() const { return m_firstPartDiffers; }
    // The whole book, once whole(); the job is empty afterwards.
    core::BookTexts takeWhole();
    // Reads the rest at once (on the way out, or for what needs the whole book).
    void finishNow();

  signals:
    void finished();

  private:
    void runSlice();
    // Reads one piece: true when the file is read to its end.
    bool readPiece();

    std::unique_ptr<core::PlainBookReading> m_reading;
    core::BookText m_text;
    core::ScrollTextMap m_map;
    bool m_firstPartGiven = false;
    bool m_firstPartDiffers = false;
    bool m_readFailed = false;
    QTimer m_sliceTimer;
};

} // namespace tibbo::window
