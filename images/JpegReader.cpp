#include "images/JpegReader.h"

#include "images/ImageError.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

namespace tavlin {

namespace {

// Progressive files may hold any number of scans, each a full pass over the picture; more than
// any encoder writes means a file built to waste time.
constexpr int kMaxScans = 256;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onFatalError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr) {} // warnings (a truncated file, say) are not printed

void onProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->is_decompressor && d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "Too many scans in JPEG image");
        std::longjmp(err->jump, 1);
    }
}

// What the decoding steps hand back; kept outside the frame that calls setjmp so that nothing
// with a destructor lives where longjmp lands.
struct JpegJob {
    const unsigned char* data = nullptr;
    unsigned long size = 0;
    size_t inputBytes = 0;
    Bitmap* out = nullptr;
    std::string error;
};

void storeRow(const JSAMPLE* src, J_COLOR_SPACE space, bool adobeInverted, int width, uint32_t* row) {
    if (space == JCS_GRAYSCALE) {
        for (int x = 0; x < width; ++x) {
            row[x] = 0xFF000000u | uint32_t(src[x]) * 0x010101u;
        }
    } else if (space == JCS_CMYK) {
        for (int x = 0; x < width; ++x) {
            const JSAMPLE* p = src + size_t(x) * 4;
            uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
            if (!adobeInverted) { // plain CMYK: ink amounts
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            row[x] = 0xFF000000u | (c * k / 255) << 16 | (m * k / 255) << 8 | (y * k / 255);
        }
    } else { // libjpeg-turbo writes B, G, R, A bytes: 0xAARRGGBB on this machine
        std::memcpy(row, src, size_t(width) * 4);
    }
}

// Returns false with job.error set on any libjpeg failure.
bool decode(JpegJob& job, jpeg_decompress_struct& cinfo, ErrorManager& err, jpeg_progress_mgr& progress,
            JSAMPLE* volatile* rowBuffer) {
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onFatalError;
    err.pub.output_message = onMessage;
    if (setjmp(err.jump)) {
        job.error = err.message;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = onProgress;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, job.data, job.size);
    jpeg_read_header(&cinfo, TRUE);
    if (pictureTooLarge(cinfo.image_width, cinfo.image_height, job.inputBytes, kJpegPixelsPerByte)) {
        std::snprintf(err.message, sizeof err.message, "Picture too large");
        std::longjmp(err.jump, 1);
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    const int width = int(cinfo.output_width);
    *job.out = Bitmap(width, int(cinfo.output_height));
    *rowBuffer =
        static_cast<JSAMPLE*>((*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                        size_t(width) * size_t(cinfo.output_components)));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {*rowBuffer};
        const int y = int(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) {
            break;
        }
        storeRow(*rowBuffer, cinfo.out_color_space, cinfo.saw_Adobe_marker, width, job.out->row(y));
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

Bitmap readJpeg(std::string_view data) {
    Bitmap out;
    JpegJob job;
    job.data = reinterpret_cast<const unsigned char*>(data.data());
    job.size = static_cast<unsigned long>(data.size());
    job.inputBytes = data.size();
    job.out = &out;
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    JSAMPLE* volatile rowBuffer = nullptr;
    const bool ok = decode(job, cinfo, err, progress, &rowBuffer);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        throw EImageError(job.error.empty() ? std::string("JPEG error") : job.error);
    }
    return out;
}

} // namespace tavlin
