// Decoding and encoding a 3000 x 2000 JPEG with the JPEG object, side by side
// with libjpeg-turbo's own djpeg and cjpeg (floating-point DCT, quality 90)
// on the same picture; also reading the same picture as a 24-bit BMP.
// Prints medians of several runs. Run through bench/pictures.sh.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/Timing.h"
#include "graphics/Jpeg.h"

namespace {

using pim::bench::MedianMs;

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

void Row(const char* what, double ours, double theirs) {
    if (theirs > 0)
        std::printf("%-34s %9.1f ms %9.1f ms %7.2fx\n", what, ours, theirs, ours / theirs);
    else
        std::printf("%-34s %9.1f ms\n", what, ours);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    const std::string ppm = dir + "/photo.ppm", jpg = dir + "/photo.jpg", bmp = dir + "/photo.bmp";
    Run("test -f '" + ppm + "' || convert -seed 7 -size 3000x2000 plasma:fractal -blur 0x1 '" + ppm + "'");
    Run("cjpeg -dct float -quality 90 -outfile '" + jpg + "' '" + ppm + "'");
    Run("test -f '" + bmp + "' || convert '" + ppm + "' BMP3:'" + bmp + "'");

    const double djpeg = MedianMs(runs, [&] { Run("djpeg -dct float -outfile /dev/null '" + jpg + "'"); });
    const double decode = MedianMs(runs, [&] {
        pim::TJPEGImage jpeg;
        jpeg.LoadFromFile(jpg);
        jpeg.DIBNeeded();
    });

    pim::TBitmap picture;
    picture.LoadFromFile(bmp);
    const double cjpeg = MedianMs(runs, [&] { Run("cjpeg -dct float -quality 90 -outfile /dev/null '" + ppm + "'"); });
    const double encode = MedianMs(runs, [&] {
        pim::TJPEGImage jpeg;
        jpeg.Assign(picture);
        pim::TMemoryStream out;
        jpeg.SaveToStream(out);
    });
    const double readBmp = MedianMs(runs, [&] {
        pim::TBitmap b;
        b.LoadFromFile(bmp);
    });
    const double scaled = MedianMs(runs, [&] {
        pim::TJPEGImage jpeg;
        jpeg.LoadFromFile(jpg);
        jpeg.SetScale(pim::TJPEGScale::jsEighth);
        jpeg.DIBNeeded();
    });

    std::printf("3000 x 2000, medians of %d runs        Pim     libjpeg tool   ratio\n", runs);
    Row("decode (djpeg -dct float)", decode, djpeg);
    Row("encode q90 (cjpeg -dct float)", encode, cjpeg);
    Row("decode at 1/8 (thumbnail)", scaled, 0);
    Row("read 24-bit BMP", readBmp, 0);
    return 0;
}
