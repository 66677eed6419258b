// The PNG header of TestPictures.h, in an object of its own: the window
// tests take it without the other pictures' helpers, whose folder helper
// they have in their own fixture.
#include <zlib.h>

#include "tests/app/TestPictures.h"

namespace pim::test {

std::string PngHeaderOnly(std::uint32_t width, std::uint32_t height, bool rightCrc) {
    const auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    const std::string ihdr = "IHDR" + be32(width) + be32(height) + std::string("\x08\x02\x00\x00\x00", 5);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(ihdr.data()), static_cast<uInt>(ihdr.size())));
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + ihdr + be32(rightCrc ? crc : crc ^ 1);
}

}  // namespace pim::test
