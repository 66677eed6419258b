// One thumbnail: a 3000 x 2000 JPEG into the 94 x 94 box through TImgUtil
// (header, decoding at 1/8, shrinking), next to `djpeg -scale 1/8` on the
// same file and, when installed, vipsthumbnail. The tools are timed as
// processes, so the cost of starting one (`true`) is printed too. Also the
// resampler alone. Prints medians. Run through bench/thumbs.sh.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/Timing.h"
#include "graphics/Resample.h"
#include "imagelist/ImgUtil.h"

namespace {

using pim::bench::MedianMs;

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

void Row(const char* what, double ms, double peer) {
    if (peer > 0)
        std::printf("%-44s %8.2f ms %7.2fx\n", what, ms, ms / peer);
    else
        std::printf("%-44s %8.2f ms\n", what, ms);
}

pim::TBitmap Noise(int w, int h) {
    pim::TBitmap b(w, h, pim::TPixelFormat::pf24bit);
    unsigned seed = 7;
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < 3 * w; ++i)
            b.ScanLine(y)[i] = static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    const std::string jpg = dir + "/photo.jpg";
    if (!Run("test -f '" + jpg + "' || convert -seed 7 -size 3000x2000 plasma:fractal -blur 0x1 -quality 90 '" + jpg +
             "'")) {
        std::fprintf(stderr, "cannot make %s\n", jpg.c_str());
        return 1;
    }

    pim::TImgUtil util;
    const double ours = MedianMs(runs, [&] { util.LoadImage(jpg, 94, 0, 94); });
    std::printf("thumbnail %dx%d (from %dx%d)\n", util.Bitmap().Width(), util.Bitmap().Height(), util.SourceWidth(),
                util.SourceHeight());
    const double djpeg = MedianMs(runs, [&] { Run("djpeg -scale 1/8 -outfile /dev/null '" + jpg + "'"); });
    const double start = MedianMs(runs, [&] { Run("true"); });
    const bool vips = Run("command -v vipsthumbnail >/dev/null");
    const double vipsMs =
        vips ? MedianMs(runs, [&] { Run("vipsthumbnail '" + jpg + "' --size 94x94 -o '" + dir + "/%s_vips.jpg'"); })
             : 0;

    pim::TBitmap eighth = Noise(375, 250), full = Noise(3000, 2000), small = Noise(60, 40);
    const double shrink = MedianMs(runs, [&] {
        pim::TBitmap b = eighth;
        pim::Resample(b, 94, 62);
    });
    const double shrinkFull = MedianMs(runs, [&] {
        pim::TBitmap b = full;
        pim::Resample(b, 94, 62);
    });
    const double grow = MedianMs(runs, [&] {
        pim::TBitmap b = small;
        pim::Resample(b, 94, 62);
    });

    std::printf("3000 x 2000 JPEG into 94 x 94, medians of %d runs     time   vs djpeg\n", runs);
    Row("TImgUtil::LoadImage (jpBestSpeed)", ours, djpeg);
    Row("djpeg -scale 1/8 (a process)", djpeg, djpeg);
    Row("  of which starting a process (true)", start, 0);
    if (vips)
        Row("vipsthumbnail --size 94x94 (a process)", vipsMs, djpeg);
    else
        std::printf("%-44s not installed\n", "vipsthumbnail");
    Row("resample 375x250 to 94x62", shrink, 0);
    Row("resample 3000x2000 to 94x62", shrinkFull, 0);
    Row("resample 60x40 to 94x62 (growing)", grow, 0);
    return 0;
}
