// game.cpp: a game in miniature, for the reader's tests: it reads the picture file
// its second argument names with the decoder its first names, prints the decoder
// child's process id once it runs, and waits to be killed.
#include "desktop/decoder/reader.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DECODER PICTURE\n", argv[0]);
        return 2;
    }
    decoder::PictureReader::setDecoderProgram(QString::fromLocal8Bit(argv[1]));
    decoder::PictureReader reader;
    reader.start(decoder::FileName::fromArgument(argv[2]), QSize(300, 250));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        const auto *child = reader.findChild<QProcess *>();
        if (child == nullptr || child->processId() <= 0)
            return;
        std::printf("%lld\n", static_cast<long long>(child->processId()));
        std::fflush(stdout);
        poll.stop();
    });
    poll.start(10);
    return QCoreApplication::exec();
}
