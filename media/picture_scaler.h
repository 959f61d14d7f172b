// Bicubic conversion of decoded pictures to BGRA at the movie's size, on libswscale's own threads.
// The context is made for the movie's size and pixel format at open. A picture that arrives with another
// size or pixel format (streams may change both mid-file) gets a context rebuilt for it, still writing
// the movie's size, so the scaler never reads or writes outside its buffers; a picture no context can
// be made for is skipped.
#pragma once

struct AVFrame;
struct SwsContext;

class CTQPictureScaler {
 public:
  CTQPictureScaler();
  virtual ~CTQPictureScaler();

  // Prepares the conversion from (width, height, source_format) to BGRA at width x height.
  // 0 when a scale context could be made, 1 when not (pictures of that kind are then skipped).
  int Create(int width, int height, int source_format);
  // Converts `source` into `target` (BGRA, width x height as given to Create). 0 when converted, 1 when
  // the picture was skipped.
  int Convert(const AVFrame* source, AVFrame* target);
  // Releases the context. Safe to repeat.
  void Destroy();

 private:
  // Makes the context for pictures of (width, height, format), once per distinct kind of picture.
  void Prepare(int width, int height, int format);

  SwsContext* context_;
  int source_width_;
  int source_height_;
  int source_format_;
  int target_width_;
  int target_height_;
};
