// JPEG decoding: libjpeg decompression of memory images into RGB buffers,
// with every decoder error and every sign of damaged pixels turned into a
// refusal that names the file (fatal when loading a file); harmless
// warnings are printed and decoding goes on.
#include "textures/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "base/fatal.h"
#include "base/temp_pool.h"

namespace {

// The standard error manager plus a way back out of the decoder.
struct JpegErrors {
    jpeg_error_mgr manager;
    jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    const char* name;
    void (*standardMessage)(j_common_ptr info, int level);
};

[[noreturn]] void onJpegError(j_common_ptr info)
{
    JpegErrors* errors = (JpegErrors*)info->err;
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->escape, 1);
}

// Warnings that mean the picture would come out damaged (truncated or
// corrupt entropy-coded data) end the decoding. The rest leave the pixels
// intact (stray bytes between markers, unknown revisions) and are only
// reported, the way the standard error manager does.
void onJpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        switch (info->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
            onJpegError(info);
        default:
            break;
        }
    ((JpegErrors*)info->err)->standardMessage(info, level);
}

// A reported warning names its file.
void showJpegMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    std::fprintf(stderr, "%s: %s\n", ((JpegErrors*)info->err)->name, text);
}

}  // namespace

uint8_t* decodeJpeg(const uint8_t* bytes, size_t size, const char* name, int* width, int* height, char* error,
                    size_t errorSize)
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.name = name;
    errors.standardMessage = errors.manager.emit_message;
    errors.manager.error_exit = onJpegError;
    errors.manager.emit_message = onJpegMessage;
    errors.manager.output_message = showJpegMessage;
    // Everything the error path needs must outlive the longjmp.
    uint8_t* volatile rgb = nullptr;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        std::free(rgb);
        std::snprintf(error, errorSize, "%s: bad JPEG data: %s", name, errors.message);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, (unsigned long)size);
    jpeg_read_header(&info, TRUE);

    const char* refusal = nullptr;
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
        refusal = "CMYK JPEG images are not supported, save it as RGB";
    else if (info.num_components != 1 && info.num_components != 3)
        refusal = "only greyscale and RGB JPEG images are supported";
    else if (info.image_width < 2 || info.image_height < 2 || info.image_width > 65536 || info.image_height > 65536)
        refusal = "image size must be 2 to 65536 pixels each way";
    if (refusal) {
        std::snprintf(error, errorSize, "%s: %u x %u: %s", name, (unsigned)info.image_width,
                      (unsigned)info.image_height, refusal);
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    // Every picture ends up uploaded through the temporary pool; one whose
    // texels cannot fit there is refused before anything is allocated.
    if ((size_t)info.image_width * info.image_height * 4 > tempAvailable()) {
        std::snprintf(error, errorSize, "out of tempmalloc");
        jpeg_destroy_decompress(&info);
        return nullptr;
    }

    // Greyscale is expanded by the decoder; YCbCr and RGB decode to RGB.
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    int w = (int)info.output_width;
    int h = (int)info.output_height;
    int rowBytes = w * 3;
    JSAMPARRAY row = (*info.mem->alloc_sarray)((j_common_ptr)&info, JPOOL_IMAGE,
                                               (JDIMENSION)(w * info.output_components), 1);
    rgb = (uint8_t*)std::malloc((size_t)rowBytes * h);
    while (info.output_scanline < info.output_height) {
        size_t y = info.output_scanline;
        if (jpeg_read_scanlines(&info, row, 1) != 1)
            ERREXIT(&info, JERR_INPUT_EOF);
        std::memcpy(rgb + y * rowBytes, row[0], rowBytes);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    *width = w;
    *height = h;
    return rgb;
}

uint8_t* loadJpeg(const char* name, int* width, int* height)
{
    char text[JMSG_LENGTH_MAX + 1024];
    FILE* file = std::fopen(name, "rb");
    if (!file) {
        std::snprintf(text, sizeof text, "%s not found", name);
        fatalError(text);
    }
    std::vector<uint8_t> bytes;
    uint8_t block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    uint8_t* rgb = decodeJpeg(bytes.data(), bytes.size(), name, width, height, text, sizeof text);
    if (!rgb)
        fatalError(text);
    return rgb;
}
