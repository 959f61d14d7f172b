#include "media/movie_source.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
}

#include "media/converted_picture.h"
#include "media/movie_prefetch.h"
#include "media/picture_scaler.h"
#include "media/thread_census.h"

namespace {

// Pictures larger than this are refused at open: no texture could hold them, and their buffers would
// take gigabytes. 16384 is the usual largest texture side; the area bound keeps one BGRA picture at
// 256 MiB.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t{8192} * 8192;

struct MovieState {
  AVFormatContext* format = nullptr;
  int video_stream = -1;
  AVCodecContext* codec = nullptr;
  AVFrame* decoded = nullptr;
  AVPacket* packet = nullptr;
  int buffer_size = 0;
  int width = 0;
  int height = 0;
  // The file has ended and the decoder is handing out the pictures it still holds.
  bool draining = false;
  // Pictures converted since the last rewind; a pass without any is paced by the delay too.
  int pictures_this_pass = 0;
  std::atomic<long long> pictures_converted{0};
  CTQPictureScaler scaler;
  CTQConvertedPicture converted;
  // The worker threads FFmpeg started for the decoder and the converter at open.
  std::vector<int> worker_threads;
};

MovieState g_movie;

// The wait after a converted picture, which MovieAbortWait ends early.
std::mutex g_wait_lock;
std::condition_variable g_wait_wake;
bool g_wait_aborted = false;

bool IsOpen() { return g_movie.video_stream >= 0 && g_movie.buffer_size != 0; }

void Wait(int delay_ms) {
  if (delay_ms <= 0) return;
  std::unique_lock<std::mutex> guard(g_wait_lock);
  g_wait_wake.wait_for(guard, std::chrono::milliseconds(delay_ms), [] { return g_wait_aborted; });
}

bool IsAbsurdSize(int width, int height) {
  return width > kMaxPictureSide || height > kMaxPictureSide || int64_t{width} * height > kMaxPicturePixels;
}

int DecoderThreadCount() {
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

int Fail() {
  MovieClose();
  return -1;
}

// Converts the picture just decoded, publishes it to the main thread, then waits the frame period.
void ConvertAndWait(int delay_ms) {
  if (g_movie.scaler.Convert(g_movie.decoded, g_movie.converted.Back()) == 0) {
    g_movie.converted.Publish();
    ++g_movie.pictures_this_pass;
    ++g_movie.pictures_converted;
    Wait(delay_ms);
  }
  av_frame_unref(g_movie.decoded);
}

void ConvertReadyPictures(int delay_ms) {
  while (avcodec_receive_frame(g_movie.codec, g_movie.decoded) == 0) ConvertAndWait(delay_ms);
}

void DecodePacket(int delay_ms) {
  if (avcodec_send_packet(g_movie.codec, g_movie.packet) == AVERROR(EAGAIN)) {
    ConvertReadyPictures(delay_ms);
    avcodec_send_packet(g_movie.codec, g_movie.packet);
  }
  ConvertReadyPictures(delay_ms);
}

// Back to the first picture: seek to timestamp 0 and drop what the decoder holds.
void Rewind(int delay_ms) {
  if (av_seek_frame(g_movie.format, g_movie.video_stream, 0, 0) < 0)
    av_seek_frame(g_movie.format, g_movie.video_stream, 0, AVSEEK_FLAG_BYTE);
  avcodec_flush_buffers(g_movie.codec);
  g_movie.draining = false;
  // A file that yields no picture at all would otherwise be re-read as fast as the disk allows.
  if (g_movie.pictures_this_pass == 0) Wait(delay_ms);
  g_movie.pictures_this_pass = 0;
}

// At the end of the file: one picture still held by the decoder per step, then the rewind.
void DrainOnePicture(int delay_ms) {
  if (avcodec_receive_frame(g_movie.codec, g_movie.decoded) == 0)
    ConvertAndWait(delay_ms);
  else
    Rewind(delay_ms);
}

}  // namespace

int MovieRegisterFormats() { return 0; }

int MovieOpen(const char* path, int* pixel_format, int* width, int* height) {
  MovieClose();
  {
    std::lock_guard<std::mutex> guard(g_wait_lock);
    g_wait_aborted = false;
  }
  if (!path) return -1;

  g_movie.video_stream = -1;
  // A prefetch of this file has read its stream information already (start-up starts one).
  g_movie.format = TakePrefetchedMovie(path);
  const bool prefetched = g_movie.format != nullptr;
  if (!prefetched && OpenLocalMovieFile(path, &g_movie.format) < 0) {
    printf("Failed to open file %s!\n", path);
    return -1;
  }
  if (!prefetched && avformat_find_stream_info(g_movie.format, nullptr) < 0) {
    printf("Failed to pull stream information from file %s\n", path);
    return Fail();
  }
  av_dump_format(g_movie.format, 0, path, 0);

  for (unsigned i = 0; i < g_movie.format->nb_streams; ++i) {
    if (g_movie.format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
      g_movie.video_stream = static_cast<int>(i);
      break;
    }
  }
  if (g_movie.video_stream < 0) {
    printf("Did not find a video stream in file %s\n", path);
    return Fail();
  }
  printf("Detected video stream at index %i in file %s\n", g_movie.video_stream, path);

  AVStream* stream = g_movie.format->streams[g_movie.video_stream];
  const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!decoder) {
    printf("Failed to enumerate a proper decoder for file %s\n", path);
    return Fail();
  }
  if (IsAbsurdSize(stream->codecpar->width, stream->codecpar->height)) {
    printf("Picture size %ix%i of file %s is too large (at most %i pixels on a side and %lli in all)\n",
           stream->codecpar->width, stream->codecpar->height, path, kMaxPictureSide,
           static_cast<long long>(kMaxPicturePixels));
    return Fail();
  }

