// resource.h: the program's own images, compiled in.
#pragma once

#include <QImage>
#include <QImageReader>
#include <QString>

// One of the program's own images, read by its named format only, so that no other
// image plugin is loaded. A missing or broken one is a build fault.
inline QImage ReadResource(const QString &path, const char *format)
{
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    Q_ASSERT_X(!image.isNull(), "ReadResource", qPrintable(path));
    return image;
}
