// JPEG through libjpeg. Its errors, and the warnings that mean pixel data was
// lost (a truncated file, damaged entropy-coded data), jump back to the
// decode function; nothing is printed and nothing exits.
#include "codecs.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <string>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace imaging::detail {
namespace {

struct ErrorManager {
  jpeg_error_mgr base; // first: libjpeg hands us a pointer to it
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int systemError; // errno when libjpeg reported the error
};

[[noreturn]] void OnError(j_common_ptr cinfo)
{
  auto* mgr = reinterpret_cast<ErrorManager*>(cinfo->err);
  mgr->systemError = errno;
  (*cinfo->err->format_message)(cinfo, mgr->message);
  std::longjmp(mgr->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level)
{
  if (level >= 0)
    return; // trace output
  // libjpeg pads a truncated or damaged stream with grey and carries on; we
  // refuse such a picture instead of handing out invented pixels.
  switch (cinfo->err->msg_code) {
  case JWRN_JPEG_EOF:
  case JWRN_HIT_MARKER:
  case JWRN_HUFF_BAD_CODE:
  case JWRN_ARITH_BAD_CODE:
  case JWRN_MUST_RESYNC: OnError(cinfo);
  default: break;
  }
}

void Silent(j_common_ptr) {}

void InstallErrorManager(ErrorManager* mgr)
{
  jpeg_std_error(&mgr->base);
  mgr->base.error_exit = OnError;
  mgr->base.emit_message = OnMessage;
  mgr->base.output_message = Silent;
  mgr->message[0] = '\0';
  mgr->systemError = 0;
}

// State changed after setjmp lives here, outside the frame that calls it.
struct DecodeJob {
  jpeg_decompress_struct cinfo{};
  ErrorManager err;
  int32_t wantBits = 0;
  Bitmap* bitmap = nullptr;
  int32_t status = kErrorCorrupt;
  std::string message;
};

// Picks the output colour space; false when the file's is refused.
bool ChooseOutput(DecodeJob* job)
{
  jpeg_decompress_struct& cinfo = job->cinfo;
  switch (cinfo.jpeg_color_space) {
  case JCS_GRAYSCALE: cinfo.out_color_space = job->wantBits == 24 ? JCS_EXT_BGR : JCS_GRAYSCALE; return true;
  case JCS_YCbCr:
  case JCS_RGB: cinfo.out_color_space = JCS_EXT_BGR; return true;
  case JCS_CMYK:
  case JCS_YCCK:
    job->status = kErrorUnsupported;
    job->message = "CMYK JPEG files are not supported";
    return false;
  default:
    job->status = kErrorUnsupported;
    job->message = "unsupported JPEG colour space";
    return false;
  }
}

void Decode(DecodeJob* job, FILE* file)
{
  if (setjmp(job->err.jump)) {
    if (job->err.base.msg_code == JERR_IMAGE_TOO_BIG) {
      // The header was read: the picture is sound but beyond the decoder.
      job->status = kErrorTooLarge;
      job->message = "JPEG image of " + std::to_string(job->cinfo.image_width) + " x " +
                     std::to_string(job->cinfo.image_height) + " pixels is too large (at most " +
                     std::to_string(JPEG_MAX_DIMENSION) + " pixels a side)";
      return;
    }
    job->status = kErrorCorrupt;
    job->message = std::string("corrupt or truncated JPEG data (") + job->err.message + ")";
    return;
  }
  jpeg_create_decompress(&job->cinfo);
  jpeg_stdio_src(&job->cinfo, file);
  jpeg_read_header(&job->cinfo, TRUE);
  if (!ChooseOutput(job))
    return;
  const int32_t bits = job->cinfo.out_color_space == JCS_GRAYSCALE ? 8 : 24;
  // The size is checked before libjpeg allocates anything for the pixels
  // (jpeg_start_decompress below).
  job->status = CheckPixels(job->cinfo.image_width, job->cinfo.image_height, &job->message);
  if (job->status != kSuccess)
    return;
  // Every row is written below, or the bitmap is freed.
  job->status = CreateUnfilled(job->bitmap, static_cast<int32_t>(job->cinfo.image_width),
                               static_cast<int32_t>(job->cinfo.image_height), bits, &job->message);
  if (job->status != kSuccess)
    return;
  jpeg_start_decompress(&job->cinfo);
  if (job->cinfo.output_components != bits / 8 ||
      job->cinfo.output_width != static_cast<JDIMENSION>(job->bitmap->width) ||
      job->cinfo.output_height != static_cast<JDIMENSION>(job->bitmap->height)) {
    job->status = kErrorUnsupported;
    job->message = "unsupported JPEG pixel layout";
    return;
  }
  while (job->cinfo.output_scanline < job->cinfo.output_height) {
    JSAMPROW row = job->bitmap->Row(static_cast<int32_t>(job->cinfo.output_scanline));
    jpeg_read_scanlines(&job->cinfo, &row, 1);
  }
  jpeg_finish_decompress(&job->cinfo);
  job->status = kSuccess;
}

struct EncodeJob {
  jpeg_compress_struct cinfo{};
  ErrorManager err;
  RowSource* bitmap = nullptr;
  int32_t quality = 0;
  int32_t status = kErrorWrite;
  std::string message;
};

void Encode(EncodeJob* job, FILE* file)
{
  if (setjmp(job->err.jump)) {
    job->status = kErrorWrite;
    job->message = WriteFailure(file, job->err.systemError, job->err.message);
    return;
  }
  RowSource& bitmap = *job->bitmap;
  jpeg_compress_struct& cinfo = job->cinfo;
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(bitmap.width);
  cinfo.image_height = static_cast<JDIMENSION>(bitmap.height);
  cinfo.input_components = bitmap.bitsPerPixel / 8;
  cinfo.in_color_space = bitmap.bitsPerPixel == 8 ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job->quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bitmap.Row(static_cast<int32_t>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  job->status = kSuccess;
}

} // namespace

int32_t ReadJpeg(FILE* file, int32_t wantBits, Bitmap* out, std::string* error)
{
  DecodeJob job;
  job.wantBits = wantBits;
  job.bitmap = out;
  job.cinfo.err = &job.err.base;
  InstallErrorManager(&job.err);
  Decode(&job, file);
  jpeg_destroy_decompress(&job.cinfo);
  if (job.status != kSuccess) {
    Free(out);
    return Fail(error, job.status, job.message);
  }
  return kSuccess;
}

int32_t WriteJpeg(FILE* file, RowSource& bitmap, int32_t quality, std::string* error)
{
  EncodeJob job;
  job.bitmap = &bitmap;
  job.quality = quality;
  job.cinfo.err = &job.err.base;
  InstallErrorManager(&job.err);
  Encode(&job, file);
  jpeg_destroy_compress(&job.cinfo);
  return job.status == kSuccess ? kSuccess : Fail(error, job.status, job.message);
}

} // namespace imaging::detail
