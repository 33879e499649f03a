// reader.cpp: starting the decoder child under its limits, and taking its record back.
#include "desktop/decoder/reader.h"

#include "desktop/decoder/record.h"
#include "desktop/decoder/sanitizer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
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

} // namespace

PictureReader::PictureReader(QObject *parent) : QObject(parent)
{
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(WatchdogMilliseconds);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        m_timedOut = true;
        m_process.kill();
    });
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
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void PictureReader::setDecoderProgram(const QString &name) { program() = name; }

void PictureReader::start(const FileName &name, const QSize &target)
{
    Q_ASSERT(m_process.state() == QProcess::NotRunning && !m_done);
    m_target = target;
    OpenedFile opened = OpenForDecoding(name);
    if (opened.error != PictureError::None) {
        // Told from the event loop, as a decoded picture would be.
        QMetaObject::invokeMethod(this, [this, error = opened.error] { finish({{}, error}); }, Qt::QueuedConnection);
        return;
    }
    QStringList arguments{QStringLiteral("--decode"), QStringLiteral("%1x%2").arg(target.width()).arg(target.height())};
#if defined(KALVERO_ADDRESS_SANITIZER)
    // The sanitizer's reserved memory fits no address-space cap: its own limit stands in.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":hard_rss_limit_mb=1024:detect_leaks=0"));
    m_process.setProcessEnvironment(environment);
#endif
#if defined(Q_OS_UNIX)
    // In the child, between fork and exec: the file becomes its standard input, and
    // the limits hold from its first instruction on. Only async-signal-safe calls.
    m_process.setStandardInputFile(QProcess::nullDevice());   // replaced below by the file
    const int descriptor = int(opened.file->handle());
    m_process.setChildProcessModifier([descriptor] {
        ::dup2(descriptor, STDIN_FILENO);
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
#else
    m_process.setStandardInputFile(name.shown);
#endif
    m_watchdog.start();
    m_process.start(program().isEmpty() ? QCoreApplication::applicationFilePath() : program(), arguments,
                    QIODevice::ReadOnly);
    // The child holds its own copy of the file now; `opened` closes the game's.
}

bool PictureReader::waitForFinished(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
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
        // Stopped by its processor-time limit: the soft one's signal, or the hard one's.
        if (exitCode == SIGXCPU || exitCode == SIGKILL) {
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
