/* Lumivex correction engine: the library's whole outward face.
 *
 * The engine corrects an interleaved 8-bit B,G,R pixel buffer in place. Its
 * settings are process-wide: SetParams derives every stage's tuning from an
 * AdjustParams record, and each later DoAdjustments uses them. Loading the
 * library applies the default record. The engine is not re-entrant. */
#ifndef LUMIVEX_H
#define LUMIVEX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(LUMIVEX_BUILDING_ENGINE)
#define LUMIVEX_API __attribute__((visibility("default")))
#else
#define LUMIVEX_API
#endif

/* Engine settings: 32 bytes, little-endian, the same layout on both sides. */
typedef struct AdjustParams {
  int16_t contrastLevel; /* 1..13, default 3 */
  int16_t colorLevel;    /* 1..13, default 3 */
  int16_t sharpenLevel;  /* 1 = no sharpening, 2..13; default 3 */
  int16_t noiseLevel;    /* 1..13, default 3 */
  double tonalGamma;     /* > 0, default 2.2 */
  double targetGamma;    /* > 0, default 2.2 */
  uint8_t skinColor[3];  /* red, green, blue; default 233, 200, 181 */
  uint8_t padding[5];    /* never read */
} AdjustParams;

/* Left, top, right, bottom in pixels; right and bottom exclusive. */
typedef struct AdjustRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} AdjustRect;

/* Progress and cancel: n < -1 begins a nested task of -n ticks; 0 is one tick
 * and a cancel poll (non-zero result cancels); -1 ends the current task. */
typedef int (*AdjustProgressProc)(int);

/* Status codes, returned sign-extended. */
#define LUMIVEX_OK 0
#define LUMIVEX_CANCELLED 1
#define LUMIVEX_ERR_NO_MEMORY (-108)
#define LUMIVEX_ERR_BAD_ARGUMENT (-200)
#define LUMIVEX_ERR_TOO_MANY_REGIONS (-201)
#define LUMIVEX_ERR_MODEL_OPEN (-23)
#define LUMIVEX_ERR_MODEL_READ (-19)
#define LUMIVEX_ERR_PEAK_LIST (-1)

/* Corrects `rows` x `columns` pixels starting at `pixels` in place. rowBytes
 * may be negative (bottom-up storage, `pixels` at the first row as seen);
 * pixelBytes >= 3 (only bytes 0..2, blue, green, red, are written). `rect`
 * selects the analysis area (null: the whole image); `progress` may be null. */
LUMIVEX_API int32_t DoAdjustments(uint8_t* pixels, int32_t rows, int32_t columns, int32_t rowBytes, int32_t pixelBytes,
                                  const AdjustRect* rect, AdjustProgressProc progress);

/* Copies the record (null: the default record) into the module settings. */
LUMIVEX_API int32_t SetParams(const AdjustParams* params);

/* As DoAdjustments with 3 bytes per pixel; the pixel pointer is read through
 * `pp`, the rectangle is passed by value. */
LUMIVEX_API int32_t doAllAutoAdjustments(uint8_t** pp, int32_t rows, int32_t columns, AdjustRect rect, int32_t rowBytes,
                                         AdjustProgressProc progress);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(AdjustParams) == 32, "AdjustParams is 32 bytes");
static_assert(offsetof(AdjustParams, contrastLevel) == 0, "layout");
static_assert(offsetof(AdjustParams, colorLevel) == 2, "layout");
static_assert(offsetof(AdjustParams, sharpenLevel) == 4, "layout");
static_assert(offsetof(AdjustParams, noiseLevel) == 6, "layout");
static_assert(offsetof(AdjustParams, tonalGamma) == 8, "layout");
static_assert(offsetof(AdjustParams, targetGamma) == 16, "layout");
static_assert(offsetof(AdjustParams, skinColor) == 24, "layout");
static_assert(sizeof(AdjustRect) == 16, "AdjustRect is 16 bytes");
#else
_Static_assert(sizeof(AdjustParams) == 32, "AdjustParams is 32 bytes");
_Static_assert(offsetof(AdjustParams, tonalGamma) == 8, "layout");
_Static_assert(offsetof(AdjustParams, targetGamma) == 16, "layout");
_Static_assert(offsetof(AdjustParams, skinColor) == 24, "layout");
#endif

#endif /* LUMIVEX_H */
