#include "koui/family/png_decoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <new>

#include "koui/family/appmsg.h"
#include "koui/family/png_chunks.h"
#include "koui/family/png_filter.h"
#include "koui/family/png_pixels.h"

using namespace ko::log;

namespace ko::png {

namespace {

// DEFLATE cannot expand better than 258 bytes per 2 bits (one length and one
// distance code of one bit each), so data that would need a higher ratio to
// fill the image is too short, and is refused before allocating for it.
constexpr uint64_t kMaxInflateRatio = 1032;

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// The passes of the image: one covering everything, or the seven of Adam7.
struct PassList {
    Pass pass[7];
    int count;
};

PassList passesOf(const Header& h) {
    if (h.interlace == 0) return {{{0, 0, 1, 1}}, 1};
    PassList list{};
    for (int i = 0; i < 7; ++i) list.pass[i] = kAdam7[i];
    list.count = 7;
    return list;
}

// Size of the inflated data: per pass that holds pixels, one filter byte and
// the packed samples per row. Passes without pixels hold nothing at all.
uint64_t filteredSize(const Header& h) {
    const PassList passes = passesOf(h);
    uint64_t total = 0;
    for (int i = 0; i < passes.count; ++i) {
        const Pass& p = passes.pass[i];
        const uint32_t w = passExtent(h.width, p.x0, p.dx), rows = passExtent(h.height, p.y0, p.dy);
        if (w && rows) total += uint64_t{rows} * (rowBytes(h, w) + 1);
    }
    return total;
}

// Per-thread state kept between decodes: the inflater, the joined data of
// images split into several IDAT chunks, and the inflated data of interlaced
// images. A second image of similar size then reuses memory whose pages are
// already mapped instead of faulting in fresh ones. Buffers above kKeptBytes
// are given back after the decode so that one huge image does not pin its
// memory for the thread's lifetime.
constexpr size_t kKeptBytes = size_t{32} << 20;

struct Scratch {
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> inflater;
    std::vector<uint8_t> joined;
    std::unique_ptr<uint8_t[]> filtered;  // default-initialised: the inflater writes every byte
    size_t filteredSize = 0;

