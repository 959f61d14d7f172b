#include "media/converted_picture.h"

#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

// Gives `picture` its own reference-counted pixel memory (the scaler keeps a reference to its target while
// it works), filled with opaque black when `black` is set. The memory comes from FFmpeg's own frame
// allocator: rows are padded to the CPU's vector alignment and the buffer has room after the last row,
// because libswscale's vector code writes a few pixels beyond the width of a row (32 bytes past a
// 200-pixel BGRA row).
int AttachBuffer(AVFrame* picture, int width, int height, bool black) {
  picture->format = AV_PIX_FMT_BGRA;
  picture->width = width;
  picture->height = height;
  if (av_frame_get_buffer(picture, 0) < 0) return 1;
  if (!black || height <= 0) return 0;
  const uint8_t opaque_black[4] = {0, 0, 0, 255};
  uint8_t* first = picture->data[0];
  for (int x = 0; x < width; ++x) std::memcpy(first + x * 4, opaque_black, 4);
  for (int y = 1; y < height; ++y) {
    std::memcpy(first + static_cast<ptrdiff_t>(y) * picture->linesize[0], first, static_cast<size_t>(width) * 4);
  }
  return 0;
}

}  // namespace

CTQConvertedPicture::CTQConvertedPicture() : front_(nullptr), back_(nullptr) {}

CTQConvertedPicture::~CTQConvertedPicture() {}

int CTQConvertedPicture::AllocatePictures() {
  front_ = av_frame_alloc();
  back_ = av_frame_alloc();
  return front_ && back_ ? 0 : 1;
}

int CTQConvertedPicture::AllocateBuffers(int width, int height) {
  if (!front_ || !back_) return 1;
  // Only the front picture is ever read before a conversion wrote it whole: the back one needs no black.
  if (AttachBuffer(front_, width, height, true) != 0) return 1;
  return AttachBuffer(back_, width, height, false);
}

void CTQConvertedPicture::Release() {
  std::lock_guard<std::mutex> guard(lock_);
  av_frame_free(&back_);  // frees the picture with its memory and sets the pointer to null
  av_frame_free(&front_);
}

void CTQConvertedPicture::Publish() {
  std::lock_guard<std::mutex> guard(lock_);
  std::swap(front_, back_);
}

void CTQConvertedPicture::CopyTo(uint8_t* destination, int pitch) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (!front_ || !front_->data[0]) return;
  const size_t row_bytes = static_cast<size_t>(front_->width) * 4;
  const uint8_t* source = front_->data[0];
  for (int row = 0; row < front_->height; ++row) {
    std::memcpy(destination + static_cast<ptrdiff_t>(row) * pitch, source, row_bytes);
    source += front_->linesize[0];
  }
}
