#include "media/picture_scaler.h"

#include <thread>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace {

// libswscale splits a picture into slices on this many threads (through sws_scale_frame only).
int ScalerThreadCount() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

SwsContext* MakeContext(int source_width, int source_height, int source_format, int target_width,
                        int target_height) {
  if (source_width <= 0 || source_height <= 0 || source_format < 0) return nullptr;
  // Asked first because a threaded context that fails to initialise leaks its slice contexts (FFmpeg 5.1).
  if (!sws_isSupportedInput(static_cast<AVPixelFormat>(source_format))) return nullptr;
  SwsContext* context = sws_alloc_context();
  if (!context) return nullptr;
  av_opt_set_int(context, "srcw", source_width, 0);
  av_opt_set_int(context, "srch", source_height, 0);
  av_opt_set_int(context, "src_format", source_format, 0);
  av_opt_set_int(context, "dstw", target_width, 0);
  av_opt_set_int(context, "dsth", target_height, 0);
  av_opt_set_int(context, "dst_format", AV_PIX_FMT_BGRA, 0);
  av_opt_set_int(context, "sws_flags", SWS_BICUBIC, 0);
  av_opt_set_int(context, "threads", ScalerThreadCount(), 0);
  if (sws_init_context(context, nullptr, nullptr) < 0) {
    sws_freeContext(context);
    return nullptr;
  }
  return context;
}

}  // namespace

CTQPictureScaler::CTQPictureScaler()
    : context_(nullptr),
      source_width_(0),
      source_height_(0),
      source_format_(AV_PIX_FMT_NONE),
      target_width_(0),
      target_height_(0) {}

CTQPictureScaler::~CTQPictureScaler() {}

int CTQPictureScaler::Create(int width, int height, int source_format) {
  Destroy();
  target_width_ = width;
  target_height_ = height;
  Prepare(width, height, source_format);
  return context_ ? 0 : 1;
}

void CTQPictureScaler::Prepare(int width, int height, int format) {
  if (width == source_width_ && height == source_height_ && format == source_format_) return;
  sws_freeContext(context_);
  context_ = MakeContext(width, height, format, target_width_, target_height_);
  // Remembered also when it failed, so a stream of unconvertible pictures does not retry every time.
  source_width_ = width;
  source_height_ = height;
  source_format_ = format;
}

int CTQPictureScaler::Convert(const AVFrame* source, AVFrame* target) {
  if (target_width_ <= 0 || !target) return 1;
  Prepare(source->width, source->height, source->format);
  if (!context_) return 1;
  return sws_scale_frame(context_, target, source) < 0 ? 1 : 0;
}

void CTQPictureScaler::Destroy() {
  sws_freeContext(context_);
  context_ = nullptr;
  source_width_ = 0;
  source_height_ = 0;
  source_format_ = AV_PIX_FMT_NONE;
  target_width_ = 0;
  target_height_ = 0;
}
