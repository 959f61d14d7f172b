// Recognises a frame that repeats the previous one, so that Present keeps the picture on screen instead
// of drawing it again. Every recorded command goes into a digest of its frame: the targets it draws into,
// its clear values, or its shaders, states, constants and vertices, and for each texture it reads the
// texture's identity and, unless this frame drew into it, the versions of its contents. A frame repeats
// the previous one when the two digests are equal and none of it had to be executed before Present.
#pragma once

#include "renderer/d3d9/d3d9_command.h"

class CTQD3DFrameRepeat {
 public:
  // Adds a command to the frame being recorded; its targets count as drawn in this frame.
  void Record(const D3D9Command& command);
  // Part of the frame was executed before Present (a lock or a read-back needed its results): the
  // frame must be drawn.
  void MarkExecuted() { executed_ = true; }
  // Whether the frame recorded so far repeats the previous one.
  bool RepeatsPrevious() const { return previous_valid_ && !executed_ && digest_ == previous_digest_; }
  // Present ends the frame; `skipped` when it kept the previous picture.
  void EndFrame(bool skipped);
  // Present dropped the frame: the next one is compared with the frame before it, unless part of the
  // dropped frame was drawn into its targets already; then the next frame is drawn in full.
  void DropFrame();
  // Frames kept instead of drawn again since the device was created.
  unsigned long long SkippedFrames() const { return skipped_frames_; }

 private:
  // The start of a 64-bit FNV-1a digest, the digest of commands and frames.
  static constexpr unsigned long long kDigestSeed = 14695981039346656037ull;

  unsigned long long CommandDigest(const D3D9Command& command) const;
  void StartFrame();

  unsigned long long frame_number_ = 1;
  unsigned long long digest_ = kDigestSeed;
  bool executed_ = false;
  unsigned long long previous_digest_ = 0;
  bool previous_valid_ = false;
  unsigned long long skipped_frames_ = 0;
};
