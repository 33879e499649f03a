// records.h: what a decoder child's writing puts on its output, for the tests that
// read records back.
#pragma once

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

template <typename Write>
QByteArray written(Write write)
{
    char *bytes = nullptr;
    std::size_t size = 0;
    std::FILE *out = ::open_memstream(&bytes, &size);
    write(out);
    std::fclose(out);
    const QByteArray record(bytes, qsizetype(size));
    std::free(bytes);
    return record;
}
