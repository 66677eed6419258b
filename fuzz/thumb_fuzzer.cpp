// libFuzzer target: any bytes as the thumbnail cache file, which the list
// reads back from a folder anyone may have written to. A lookup either finds
// the image's entry or reports it absent, never more; a stale entry it finds
// is cut out of the file; a thumbnail stored after the lookup is found again;
// a thumbnail found is decoded as the list decodes it, within the size a
// thumbnail can have (4,096 x 4,096 pixels here, so each run stays quick).
//
// With PIM_FUZZ_SEEDS=<folder> set, writes seed cache files there and ends.
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "graphics/Graphics.h"
#include "graphics/JpegCodec.h"
#include "imagelist/Thumb.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// One folder per process, on a memory file system when there is one.
const std::string& Folder() {
    static const std::string folder = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string dir = std::string(base) + "/pim-fuzz-thumb-" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        return dir;
    }();
    return folder;
}

// The pictures the entries name: fixed paths and fixed times, so the seeds'
// entries match them in every run.
std::string Picture(char which) {
    std::string path = "/tmp/pim-fuzz-thumb-pictures";
    static const bool made = [&] {
        mkdir(path.c_str(), 0700);
        for (char c : {'a', 'b'}) {
            const std::string file = path + "/" + c + ".jpg";
            if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
                std::fputs("picture", f);
                std::fclose(f);
            }
            utimbuf times{1000000000, 1000000000};
            utime(file.c_str(), &times);
        }
        return true;
    }();
    (void)made;
    return path + "/" + which + ".jpg";
}

pim::TBitmap Solid(int w, int h) {
    pim::TBitmap b;
    b.SetPixelFormat(pim::TPixelFormat::pf24bit);
    b.SetSize(w, h);
    return b;
}

void Thumb(pim::TThumb& thumb, const std::string& cacheName) {
    thumb.Path = Folder();
    thumb.FileName = cacheName;
    thumb.PathType = pim::TPathType::iptFree;
}

void WriteSeeds(const std::string& seeds) {
    const std::string cache = Folder() + "/seed.dat";
    for (int n = 1; n <= 3; ++n) {
        std::remove(cache.c_str());
        pim::TThumb thumb;
        Thumb(thumb, "seed.dat");
        for (int i = 0; i < n; ++i) thumb.Store(Picture(i % 2 ? 'b' : 'a'), Solid(4 + i, 3 + i), 40, 30, 75);
        thumb.DropIndex();
        pim::TMemoryStream bytes;
        bytes.LoadFromFile(cache);
        bytes.SaveToFile(seeds + "/seed" + std::to_string(n) + ".dat");
    }
    std::remove(cache.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pim::SetBitmapMemoryLimit(std::int64_t{64} << 20);
    if (const char* seeds = std::getenv("PIM_FUZZ_SEEDS")) {
        WriteSeeds(seeds);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string cache = Folder() + "/cache.dat";
    {
        std::FILE* f = std::fopen(cache.c_str(), "wb");
        if (!f) return 0;
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    pim::TThumb thumb;
    Thumb(thumb, "cache.dat");
    for (char which : {'a', 'b'}) {
        std::vector<std::uint8_t> jpeg;
        int w = 0, h = 0;
        if (!thumb.Lookup(Picture(which), jpeg, w, h)) continue;
        try {
            const pim::TJpegHeader header = pim::ReadJpegHeader(jpeg.data(), jpeg.size());
            if (header.width > 4096 || header.height > 4096) continue;
            pim::TBitmap bitmap;
            pim::TJpegDecodeOptions options;
            options.fast = true;
            pim::DecodeJpeg(jpeg.data(), jpeg.size(), options, bitmap);
        } catch (const pim::Exception&) {
        }
    }
    // A thumbnail stored into whatever is there now is found again, or the
    // file is refused as a whole.
    try {
        thumb.Store(Picture('a'), Solid(3, 2), 40, 30, 75);
        std::vector<std::uint8_t> jpeg;
        int w = 0, h = 0;
        pim::TThumb again;
        Thumb(again, "cache.dat");
        const bool found = again.Lookup(Picture('a'), jpeg, w, h);
        (void)found;
    } catch (const pim::Exception&) {
    }
    return 0;  // the next input writes over the file
}
