// Byte framing between the player and the compile process. A frame is a 4-byte little-endian payload
// length followed by the payload; a payload is a one-byte kind followed by fields: u8, u32 (little-
// endian), and byte strings (u32 length, then the bytes). Reading is length-checked throughout: a frame
// longer than kMaxWireFrameBytes, a field that runs past the end of its payload or bytes left over after
// the last field make the frame invalid, never a read out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Sources, includes and results are bounded well below this (8 MB of includes, 16 MB of cache).
constexpr uint32_t kMaxWireFrameBytes = 64u << 20;

class CTQWireWriter {
 public:
  explicit CTQWireWriter(char kind) { payload_.push_back(kind); }
  void U8(uint8_t value) { payload_.push_back(static_cast<char>(value)); }
  void U32(uint32_t value);
  void Bytes(const std::string& bytes);
  // The frame: length, then the payload.
  std::string Frame() const;
  const std::string& Payload() const { return payload_; }

 private:
  std::string payload_;
};

class CTQWireReader {
 public:
  explicit CTQWireReader(const std::string& payload) : payload_(payload) {}
  // The kind byte; false for an empty payload.
  bool Kind(char* kind);
  bool U8(uint8_t* value);
  bool U32(uint32_t* value);
  bool Bytes(std::string* bytes);
  // True when every byte of the payload was read.
  bool AtEnd() const { return at_ == payload_.size(); }

 private:
  const std::string& payload_;
  size_t at_ = 0;
};

// Reads or writes a whole frame on a file descriptor. Results of the frame reader: kWireOk with the
// payload, kWireClosed when the other end closed before the first byte, kWireBroken for a short, over-
// long or failed read, kWireTimeout when `deadlineMs` (a CLOCK_MONOTONIC time in milliseconds; < 0
// waits without limit) passed first.
enum WireStatus { kWireOk, kWireClosed, kWireBroken, kWireTimeout };
WireStatus ReadWireFrame(int fd, int64_t deadlineMs, std::string* payload);
// False when the whole frame could not be written (the reader went away). Never raises SIGPIPE.
bool WriteWireFrame(int fd, const std::string& frame);

int64_t MonotonicMilliseconds();
