// reader.cpp: reading the file in a thread, starting the decoder child under its
// limits with the bytes, and taking its record back.
#include "desktop/decoder/reader.h"

#include "desktop/decoder/record.h"
#include "desktop/decoder/sanitizer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/prctl.h>
#endif

Q_LOGGING_CATEGORY(lcPicture, "kalvero.picture", QtWarningMsg)

namespace decoder {

namespace {

QString &program()
{
    static QString name;
    return name;
}

constexpr qsizetype ErrorsKept = 4096;

qint64 now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// What the reading thread shares with its reader, and nothing else: the thread holds
// it as long as it lives, which may be longer than the reader or the game's window.
// The pieces read go on to the child as they come, so the game holds at most MostHeld
// bytes of a file at once: while the child is behind, the reading waits.
struct PictureReader::Reading
{
    static constexpr qint64 MostHeld = qint64(8) << 20;
    std::atomic<qint64> progressed{now()};   // when the drive last gave a piece, or the child took one
    std::mutex mutex;
    std::condition_variable changed;
    PictureReader *reader = nullptr;   // told of pieces and of the end; null once it no longer counts
    std::deque<QByteArray> pieces;     // read, not yet handed to the child
    qint64 held = 0;                   // read and not yet taken by the child: the pieces and the pipe's queue
    bool told = false;                 // a call to the reader is on its way
    bool done = false;
    PictureError error = PictureError::None;   // why the reading gave no picture, once done

    // Under the lock: the reader hears of it on its own thread, once however many pieces come.
    void tell()
    {
        if (told || !reader)
            return;
        told = true;
        QMetaObject::invokeMethod(reader, [target = reader] { target->takePieces(); }, Qt::QueuedConnection);
    }
};

PictureReader::PictureReader(QObject *parent) : QObject(parent)
{
    m_stallCheck.setInterval(250);
    connect(&m_stallCheck, &QTimer::timeout, this, &PictureReader::checkReading);
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(WatchdogMilliseconds);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        m_process.kill();
    });
    connect(&m_process, &QProcess::bytesWritten, this, &PictureReader::piecesTaken);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &PictureReader::readOutput);
    connect(&m_process, &QProcess::readyReadStandardError, this, &PictureReader::readErrors);
    connect(&m_process, &QProcess::finished, this, &PictureReader::childEnded);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish({{}, PictureError::DecoderCrashed});
    });
}

PictureReader::~PictureReader()
{
    m_done = true;   // nobody waits for the result any more
    abandonReading();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void PictureReader::setDecoderProgram(const QString &name) { program() = name; }

void PictureReader::start(const FileName &name, const QSize &target)
{
    Q_ASSERT(!m_reading && m_process.state() == QProcess::NotRunning && !m_done);
    m_target = target;
    m_reading = std::make_shared<Reading>();
    m_reading->reader = this;
    // Detached: a thread blocked on a drive that no longer answers cannot be joined,
    // and must not keep the game from quitting.
    std::thread([reading = m_reading, name] {
        const PictureError error = ReadForDecoding(name, [&reading](QByteArray piece) {
            std::unique_lock lock(reading->mutex);
            reading->changed.wait(lock, [&reading] { return !reading->reader || reading->held < Reading::MostHeld; });
            reading->progressed = now();
            if (!reading->reader)
                return false;   // abandoned: nobody waits for these bytes
            if (!piece.isEmpty()) {
                reading->held += piece.size();
                reading->pieces.push_back(std::move(piece));
                reading->tell();
            }
            return true;
        });
        const std::lock_guard lock(reading->mutex);
        reading->done = true;
        reading->error = error;
        reading->changed.notify_all();
        reading->tell();
    }).detach();
    m_stallCheck.start();
}

void PictureReader::takePieces()
{
    if (!m_reading)
        return;
    std::deque<QByteArray> pieces;
    bool done = false;
    PictureError error = PictureError::None;
    {
        const std::lock_guard lock(m_reading->mutex);
        m_reading->told = false;
        pieces.swap(m_reading->pieces);
        done = m_reading->done;
        error = m_reading->error;
    }
    if (done && error != PictureError::None) {
        abandonReading();
        stopChild();
        finish({{}, error});
        return;
    }
    if (!pieces.empty() && m_process.state() == QProcess::NotRunning && !m_started)
        startChild();
    for (const QByteArray &piece : pieces)
        m_process.write(piece);
    if (!done)
        return;
    // All of the file is on its way: from now on only the decoding counts.
    abandonReading();
    if (!m_started)
        startChild();
    m_process.closeWriteChannel();
    m_watchdog.start();
}

void PictureReader::piecesTaken(qint64 bytes)
{
    if (!m_reading)
        return;
    m_reading->progressed = now();
    const std::lock_guard lock(m_reading->mutex);
    m_reading->held -= bytes;
    m_reading->changed.notify_all();
}

void PictureReader::checkReading()
{
    takePieces();   // news of the end may still be on its way
    if (!m_reading || now() - m_reading->progressed < ReadStallMilliseconds)
        return;
    abandonReading();
    stopChild();
    finish({{}, PictureError::ReadStalled});
}

void PictureReader::abandonReading()
{
    m_stallCheck.stop();
    if (!m_reading)
        return;
    {
        const std::lock_guard lock(m_reading->mutex);
        m_reading->reader = nullptr;
        m_reading->changed.notify_all();
    }
    m_reading.reset();
}

void PictureReader::stopChild()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.disconnect(this);
    m_process.kill();
    m_process.waitForFinished(1000);
}

