// Decoding speed of the toolkit's PNG decoder against libpng and, where it is
// installed, stb_image (built with KOUI_BENCH_STB), in one run, on
// a corpus generated here with libpng at a fixed compression level:
//   photo    1024×1024 RGB, smooth shapes with sensor-like noise
//   skin     512×512 RGBA, flat panels, gradients and soft edges as in UI skins
//   palette  1024×768 8-bit palette, flat areas and dithered ramps
//   interlaced  1024×768 RGB photo-like, Adam7
//   deep     1024×1024 16-bit RGBA, the photo with a smooth alpha
// Throughput is MB/s of RGBA output per second of the decoding thread's CPU time. Each of the toolkit's runs also reports
// `peak`: the most heap it held while decoding, over the RGBA output's size. After the usual table the
// program prints each decoder's throughput per image and over the whole
// corpus, and the toolkit's ratio to each peer.
#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/heap_counter.h"
#include "koui/family/png_decoder.h"
#include "tests/family/libpng_reference.h"

#ifdef KOUI_BENCH_STB
#include <stb_image.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kCompressionLevel = 6;

struct Source {
    std::string name;
    unsigned width, height;
    int colorType;  // PNG_COLOR_TYPE_*
    bool interlaced;
    int bitDepth;
    Bytes samples;  // packed rows
    Bytes palette;  // RGB triples for palette images
};

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// libpng's default adaptive filtering at a fixed zlib level, so every run
// decodes the same bytes.
Bytes encode(const Source& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendToVector, nullptr);
    png_set_compression_level(png, kCompressionLevel);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colors(s.palette.size() / 3);
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = {s.palette[3 * i], s.palette[3 * i + 1], s.palette[3 * i + 2]};
    if (!colors.empty()) png_set_PLTE(png, info, colors.data(), static_cast<int>(colors.size()));
    png_write_info(png, info);
    const size_t stride = s.samples.size() / s.height;
    std::vector<png_bytep> rows(s.height);
    for (unsigned y = 0; y < s.height; ++y) rows[y] = const_cast<png_bytep>(s.samples.data() + y * stride);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

uint8_t clampByte(double v) {
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

Source photo(const std::string& name, unsigned w, unsigned h, bool interlaced) {
    Source s{name, w, h, PNG_COLOR_TYPE_RGB, interlaced, 8, Bytes(size_t{w} * h * 3), {}};
    std::mt19937 random(42);
    std::normal_distribution<double> noise(0.0, 3.0);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const double u = x / double(w), v = y / double(h);
            const double shade = 0.5 + 0.5 * std::sin(6.0 * u + 3.0 * std::cos(4.0 * v));
            const double light = std::exp(-((u - 0.4) * (u - 0.4) + (v - 0.3) * (v - 0.3)) * 4.0);
            uint8_t* p = &s.samples[(size_t{y} * w + x) * 3];
            p[0] = clampByte(200 * shade * (0.6 + 0.4 * light) + noise(random));
            p[1] = clampByte(120 + 90 * light * std::cos(5.0 * v) + noise(random));
            p[2] = clampByte(90 + 140 * (1 - shade) * v + noise(random));
        }
    return s;
}

Source skin() {
    const unsigned w = 512, h = 512;
    Source s{"skin", w, h, PNG_COLOR_TYPE_RGB_ALPHA, false, 8, Bytes(size_t{w} * h * 4), {}};
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            uint8_t* p = &s.samples[(size_t{y} * w + x) * 4];
            // 64×64 cells: a rounded panel with a vertical gradient and a soft
            // shadow edge, on a transparent background.
            const int cx = static_cast<int>(x % 64), cy = static_cast<int>(y % 64);
            const int cell = static_cast<int>((x / 64) + (y / 64) * 8);
            const double dx = std::max(0, std::max(8 - cx, cx - 55)),
                         dy = std::max(0, std::max(8 - cy, cy - 55));
            const double dist = std::sqrt(dx * dx + dy * dy);
            const double inside = std::clamp(6.0 - dist, 0.0, 1.0);
            p[0] = static_cast<uint8_t>(40 + (cell * 13) % 160);
            p[1] = static_cast<uint8_t>(60 + cy);
            p[2] = static_cast<uint8_t>(cell % 3 == 0 ? 200 : 90);
            p[3] = static_cast<uint8_t>(255 * inside);
            if (p[3] == 0) p[0] = p[1] = p[2] = 0;
        }
    return s;
}

Source palette() {
    const unsigned w = 1024, h = 768;
    Source s{"palette", w, h, PNG_COLOR_TYPE_PALETTE, false, 8, Bytes(size_t{w} * h), Bytes(256 * 3)};
    for (int i = 0; i < 256; ++i) {
        s.palette[3 * i] = static_cast<uint8_t>(i);
        s.palette[3 * i + 1] = static_cast<uint8_t>((i * 7) & 0xff);
        s.palette[3 * i + 2] = static_cast<uint8_t>(255 - i);
    }
    std::mt19937 random(7);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const bool ramp = (x / 128 + y / 96) % 2 == 0;
            const unsigned dither = random() & 7;
            const unsigned index = ramp ? ((x / 4 + dither) & 0xff) : ((x / 128) * 31 + (y / 96) * 17) & 0xff;
            s.samples[size_t{y} * w + x] = static_cast<uint8_t>(index);
        }
    return s;
}

