#pragma once
// Shared by the file readers and writers of LvxImaging.
#include "imaging/imaging.h"

#include <cstdio>
#include <string>

namespace imaging::detail {

// Stores the message (when asked for) and returns the status.
int32_t Fail(std::string* error, int32_t status, const std::string& message);

// Runs an exported operation's body. Nothing may throw out of the library;
// the only exception possible is running out of memory for a message.
template <class Body>
int32_t NoThrow(std::string* error, Body&& body)
{
  try {
    return body();
  } catch (...) {
    if (error)
      error->assign("out of memory");
    return kErrorNoMemory;
  }
}

// Each reader gets the file positioned at its first byte and fills an empty
// bitmap; each writer gets a freshly created file. wantBits is 0 or 24.
int32_t ReadPng(FILE* file, int32_t wantBits, Bitmap* out, std::string* error);
int32_t ReadJpeg(FILE* file, int32_t wantBits, Bitmap* out, std::string* error);
int32_t ReadPnm(FILE* file, int32_t wantBits, Bitmap* out, std::string* error);

int32_t WritePng(FILE* file, const Bitmap& bitmap, std::string* error);
int32_t WriteJpeg(FILE* file, const Bitmap& bitmap, int32_t quality, std::string* error);
int32_t WritePnm(FILE* file, const Bitmap& bitmap, std::string* error);

} // namespace imaging::detail
