// Decodes a large GIF and a large JPEG the way a load delivers them, in 8 KB
// blocks, and times the same files decoded by other tools in the same run:
//   GIF:  megapixels per second against ImageMagick (convert FILE null:),
//         target at least 1x;
//   JPEG: time against djpeg with the object's settings (216 colours, one
//         pass, Floyd-Steinberg, fast integer DCT, no fancy upsampling),
//         target at most 1.15x;
//   PNG:  megapixels per second against ImageMagick's decode to a PPM
//         (convert FILE ppm:-), target at least 1x; an interlaced copy of
//         the same picture is timed too, for information.
// The other tools run as processes: their times include starting up, which
// is also printed (measured on a 1 x 1 picture) so it can be weighed.

#include "images/CGifMimeObject.h"
#include "images/CJpegMimeObject.h"
#include "images/CPngMimeObject.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr size_t kBlock = 8192;
constexpr int kRuns = 7;
constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

double BestOf(const std::function<bool()>& run) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        if (!run())
            return -1;
        const std::chrono::duration<double> took = Clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

bool Command(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

template <class Object> bool DecodeOnce(const std::string& bytes, const char* type) {
    Object object("http://bench/picture", type);
    Status status = Status::Continue;
    for (size_t at = 0; at < bytes.size() && status == Status::Continue; at += kBlock) {
        status = object.Write(bytes.data() + at, std::min(kBlock, bytes.size() - at));
        object.SetStatus(status);
    }
    object.SetStatus(object.EndOfData());
    return object.GetStatus() == Status::Complete;
}

} // namespace

int main() {
    const auto dir = std::filesystem::temp_directory_path() / "vestrial_image_bench";
    std::filesystem::create_directories(dir);
    const std::string gif = (dir / "bench.gif").string();
    const std::string jpeg = (dir / "bench.jpg").string();
    const std::string png = (dir / "bench.png").string();
    const std::string interlacedPng = (dir / "interlaced.png").string();
    const std::string tiny = (dir / "tiny.gif").string();
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    if (!Command("/usr/bin/convert -size " + size + " -seed 7 plasma:fractal -blur 0x1 " +
                 "-colors 256 '" + gif + "'") ||
        !Command("/usr/bin/convert -size " + size + " -seed 7 plasma:fractal -blur 0x1 " +
                 "-quality 85 '" + jpeg + "'") ||
        !Command("/usr/bin/convert -size " + size + " -seed 7 plasma:fractal -blur 0x1 " +
                 "-depth 8 '" + png + "'") ||
        !Command("/usr/bin/convert '" + png + "' -interlace PNG '" + interlacedPng + "'") ||
        !Command("/usr/bin/convert -size 1x1 xc:white '" + tiny + "'")) {
        std::fprintf(stderr, "image_bench: could not make the pictures (imagemagick?)\n");
        return 1;
    }
    const std::string gifBytes = ReadFile(gif);
    const std::string jpegBytes = ReadFile(jpeg);
    const double megapixels = kWidth * kHeight / 1e6;
    std::printf("pictures: %s, GIF %.1f MB, JPEG %.1f MB, best of %d runs each\n", size.c_str(),
                gifBytes.size() / 1e6, jpegBytes.size() / 1e6, kRuns);

    const double ourGif = BestOf([&] { return DecodeOnce<CGifMimeObject>(gifBytes, "image/gif"); });
    const double magickGif =
        BestOf([&] { return Command("/usr/bin/convert '" + gif + "' null:"); });
    const double magickStart =
        BestOf([&] { return Command("/usr/bin/convert '" + tiny + "' null:"); });
    std::printf("GIF  vestrial:    %7.1f Mpixel/s (%.1f ms)\n", megapixels / ourGif, ourGif * 1e3);
    std::printf("GIF  ImageMagick: %7.1f Mpixel/s (%.1f ms, of which %.1f ms start-up)\n",
                megapixels / magickGif, magickGif * 1e3, magickStart * 1e3);
    const double gifRatio = magickGif / ourGif;
    std::printf("GIF  ratio: %.2fx ImageMagick's rate (%.2fx without its start-up) "
                "(target >= 1x) %s\n",
                gifRatio, (magickGif - magickStart) / ourGif, gifRatio >= 1 ? "MET" : "NOT MET");

    const double ourJpeg =
        BestOf([&] { return DecodeOnce<CJpegMimeObject>(jpegBytes, "image/jpeg"); });
    const std::string djpeg = "djpeg -colors 216 -onepass -dither fs -dct fast -nosmooth -bmp ";
    const double theirJpeg =
        BestOf([&] { return Command(djpeg + "-outfile /dev/null '" + jpeg + "'"); });
    const double djpegStart = BestOf([&] { return Command("djpeg -version"); });
    std::printf("JPEG vestrial: %7.1f ms\n", ourJpeg * 1e3);
    std::printf("JPEG djpeg:    %7.1f ms (start-up %.1f ms)\n", theirJpeg * 1e3, djpegStart * 1e3);
    const double jpegRatio = ourJpeg / theirJpeg;
    std::printf("JPEG ratio: %.2fx djpeg's time (%.2fx without its start-up) "
                "(target <= 1.15x) %s\n",
                jpegRatio, ourJpeg / (theirJpeg - djpegStart),
                jpegRatio <= 1.15 ? "MET" : "NOT MET");

    const std::string pngBytes = ReadFile(png);
    const std::string interlacedBytes = ReadFile(interlacedPng);
    const double ourPng = BestOf([&] { return DecodeOnce<CPngMimeObject>(pngBytes, "image/png"); });
    const double magickPng =
        BestOf([&] { return Command("/usr/bin/convert '" + png + "' ppm:-"); });
    const double ourInterlaced =
        BestOf([&] { return DecodeOnce<CPngMimeObject>(interlacedBytes, "image/png"); });
    const double magickInterlaced =
        BestOf([&] { return Command("/usr/bin/convert '" + interlacedPng + "' ppm:-"); });
    std::printf("PNG  file %.1f MB, interlaced %.1f MB\n", pngBytes.size() / 1e6,
                interlacedBytes.size() / 1e6);
    std::printf("PNG  vestrial:    %7.1f Mpixel/s (%.1f ms); interlaced %.1f ms\n",
                megapixels / ourPng, ourPng * 1e3, ourInterlaced * 1e3);
    std::printf("PNG  ImageMagick: %7.1f Mpixel/s (%.1f ms); interlaced %.1f ms\n",
                megapixels / magickPng, magickPng * 1e3, magickInterlaced * 1e3);
    const double pngRatio = magickPng / ourPng;
    std::printf("PNG  ratio: %.2fx ImageMagick's rate (%.2fx without its start-up; interlaced "
                "%.2fx) (target >= 1x) %s\n",
                pngRatio, (magickPng - magickStart) / ourPng, magickInterlaced / ourInterlaced,
                pngRatio >= 1 ? "MET" : "NOT MET");
    std::filesystem::remove_all(dir);
    return gifRatio >= 1 && jpegRatio <= 1.15 && pngRatio >= 1 ? 0 : 2;
}