// The photo's samples widened to 16 bits (big-endian, as PNG stores them)
// with an alpha ramp.
Source deep() {
    const Source rgb = photo("deep", 1024, 1024, false);
    Source s{
        "deep", rgb.width, rgb.height, PNG_COLOR_TYPE_RGB_ALPHA, false, 16, Bytes(rgb.samples.size() / 3 * 8),
        {}};
    for (size_t i = 0; i < rgb.samples.size() / 3; ++i) {
        for (size_t c = 0; c < 3; ++c)
            s.samples[i * 8 + c * 2] = s.samples[i * 8 + c * 2 + 1] = rgb.samples[i * 3 + c];
        s.samples[i * 8 + 6] = static_cast<uint8_t>(i * 255 / (rgb.samples.size() / 3));
        s.samples[i * 8 + 7] = 0x80;
    }
    return s;
}

struct Image {
    std::string name;
    Bytes file;
    size_t rgbaBytes;
};

const std::vector<Image>& corpus() {
    static const std::vector<Image> images = [] {
        std::vector<Image> list;
        for (const Source& s : {photo("photo", 1024, 1024, false), skin(), palette(),
                                photo("interlaced", 1024, 768, true), deep()})
            list.push_back({s.name, encode(s), size_t{s.width} * s.height * 4});
        return list;
    }();
    return images;
}

void decodeKoui(benchmark::State& state, size_t index) {
    const Image& image = corpus()[index];
    std::vector<uint8_t> pixels;
    unsigned w = 0, h = 0, bpp = 0;
    koui::bench::gLiveBytes = koui::bench::gPeakBytes = 0;
    koui::bench::gCounting = true;
    ko::png::decodePng(pixels, w, h, bpp, image.file.data(), image.file.size());
    koui::bench::gCounting = false;
    state.counters["peak"] =
        static_cast<double>(koui::bench::gPeakBytes) / static_cast<double>(image.rgbaBytes);
    for (auto _ : state) {
        if (!ko::png::decodePng(pixels, w, h, bpp, image.file.data(), image.file.size()))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.rgbaBytes));
}

void decodeLibpng(benchmark::State& state, size_t index) {
    const Image& image = corpus()[index];
    koui::test::ReferenceImage out;
    std::string error;
    for (auto _ : state) {
        if (!koui::test::decodeWithLibpng(image.file, out, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(out.rgba.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.rgbaBytes));
}

#ifdef KOUI_BENCH_STB
void decodeStb(benchmark::State& state, size_t index) {
    const Image& image = corpus()[index];
    for (auto _ : state) {
        int w = 0, h = 0, channels = 0;
        stbi_uc* rgba = stbi_load_from_memory(image.file.data(), static_cast<int>(image.file.size()), &w, &h,
                                              &channels, 4);
        if (!rgba) state.SkipWithError(stbi_failure_reason());
        benchmark::DoNotOptimize(rgba);
        stbi_image_free(rgba);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.rgbaBytes));
}
#endif

// Keeps the seconds per decode of every run for the summary: CPU seconds,
// since a decode runs on one thread and the time it waited for a core on a
// busy machine is not the decoder's.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.iterations > 0)
                secondsPerDecode[run.benchmark_name()] = run.cpu_accumulated_time / double(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> secondsPerDecode;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> peers{"libpng"};
#ifdef KOUI_BENCH_STB
    peers.push_back("stb");  // stbi_load gives 8-bit RGBA for 16-bit images too, as the others do
#else
    std::printf("stb_image not built in (Debian libstb-dev): no stb column\n");
#endif
    for (size_t i = 0; i < corpus().size(); ++i) {
        benchmark::RegisterBenchmark(("koui/" + corpus()[i].name).c_str(), decodeKoui, i)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("libpng/" + corpus()[i].name).c_str(), decodeLibpng, i)
            ->Unit(benchmark::kMillisecond);
#ifdef KOUI_BENCH_STB
        benchmark::RegisterBenchmark(("stb/" + corpus()[i].name).c_str(), decodeStb, i)
            ->Unit(benchmark::kMillisecond);
#endif
    }
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // MB/s of each decoder, then the toolkit's speed-up over each peer.
    const auto seconds = [&](const std::string& decoder, const std::string& image) {
        const auto it = reporter.secondsPerDecode.find(decoder + "/" + image);
        return it == reporter.secondsPerDecode.end() ? 0.0 : it->second;
    };
    std::printf("\n%-12s %10s %10s", "image", "PNG bytes", "koui MB/s");
    for (const std::string& peer : peers) std::printf(" %9s MB/s", peer.c_str());
    for (const std::string& peer : peers) std::printf(" %9s", ("x " + peer).c_str());
    std::printf("\n");
    std::map<std::string, double> total;
    double bytes = 0;
    const auto row = [&](const char* name, const char* size, double mb,
                         const std::map<std::string, double>& s) {
        std::printf("%-12s %10s %10.1f", name, size, mb / s.at("koui"));
        for (const std::string& peer : peers) std::printf(" %14.1f", mb / s.at(peer));
        for (const std::string& peer : peers) std::printf(" %8.2fx", s.at(peer) / s.at("koui"));
        std::printf("\n");
    };
    for (const Image& image : corpus()) {
        std::map<std::string, double> s{{"koui", seconds("koui", image.name)}};
        for (const std::string& peer : peers) s[peer] = seconds(peer, image.name);
        if (std::any_of(s.begin(), s.end(), [](const auto& kv) { return kv.second <= 0; })) continue;
        const double mb = image.rgbaBytes / 1e6;
        row(image.name.c_str(), std::to_string(image.file.size()).c_str(), mb, s);
        for (const auto& [decoder, t] : s) total[decoder] += t;
        bytes += mb;
    }
    if (bytes > 0) row("corpus", "", bytes, total);
    benchmark::Shutdown();
    return 0;
}