  g_movie.codec = avcodec_alloc_context3(decoder);
  if (!g_movie.codec || avcodec_parameters_to_context(g_movie.codec, stream->codecpar) < 0) {
    printf("Failed to open the codec for file %s\n", path);
    return Fail();
  }
  g_movie.codec->pkt_timebase = stream->time_base;
  g_movie.codec->thread_count = DecoderThreadCount();
  g_movie.codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  // Pictures that grow beyond the limit mid-file are refused by the decoder instead of allocated.
  g_movie.codec->max_pixels = kMaxPicturePixels;
  // The decoder's worker threads start in avcodec_open2, the converter's in its creation below.
  CTQThreadCensus census;
  census.Begin();
  if (avcodec_open2(g_movie.codec, decoder, nullptr) < 0) {
    printf("Failed to open the codec for file %s\n", path);
    return Fail();
  }

  g_movie.decoded = av_frame_alloc();
  g_movie.packet = av_packet_alloc();
  if (!g_movie.decoded || !g_movie.packet) {
    printf("Failed to allocate a frame buffer\n");
    return Fail();
  }
  if (g_movie.converted.AllocatePictures() != 0) {
    printf("Failed to allocate a frame2 buffer\n");
    return Fail();
  }

  const int movie_width = g_movie.codec->width;
  const int movie_height = g_movie.codec->height;
  int buffer_size = av_image_get_buffer_size(AV_PIX_FMT_BGRA, movie_width, movie_height, 1);
  if (buffer_size <= 0) {
    printf("Error: buffer sizes of zero are not allowed\n");
    return Fail();
  }
  if (g_movie.converted.AllocateBuffers(movie_width, movie_height) != 0) {
    printf("Error allocating space for raw image buffers\n");
    return Fail();
  }
  printf("[FFMpeg] Buffer size %i requested\n", buffer_size);

  g_movie.buffer_size = buffer_size;
  g_movie.width = movie_width;
  g_movie.height = movie_height;
  g_movie.draining = false;
  g_movie.pictures_this_pass = 0;
  if (pixel_format) *pixel_format = g_movie.codec->pix_fmt;
  if (width) *width = movie_width;
  if (height) *height = movie_height;

  if (g_movie.scaler.Create(movie_width, movie_height, g_movie.codec->pix_fmt) != 0)
    printf("Error getting scale context!\n");
  census.End(&g_movie.worker_threads);
  return 0;
}

int MovieReadFrame(int delay_ms) {
  if (!IsOpen()) return 0;
  if (g_movie.draining) {
    DrainOnePicture(delay_ms);
    return 0;
  }
  if (av_read_frame(g_movie.format, g_movie.packet) < 0) {
    // End of the file, or a read error treated as one: the decoder may still hold pictures.
    avcodec_send_packet(g_movie.codec, nullptr);
    g_movie.draining = true;
    DrainOnePicture(delay_ms);
    return 0;
  }
  if (g_movie.packet->stream_index == g_movie.video_stream) DecodePacket(delay_ms);
  av_packet_unref(g_movie.packet);
  return 0;
}

const std::vector<int>& MovieWorkerThreads() { return g_movie.worker_threads; }

long long MovieConvertedPictureCount() { return g_movie.pictures_converted.load(); }

void MovieAbortWait() {
  std::lock_guard<std::mutex> guard(g_wait_lock);
  g_wait_aborted = true;
  g_wait_wake.notify_all();
}

int MovieClose() {
  g_movie.buffer_size = 0;
  g_movie.video_stream = -1;
  g_movie.width = 0;
  g_movie.height = 0;
  g_movie.draining = false;
  g_movie.pictures_converted = 0;
  g_movie.worker_threads.clear();
  g_movie.scaler.Destroy();
  g_movie.converted.Release();
  av_frame_free(&g_movie.decoded);
  av_packet_free(&g_movie.packet);
  avcodec_free_context(&g_movie.codec);
  avformat_close_input(&g_movie.format);
  return 0;
}

int MovieCopyFrame(void* destination, int pitch) {
  if (!IsOpen() || !destination || pitch < g_movie.width * 4) return 0;
  g_movie.converted.CopyTo(static_cast<uint8_t*>(destination), pitch);
  return 0;
}
