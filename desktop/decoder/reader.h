// reader.h: reading a picture file the player opened, in a decoder child that no
// file can hang, bloat or crash the game through.
#pragma once

#include "desktop/decoder/decode.h"
#include "desktop/decoder/file.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QSize>
#include <QTimer>

#include <memory>

namespace decoder {

// The file's reading: a drive that gives no byte for this long has stopped answering.
constexpr int ReadStallMilliseconds = 10000;

// The decoder child's limits, counted once all of the file is in its pipe.
constexpr int WatchdogMilliseconds = 5000;   // wall clock, then the child is killed
constexpr int CpuSeconds = 4;                // processor time, then the system stops it
constexpr qint64 AddressSpaceBytes = qint64(1) << 30;   // all the child's memory, its program's included

// Reads one file in two steps. First a thread of its own checks, opens and reads
// the file (file.h), however slow the drive; one that makes no progress for
// ReadStallMilliseconds is refused as stalled and left behind, to end whenever its
// drive answers, touching nothing but what it shares with no one else. Then a child
// process runs the game's own program in its decoder mode (child.h), the file's
// bytes coming through a pipe as its input, under a memory cap, a processor-time cap
// and a watchdog; it dies with the game. The game takes back the record (record.h)
// and nothing else: at most the target's pixels. A child that is killed, crashes,
// overruns a limit or says more than a record holds becomes a refusal with its own
// reason. The caller's event loop never waits; finished() comes once, unless the
// reader is deleted first, which stops the child.
class PictureReader : public QObject
{
    Q_OBJECT

public:
    explicit PictureReader(QObject *parent = nullptr);
    ~PictureReader() override;

    // Once. `target` is the board's size in device pixels.
    void start(const FileName &name, const QSize &target);
    // Waits for the result at most `milliseconds`, handling only the reading and
    // the child's output: true when finished() has been emitted.
    bool waitForFinished(int milliseconds);

    // The program that decodes, by default this one; tests name the game's, or one
    // of their own that behaves as a broken decoder might.
    static void setDecoderProgram(const QString &program);

signals:
    void finished(const decoder::Decoded &decoded);

private:
    struct Reading;
    void takePieces();                 // hands what was read on to the child
    void piecesTaken(qint64 bytes);    // the child took them from the pipe
    void checkReading();               // refuses a reading that has stalled
    void abandonReading();
    void startChild();
    void stopChild();
    void readOutput();
    void readErrors();
    void childEnded(int exitCode, QProcess::ExitStatus status);
    void finish(const Decoded &decoded);

    std::shared_ptr<Reading> m_reading;   // while the file is read
    bool m_started = false;               // the child was started
    QTimer m_stallCheck;
    QProcess m_process{this};
    QTimer m_watchdog;
    QSize m_target;
    QByteArray m_record;
    QByteArray m_errors;       // the first of what the child wrote to its standard error
    bool m_timedOut = false;
    bool m_overflowed = false;
    bool m_done = false;
};

} // namespace decoder

Q_DECLARE_METATYPE(decoder::Decoded)