void PictureReader::startChild()
{
    m_started = true;
    QStringList arguments{QStringLiteral("--decode"), QStringLiteral("%1x%2").arg(m_target.width()).arg(m_target.height())};
#if defined(KALVERO_ADDRESS_SANITIZER)
    // The sanitizer's reserved memory fits no address-space cap: its own limit stands in.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":hard_rss_limit_mb=1024:detect_leaks=0"));
    m_process.setProcessEnvironment(environment);
#endif
#if defined(Q_OS_UNIX)
    // In the child, between fork and exec: the limits hold from its first instruction
    // on, and it dies with the game. Only async-signal-safe calls.
    const pid_t game = ::getpid();
    m_process.setChildProcessModifier([game] {
#if defined(Q_OS_LINUX)
        // Told of the death of the thread that forked it, the interface thread, which
        // lives as long as the game; a game gone before this line is seen to be gone.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != game)
            ::raise(SIGKILL);
#else
        Q_UNUSED(game);
#endif
        const auto limit = [](int resource, rlim_t soft, rlim_t hard) {
            const rlimit value{soft, hard};
            ::setrlimit(resource, &value);
        };
#if !defined(KALVERO_ADDRESS_SANITIZER)
        limit(RLIMIT_AS, rlim_t(AddressSpaceBytes), rlim_t(AddressSpaceBytes));
#endif
        limit(RLIMIT_CPU, CpuSeconds, CpuSeconds + 1);
        limit(RLIMIT_CORE, 0, 0);    // a crash leaves no core file
        limit(RLIMIT_FSIZE, 0, 0);   // and the child writes no file
    });
#endif
    m_process.start(program().isEmpty() ? QCoreApplication::applicationFilePath() : program(), arguments,
                    QIODevice::ReadWrite);
}

bool PictureReader::waitForFinished(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (m_reading && !m_done && !deadline.hasExpired()) {
        {
            std::unique_lock lock(m_reading->mutex);
            const qint64 left = deadline.isForever() ? 250 : qMin<qint64>(deadline.remainingTime(), 250);
            m_reading->changed.wait_for(lock, std::chrono::milliseconds(left),
                                        [this] { return m_reading->done || !m_reading->pieces.empty(); });
        }
        checkReading();
        if (m_process.state() != QProcess::NotRunning && m_process.bytesToWrite() > 0)
            m_process.waitForBytesWritten(int(qMin<qint64>(deadline.remainingTime() < 0 ? 250 : deadline.remainingTime(), 250)));
    }
    while (!m_done && !deadline.hasExpired()) {
        if (m_process.state() == QProcess::NotRunning) {
            QCoreApplication::sendPostedEvents(this);   // a refusal told before any child started
            break;
        }
        // Output is taken as it comes (readOutput), so the wait never gathers more than a record.
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    }
    return m_done;
}

void PictureReader::readOutput()
{
    const QByteArray more = m_process.readAllStandardOutput();
    if (m_overflowed)
        return;
    if (m_record.size() + more.size() > LongestRecord(m_target)) {
        m_overflowed = true;   // more than any record: the child is not itself
        m_record.clear();
        m_process.kill();
        return;
    }
    m_record += more;
}

void PictureReader::readErrors()
{
    const QByteArray more = m_process.readAllStandardError();
    if (m_errors.size() < ErrorsKept)
        m_errors += more.left(ErrorsKept - m_errors.size());
}

void PictureReader::childEnded(int exitCode, QProcess::ExitStatus status)
{
    m_watchdog.stop();
    readOutput();
    readErrors();
    if (!m_errors.isEmpty())
        qCDebug(lcPicture, "the decoder said: %s", m_errors.constData());
    if (m_timedOut) {
        finish({{}, PictureError::TooComplex});
        return;
    }
    if (m_overflowed) {   // killed for saying more than a record holds
        finish({{}, PictureError::DecoderCrashed});
        return;
    }
    if (status == QProcess::CrashExit) {
#if defined(Q_OS_UNIX)
        // Stopped by its processor-time limit, whose signal the child leaves unhandled.
        // Any other signal, SIGKILL from outside included, is the child's breakdown.
        if (exitCode == SIGXCPU) {
            finish({{}, PictureError::TooComplex});
            return;
        }
#endif
        finish({{}, PictureError::DecoderCrashed});
        return;
    }
    const Decoded decoded = ReadRecord(m_record, exitCode, m_target);
    m_record.clear();
    finish(decoded);
}

void PictureReader::finish(const Decoded &decoded)
{
    if (m_done)
        return;
    m_done = true;
    m_watchdog.stop();
    emit finished(decoded);
}

} // namespace decoder
