// The converted picture of the movie source: BGRA at the movie's size, handed from the decoding thread
// to the main thread. Two buffers: the decoding thread converts into the back one, which nobody else
// reads, then Publish swaps it with the front one under the lock; CopyTo reads the front one under the
// same lock. So the main thread never copies a picture that is being written, and the converter never
// waits for a copy (only the pointer swap does).
#pragma once

#include <cstdint>
#include <mutex>

struct AVFrame;

class CTQConvertedPicture {
 public:
  CTQConvertedPicture();
  virtual ~CTQConvertedPicture();

  // The two picture records. 0 on success, 1 when either could not be allocated.
  int AllocatePictures();
  // Attaches pixel memory for width x height BGRA pictures to both records (rows of width * 4 bytes, each
  // starting linesize bytes after the one before); the front picture, which CopyTo shows until the
  // first conversion, is opaque black. 0 on success, 1 on failure.
  int AllocateBuffers(int width, int height);
  // Releases both pictures and their memory. Safe to repeat.
  void Release();

  // The picture the converter writes; only the decoding thread touches it.
  AVFrame* Back() { return back_; }
  // Makes the back picture the one that CopyTo reads.
  void Publish();
  // Copies the front picture row by row, row r to destination + r * pitch (width * 4 bytes each).
  void CopyTo(uint8_t* destination, int pitch) const;

 private:
  mutable std::mutex lock_;
  AVFrame* front_;
  AVFrame* back_;
};
