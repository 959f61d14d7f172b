#include "media/converted_picture.h"

#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
}

namespace {

// Gives `picture` its own reference-counted pixel memory (the scaler keeps a reference to its target
// while it works), rows packed at width * 4 bytes, filled with opaque black.
int AttachBuffer(AVFrame* picture, int width, int height) {
  int size = av_image_get_buffer_size(AV_PIX_FMT_BGRA, width, height, 1);
  if (size <= 0) return 1;
  AVBufferRef* buffer = av_buffer_alloc(size);
  if (!buffer) return 1;
  uint32_t opaque_black = 0;
  const uint8_t bgra[4] = {0, 0, 0, 255};
  std::memcpy(&opaque_black, bgra, sizeof(opaque_black));
  uint32_t* pixels = reinterpret_cast<uint32_t*>(buffer->data);
  for (int i = 0; i < size / 4; ++i) pixels[i] = opaque_black;

  picture->buf[0] = buffer;
  picture->format = AV_PIX_FMT_BGRA;
  picture->width = width;
  picture->height = height;
  av_image_fill_arrays(picture->data, picture->linesize, buffer->data, AV_PIX_FMT_BGRA, width, height, 1);
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
  if (AttachBuffer(front_, width, height) != 0) return 1;
  return AttachBuffer(back_, width, height);
}

void CTQConvertedPicture::Release() {
  std::lock_guard<std::mutex> guard(lock_);
  av_frame_free(&back_);   // frees the picture with its memory and sets the pointer to null
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
