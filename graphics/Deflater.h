// Samples compressed with zlib as they are made, for image data the PDF
// takes behind FlateDecode: the whole picture never waits uncompressed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "graphics/Graphics.h"

namespace pim {

class TDeflater {
public:
    // `size`: the bytes that will be added, to take the output's memory once.
    explicit TDeflater(std::size_t size) {
        // Runs and Huffman codes only: several times faster than the lowest
        // level's string matching, and as good on the flat areas and the
        // photographs that reach this path. Pages are made while the user
        // waits; the PDF's size is a minor concern next to that.
        if (deflateInit2(&z_, Z_BEST_SPEED, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
            throw EInvalidGraphic("out of memory", TFault::fOutOfMemory);
        out_.resize(deflateBound(&z_, static_cast<uLong>(size)));
    }
    ~TDeflater() { deflateEnd(&z_); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    void Add(const std::uint8_t* data, std::size_t size, bool last) {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(size);
        const int flush = last ? Z_FINISH : Z_NO_FLUSH;
        int result = Z_OK;
        do {
            // The bound taken at the start is enough; this is only a guard.
            if (used_ == out_.size()) out_.resize(out_.size() + std::max<std::size_t>(out_.size() / 2, 256 * 1024));
            z_.next_out = out_.data() + used_;
            z_.avail_out = static_cast<uInt>(out_.size() - used_);
            result = deflate(&z_, flush);
            used_ = out_.size() - z_.avail_out;
        } while (z_.avail_in > 0 || (last && result != Z_STREAM_END));
    }
    // The compressed data, holding no more memory than they need: a page
    // waits with them until its turn.
    std::vector<std::uint8_t> Take() {
        out_.resize(used_);
        out_.shrink_to_fit();
        return std::move(out_);
    }

private:
    z_stream z_{};
    std::vector<std::uint8_t> out_;
    std::size_t used_ = 0;
};

}  // namespace pim
