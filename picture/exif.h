// exif.h: the orientation a camera wrote into a JPEG's EXIF block.
#pragma once

#include "picture/bytes.h"

namespace picture {

// The EXIF orientation (1 to 8, as TIFF's tag 274 numbers them) of the JPEG in
// `jpeg`, from the first EXIF APP1 segment before the first scan, wherever it stands
// among the other segments (XMP, ICC, JFIF). 1, upright, when there is none or its
// value is out of range or lies outside the segment.
int ExifOrientation(FileBytes jpeg);

} // namespace picture
