// PNG through libpng. libpng reports errors by calling our handler, which
// jumps back to the decode function: a damaged file becomes a status, never a
// message on stderr or an abort.
#include "codecs.h"

#include <png.h>

#include <cerrno>

namespace imaging::detail {
namespace {

// Everything a decode or encode changes after setjmp lives here, outside the
// frame that calls setjmp, so it keeps its value when libpng jumps back.
struct PngJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  int32_t wantBits = 0;
  Bitmap* bitmap = nullptr;    // read into
  RowSource* source = nullptr; // written from
  int passes = 1;
  int32_t fileBits = 8; // bits per sample as the file holds them
  int32_t status = kErrorCorrupt;
  std::string message;
  char libMessage[200] = {};
  int systemError = 0; // errno when libpng reported the error
};

[[noreturn]] void OnError(png_structp png, png_const_charp message)
{
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  job->systemError = errno;
  std::snprintf(job->libMessage, sizeof job->libMessage, "%s", message ? message : "error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Sets up the transformations and allocates the bitmap; returns false with
// job->status/message set when the image is refused.
bool PrepareRead(PngJob* job)
{
  png_structp png = job->png;
  png_infop info = job->info;
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  // Nothing sized by the header exists before this check; libpng sizes its
  // row buffers in png_read_update_info below.
  job->status = CheckPixels(width, height, &job->message);
  if (job->status != kSuccess)
    return false;
  const int colorType = png_get_color_type(png, info);
  const bool grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;
  job->fileBits = png_get_bit_depth(png, info);

  png_set_palette_to_rgb(png);
  png_set_expand_gray_1_2_4_to_8(png);
  png_set_scale_16(png);
  png_set_strip_alpha(png);
  if (grey && job->wantBits == 24)
    png_set_gray_to_rgb(png);
  png_set_bgr(png);
  job->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const int32_t bits = (grey && job->wantBits == 0) ? 8 : 24;
  if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != bits / 8) {
    job->status = kErrorUnsupported;
    job->message = "unsupported PNG pixel layout";
    return false;
  }
  job->status = Create(job->bitmap, static_cast<int32_t>(width), static_cast<int32_t>(height), bits, &job->message);
  return job->status == kSuccess;
}

void Decode(PngJob* job)
{
  if (setjmp(png_jmpbuf(job->png))) {
    job->status = kErrorCorrupt;
    job->message = std::string("corrupt or truncated PNG data (") + job->libMessage + ")";
    return;
  }
  if (!PrepareRead(job))
    return;
  // Row by row, once per interlace pass: libpng merges the passes in place.
  for (int pass = 0; pass < job->passes; ++pass)
    for (int32_t y = 0; y < job->bitmap->height; ++y)
      png_read_row(job->png, job->bitmap->Row(y), nullptr);
  png_read_end(job->png, nullptr);
  job->status = kSuccess;
}

void Encode(PngJob* job, FILE* file)
{
  if (setjmp(png_jmpbuf(job->png))) {
    job->status = kErrorWrite;
    job->message = WriteFailure(file, job->systemError, job->libMessage);
    return;
  }
  RowSource& bitmap = *job->source;
  png_init_io(job->png, file);
  png_set_IHDR(job->png, job->info, static_cast<png_uint_32>(bitmap.width), static_cast<png_uint_32>(bitmap.height), 8,
               bitmap.bitsPerPixel == 8 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(job->png, job->info);
  png_set_bgr(job->png);
  for (int32_t y = 0; y < bitmap.height; ++y)
    png_write_row(job->png, const_cast<png_bytep>(bitmap.Row(y)));
  png_write_end(job->png, nullptr);
  job->status = kSuccess;
}

} // namespace

int32_t ReadPng(FILE* file, int32_t wantBits, Bitmap* out, int32_t* sampleBits, std::string* error)
{
  PngJob job;
  job.wantBits = wantBits;
  job.bitmap = out;
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
  if (job.png)
    job.info = png_create_info_struct(job.png);
  if (!job.info) {
    png_destroy_read_struct(&job.png, nullptr, nullptr);
    return Fail(error, kErrorNoMemory, "out of memory for the PNG reader");
  }
  png_init_io(job.png, file);
  // libpng's own size cap is below ours; the bitmap's 2^31-byte rule decides.
  png_set_user_limits(job.png, 0x7fffffff, 0x7fffffff);
  Decode(&job);
  png_destroy_read_struct(&job.png, &job.info, nullptr);
  if (job.status != kSuccess) {
    Free(out);
    return Fail(error, job.status, job.message);
  }
  *sampleBits = job.fileBits;
  return kSuccess;
}

int32_t WritePng(FILE* file, RowSource& bitmap, std::string* error)
{
  PngJob job;
  job.source = &bitmap;
  job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
  if (job.png)
    job.info = png_create_info_struct(job.png);
  if (!job.info) {
    png_destroy_write_struct(&job.png, nullptr);
    return Fail(error, kErrorNoMemory, "out of memory for the PNG writer");
  }
  Encode(&job, file);
  png_destroy_write_struct(&job.png, &job.info);
  return job.status == kSuccess ? kSuccess : Fail(error, job.status, job.message);
}

} // namespace imaging::detail
