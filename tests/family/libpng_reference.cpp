#include "tests/family/libpng_reference.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace koui::test {

namespace {

struct Reader {
    const std::vector<uint8_t>* data;
    size_t pos;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > r->data->size() - r->pos) png_error(png, "read past the end of the data");
    std::memcpy(out, r->data->data() + r->pos, length);
    r->pos += length;
}

void recordError(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Everything after setjmp lives in this C-style function: libpng leaves it by
// longjmp, so it owns no object with a destructor.
bool decodeRows(png_structp png, png_infop info, Reader* reader, std::vector<uint8_t>* rgba,
                std::vector<png_bytep>* rows, unsigned* width, unsigned* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, reader, readFromMemory);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != size_t{*width} * 4) png_error(png, "unexpected row size");
    rgba->resize(size_t{*width} * *height * 4);
    rows->resize(*height);
    for (unsigned y = 0; y < *height; ++y) (*rows)[y] = rgba->data() + size_t{y} * *width * 4;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

bool decodeWithLibpng(const std::vector<uint8_t>& data, ReferenceImage& out, std::string& error) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, recordError, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        error = "libpng: out of memory";
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    Reader reader{&data, 0};
    std::vector<png_bytep> rows;
    const bool ok = decodeRows(png, info, &reader, &out.rgba, &rows, &out.width, &out.height);
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

}  // namespace koui::test
