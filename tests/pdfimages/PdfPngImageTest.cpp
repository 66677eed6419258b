// PNG pictures of every colour type and depth on PDF pages: each page
// renders as the picture composited over white, and the kinds kept
// compressed give back the picture's own samples exactly.
#include <gtest/gtest.h>

#include <sstream>

#include "graphics/Png.h"
#include "pdf/PdfDoc.h"
#include "pdf/PdfFonts.h"
#include "pdf/PdfPngImage.h"
#include "tests/graphics/TestImages.h"
#include "tests/support/PdfCheck.h"

namespace pim {
namespace {

struct TPngKind {
    const char* name;
    const char* options;  // ImageMagick's, after the source picture; the last word is the format
    int colorType;
    int bitDepth;
    bool interlaced;
};

// A gradient with a disc and a second gradient as its alpha.
constexpr const char* kSource =
    "-size 37x23 gradient:red-blue -fill green -draw 'circle 17,11 25,15' "
    "\\( -size 23x37 gradient:white-black -rotate 90 \\) -compose CopyOpacity -composite";

const TPngKind kKinds[] = {
    {"grey1", "-alpha off -colorspace Gray -threshold 20% -define png:bit-depth=1 -define png:color-type=0 PNG", pctGrey, 1, false},
    {"grey2", "-alpha off -colorspace Gray -define png:bit-depth=2 -define png:color-type=0 PNG", pctGrey, 2, false},
    {"grey4", "-alpha off -colorspace Gray -define png:bit-depth=4 -define png:color-type=0 PNG", pctGrey, 4, false},
    {"grey8", "-alpha off -colorspace Gray -define png:bit-depth=8 -define png:color-type=0 PNG", pctGrey, 8, false},
    {"grey16", "-alpha off -colorspace Gray -depth 16 -define png:color-type=0 PNG", pctGrey, 16, false},
    {"greyalpha8", "-colorspace Gray -define png:bit-depth=8 -define png:color-type=4 PNG", pctGreyAlpha, 8, false},
    {"greyalpha16", "-colorspace Gray -depth 16 -define png:color-type=4 PNG", pctGreyAlpha, 16, false},
    {"rgb8", "-alpha off -define png:bit-depth=8 -define png:color-type=2 PNG", pctRGB, 8, false},
    {"rgb16", "-alpha off -depth 16 -define png:color-type=2 PNG", pctRGB, 16, false},
    {"rgba8", "-define png:bit-depth=8 -define png:color-type=6 PNG", pctRGBA, 8, false},
    {"rgba16", "-depth 16 -define png:color-type=6 PNG", pctRGBA, 16, false},
    {"pal1", "-alpha off +dither -colors 2 -define png:exclude-chunk=bKGD -define png:bit-depth=1 -define png:color-type=3 PNG", pctPalette, 1, false},
    {"pal2", "-alpha off +dither -colors 4 -define png:exclude-chunk=bKGD -define png:bit-depth=2 -define png:color-type=3 PNG", pctPalette, 2, false},
    {"pal4", "-alpha off -colors 16 -define png:bit-depth=4 -define png:color-type=3 PNG", pctPalette, 4, false},
    {"pal8", "-alpha off -colors 200 -define png:bit-depth=8 -define png:color-type=3 PNG", pctPalette, 8, false},
    {"paltrns", "-channel A -threshold 50% +channel -colors 16 PNG8", pctPalette, 8, false},
    {"rgb8i", "-alpha off -interlace PNG -define png:bit-depth=8 -define png:color-type=2 PNG", pctRGB, 8, true},
    {"rgba8i", "-interlace PNG -define png:bit-depth=8 -define png:color-type=6 PNG", pctRGBA, 8, true},
    {"grey1i", "-alpha off -colorspace Gray -threshold 20% -interlace PNG -define png:bit-depth=1 -define png:color-type=0 PNG", pctGrey, 1,
     true},
};

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Packed grey, RGB or palette samples, rows padded to a byte, as 8-bit RGB.
test::TImage Unpacked(const std::string& stored, const TPngStructure& s) {
    test::TImage out;
    out.width = s.Width;
    out.height = s.Height;
    const std::size_t rowBytes = static_cast<std::size_t>(s.RowBytes());
    if (stored.size() != rowBytes * s.Height) return out;
    const int max = (1 << s.BitDepth) - 1;
    for (int y = 0; y < s.Height; ++y) {
        const auto* row = reinterpret_cast<const std::uint8_t*>(stored.data()) + y * rowBytes;
        for (int x = 0; x < s.Width * s.Channels(); ++x) {
            const int bit = x * s.BitDepth;
            const int v = (row[bit / 8] >> (8 - s.BitDepth - bit % 8)) & max;
            if (s.ColorType == pctPalette) {
                const TPaletteEntry e = v < static_cast<int>(s.Palette.size()) ? s.Palette[v] : TPaletteEntry{};
                out.pixels.insert(out.pixels.end(), {e.peRed, e.peGreen, e.peBlue});
            } else if (s.ColorType == pctGrey) {
                const auto grey = static_cast<std::uint8_t>(v * 255 / max);
                out.pixels.insert(out.pixels.end(), {grey, grey, grey});
            } else {
                out.pixels.push_back(static_cast<std::uint8_t>(v));
            }
        }
    }
    return out;
}

TEST(PdfPngImage, EveryKindRendersOverWhiteAndLosslessKindsKeepTheirSamples) {
    PIM_NEEDS_TOOLS();
    RegisterStandardFonts();
    RegisterPdfPngImage();
    TPdfDoc doc;
    doc.NewDocument();
    std::vector<std::string> files;
    for (const TPngKind& kind : kKinds) {
        const std::string file = test::OutPath(std::string("png-") + kind.name + ".png");
        test::Shell(std::string("convert ") + kSource + " " + kind.options + ":'" + file + "'");
        TPngImage png;
        png.LoadFromFile(file);
        const TPngStructure& s = png.Structure();
        // The corpus is what it claims, or the test would prove nothing.
        ASSERT_EQ(s.ColorType, kind.colorType) << kind.name;
        ASSERT_EQ(s.BitDepth, kind.bitDepth) << kind.name;
        ASSERT_EQ(s.Interlaced, kind.interlaced) << kind.name;
        const bool lossless = !kind.interlaced && kind.bitDepth <= 8 &&
                              (kind.colorType == pctGrey || kind.colorType == pctRGB ||
                               (kind.colorType == pctPalette && std::string(kind.name) != "paltrns"));
        EXPECT_EQ(png.Lossless(), lossless) << kind.name;
        doc.AddPage();
        TPdfCanvas* canvas = doc.GetCanvas();
        canvas->SetPageWidth(png.Width());
        canvas->SetPageHeight(png.Height());
        auto image = CreateImageObject(png, "Pdf-Png");
        if (lossless) {
            EXPECT_EQ(image->Content().ContentSize(), s.IdatBytes) << kind.name;
        }
        const std::string name = std::string("Im") + kind.name;
        doc.AddImage(name, std::move(image));
        canvas->DrawXObject(0, 0, png.Width(), png.Height(), name);
        files.push_back(file);
    }
    const std::string pdf = test::OutPath("png-kinds.pdf");
    {
        TFileStream out(pdf, TFileMode::fmCreate);
        doc.SaveToStream(out);
        out.Close();
    }
    EXPECT_TRUE(test::ReadFileBytes(pdf).starts_with("%PDF-1.2"));
    EXPECT_VALID_PDF(pdf);

    for (std::size_t i = 0; i < files.size(); ++i) {
        const TPngKind& kind = kKinds[i];
        const std::string page = std::to_string(i + 1);
        const std::string flat = files[i] + ".white.png";
        test::Shell("convert '" + files[i] + "' -background white -alpha remove -alpha off '" + flat + "'");
        const test::TImage expected = test::MagickPixels(flat);
        const std::string rendered = pdf + "-p" + page;
        test::Shell("pdftocairo -png -r 72 -f " + page + " -l " + page + " -singlefile '" + pdf + "' '" + rendered + "'");
        const test::TImage got = test::MagickPixels(rendered + ".png");
        ASSERT_EQ(got.width, expected.width) << kind.name;
        ASSERT_EQ(got.height, expected.height) << kind.name;
        EXPECT_LE(test::MeanDiff(got, expected), 1.0) << kind.name;
        if (kind.bitDepth == 16 || kind.colorType == pctGreyAlpha || kind.colorType == pctRGBA || kind.interlaced ||
            std::string(kind.name) == "paltrns")
            continue;
        // The image as stored, with only Flate and the predictor undone (by
        // qpdf), is the picture's own samples.
        const std::vector<std::string> listed = Words(
            test::RunCommandStdout("pdfimages -list -f " + page + " -l " + page + " '" + pdf + "' | tail -n 1").output);
        ASSERT_GE(listed.size(), 11u) << kind.name;
        const std::string stored =
            test::RunCommandStdout("qpdf --show-object=" + listed[10] + " --filtered-stream-data '" + pdf + "'").output;
        TPngImage png;
        png.LoadFromFile(files[i]);
        EXPECT_EQ(test::MaxDiff(Unpacked(stored, png.Structure()), test::MagickPixels(files[i])), 0) << kind.name;
    }
}

}  // namespace
}  // namespace pim