    // Gives back what is above kKeptBytes.
    void trim() {
        if (joined.capacity() > kKeptBytes) std::vector<uint8_t>().swap(joined);
        if (filteredSize > kKeptBytes) {
            filtered.reset();
            filteredSize = 0;
        }
    }
};

thread_local Scratch tScratch;

bool inflateData(const Chunks& chunks, uint8_t* out, size_t outSize) {
    Scratch& scratch = tScratch;
    // One IDAT is inflated straight from the file's bytes; several are joined.
    const uint8_t* in = chunks.idat.front().data;
    if (chunks.idat.size() > 1) {
        try {
            scratch.joined.resize(static_cast<size_t>(chunks.idatBytes));
        } catch (const std::bad_alloc&) {
            appmsg("[ERROR] decodePng: out of memory");
            return false;
        }
        uint8_t* at = scratch.joined.data();
        for (const Span& s : chunks.idat) at = std::copy_n(s.data, s.size, at);
        in = scratch.joined.data();
    }
    if (!scratch.inflater) scratch.inflater.reset(libdeflate_alloc_decompressor());
    libdeflate_decompressor* const d = scratch.inflater.get();
    if (!d) {
        appmsg("[ERROR] decodePng: out of memory");
        return false;
    }
    const size_t size = static_cast<size_t>(chunks.idatBytes);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer cannot mend the Adler-32 of data it mutated: inflate the
    // DEFLATE data between the 2-byte zlib header and the checksum unchecked.
    const libdeflate_result result =
        size < 6 ? LIBDEFLATE_BAD_DATA
                 : libdeflate_deflate_decompress(d, in + 2, size - 6, out, outSize, nullptr);
#else
    const libdeflate_result result = libdeflate_zlib_decompress(d, in, size, out, outSize, nullptr);
#endif
    switch (result) {
        case LIBDEFLATE_SUCCESS:
            return true;
        case LIBDEFLATE_SHORT_OUTPUT:
            appmsg("[ERROR] decodePng: too little image data");
            return false;
        case LIBDEFLATE_INSUFFICIENT_SPACE:
            appmsg("[ERROR] decodePng: too much image data");
            return false;
        default:
            appmsg("[ERROR] decodePng: corrupt image data (zlib stream)");
            return false;
    }
}

// Reverses the filters of one pass row by row and converts each row into its
// place in `rgba` while it is still in cache. `cursor` advances past the pass.
bool decodePass(const Header& h, const Pass& p, const PixelFormat& format, uint8_t*& cursor,
                const uint8_t* zeroRow, uint8_t* rgba) {
    const uint32_t w = passExtent(h.width, p.x0, p.dx), rows = passExtent(h.height, p.y0, p.dy);
    if (!w || !rows) return true;
    const size_t length = static_cast<size_t>(rowBytes(h, w));
    const unsigned stride = filterStride(h);
    const RowConverter convert = rowConverter(format);
    const size_t rowStep = size_t{h.width} * 4;
    const uint8_t* prior = zeroRow;
    uint8_t* row = cursor;
    for (uint32_t y = 0; y < rows; ++y, row += length + 1) {
        if (!unfilterRow(row[0], row + 1, prior, length, stride)) {
            appmsg("[ERROR] decodePng: unknown filter type %u", row[0]);
            return false;
        }
        uint8_t* dst = rgba + (size_t{p.y0} + size_t{y} * p.dy) * rowStep + size_t{p.x0} * 4;
        if (!convert(row + 1, dst, w, size_t{p.dx} * 4, format)) {
            appmsg("[ERROR] decodePng: palette index beyond the %u palette entries", format.paletteCount);
            return false;
        }
        prior = row + 1;
    }
    cursor = row;
    return true;
}

bool decodeImageData(const Chunks& chunks, uint8_t* filtered, std::vector<uint8_t>& pixels) {
    const Header& h = chunks.header;
    try {
        pixels.resize(size_t{h.width} * h.height * 4);  // only new bytes are zeroed, see decodePng
    } catch (const std::bad_alloc&) {
        appmsg("[ERROR] decodePng: out of memory for %ux%u pixels", h.width, h.height);
        return false;
    }
    const std::vector<uint8_t> zeroRow(static_cast<size_t>(rowBytes(h, h.width)));
    const PassList passes = passesOf(h);
    uint8_t* cursor = filtered;
    for (int i = 0; i < passes.count; ++i)
        if (!decodePass(h, passes.pass[i], chunks.format, cursor, zeroRow.data(), pixels.data()))
            return false;
    return true;
}

// A non-interlaced image is inflated into the pixel buffer itself, behind
// the room its RGBA rows need, and converted front to back through two row
// buffers. Each RGBA row ends before the next filtered row begins (the
// filtered data sits at the buffer's end, and the buffer is the larger of
// the two images), so the decoder holds one image and two rows instead of
// both images: a 16-bit RGBA image of 16 384 x 16 384 pixels takes 2 GiB
// (its inflated data) instead of 3. The vector keeps that capacity.
bool decodeInPlace(const Chunks& chunks, uint64_t filteredBytes, std::vector<uint8_t>& pixels) {
    const Header& h = chunks.header;
    const size_t rgbaRow = size_t{h.width} * 4, length = static_cast<size_t>(rowBytes(h, h.width));
    const size_t rgbaBytes = rgbaRow * h.height;
    const size_t total = std::max(rgbaBytes, static_cast<size_t>(filteredBytes));
    std::vector<uint8_t> prior, current;
    try {
        pixels.resize(total);
        prior.assign(length, 0);
        current.resize(length);
    } catch (const std::bad_alloc&) {
        appmsg("[ERROR] decodePng: out of memory for %ux%u pixels", h.width, h.height);
        return false;
    }
    uint8_t* filtered = pixels.data() + (total - static_cast<size_t>(filteredBytes));
    if (!inflateData(chunks, filtered, static_cast<size_t>(filteredBytes))) return false;
    const unsigned stride = filterStride(h);
    const RowConverter convert = rowConverter(chunks.format);
    for (uint32_t y = 0; y < h.height; ++y, filtered += length + 1) {
        std::copy_n(filtered + 1, length, current.data());
        if (!unfilterRow(filtered[0], current.data(), prior.data(), length, stride)) {
            appmsg("[ERROR] decodePng: unknown filter type %u", filtered[0]);
            return false;
        }
        if (!convert(current.data(), pixels.data() + y * rgbaRow, h.width, 4, chunks.format)) {
            appmsg("[ERROR] decodePng: palette index beyond the %u palette entries",
                   chunks.format.paletteCount);
            return false;
        }
        prior.swap(current);
    }
    pixels.resize(rgbaBytes);
    return true;
}

}  // namespace

bool decodePng(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height, unsigned& bpp,
               const uint8_t* data, size_t size) {
    // The vector is not cleared first: every byte of the result is written
    // by the conversion, and resizing a vector that already held an image
    // keeps its bytes, so decoding into the same vector again skips the zero
    // fill that a fresh resize costs (and the page faults of new memory).
    bool decoded = false;
    Chunks chunks;
    if (readChunks(data, size, chunks)) {
        const Header& h = chunks.header;
        const uint64_t expected = filteredSize(h);
        if (expected / kMaxInflateRatio > chunks.idatBytes) {
            appmsg("[ERROR] decodePng: too little image data for %ux%u pixels (%zu bytes)", h.width, h.height,
                   static_cast<size_t>(chunks.idatBytes));
        } else if (h.interlace == 0) {
            decoded = decodeInPlace(chunks, expected, pixels);
        } else {
            // Adam7 passes scatter their rows over the whole image: the
            // inflated data gets a buffer of its own, kept for the next image.
            Scratch& scratch = tScratch;
            const auto bytes = static_cast<size_t>(expected);
            if (scratch.filteredSize < bytes) {
                scratch.filtered.reset(new (std::nothrow) uint8_t[bytes]);
                scratch.filteredSize = scratch.filtered ? bytes : 0;
            }
            if (!scratch.filtered)
                appmsg("[ERROR] decodePng: out of memory for %ux%u pixels", h.width, h.height);
            else
                decoded = inflateData(chunks, scratch.filtered.get(), bytes) &&
                          decodeImageData(chunks, scratch.filtered.get(), pixels);
        }
        tScratch.trim();
    }
    if (!decoded) {
        std::vector<uint8_t>().swap(pixels);  // gives the memory back, not only the size
        return false;
    }
    width = chunks.header.width;
    height = chunks.header.height;
    bpp = 32;
    return true;
}

}  // namespace ko::png
