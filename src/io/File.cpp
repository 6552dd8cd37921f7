#include "io/File.h"

namespace korvane::io {

File::File(uint32_t mode)
    : timestamp(system::Timestamp::now()), mode(mode), inputStream(this, FileInputStream::Embedded{}),
      outputStream(this, FileOutputStream::Embedded{}) {}

File::~File() {
    inputStream.close();
    outputStream.close();
}

} // namespace korvane::io
