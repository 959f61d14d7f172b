#include "renderer/hlsl/hlsl_wire.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

namespace {

void AppendU32(std::string* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>((value >> shift) & 0xff));
}

uint32_t DecodeU32(const char* bytes) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

// Waits until `fd` is readable or the deadline passes. 1 readable (or hung up), 0 timeout, -1 error.
int WaitReadable(int fd, int64_t deadlineMs) {
  for (;;) {
    int timeout = -1;
    if (deadlineMs >= 0) {
      int64_t left = deadlineMs - MonotonicMilliseconds();
      if (left <= 0) return 0;
      timeout = left > 60000 ? 60000 : static_cast<int>(left);
    }
    pollfd entry{fd, POLLIN, 0};
    int rc = poll(&entry, 1, timeout);
    if (rc > 0) return 1;
    if (rc < 0 && errno != EINTR) return -1;
  }
}

// Reads exactly `size` bytes. kWireClosed only when nothing at all was read and `firstRead` is set.
WireStatus ReadExactly(int fd, int64_t deadlineMs, char* out, size_t size, bool firstRead) {
  size_t done = 0;
  while (done < size) {
    int ready = WaitReadable(fd, deadlineMs);
    if (ready == 0) return kWireTimeout;
    if (ready < 0) return kWireBroken;
    ssize_t got = read(fd, out + done, size - done);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return (got == 0 && done == 0 && firstRead) ? kWireClosed : kWireBroken;
    done += static_cast<size_t>(got);
  }
  return kWireOk;
}

}  // namespace

int64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void CTQWireWriter::U32(uint32_t value) { AppendU32(&payload_, value); }

void CTQWireWriter::Bytes(const std::string& bytes) {
  AppendU32(&payload_, static_cast<uint32_t>(bytes.size()));
  payload_ += bytes;
}

std::string CTQWireWriter::Frame() const {
  std::string frame;
  frame.reserve(4 + payload_.size());
  AppendU32(&frame, static_cast<uint32_t>(payload_.size()));
  return frame + payload_;
}

bool CTQWireReader::Kind(char* kind) {
  if (at_ != 0 || payload_.empty()) return false;
  *kind = payload_[at_++];
  return true;
}

bool CTQWireReader::U8(uint8_t* value) {
  if (payload_.size() - at_ < 1) return false;
  *value = static_cast<uint8_t>(payload_[at_++]);
  return true;
}

bool CTQWireReader::U32(uint32_t* value) {
  if (payload_.size() - at_ < 4) return false;
  *value = DecodeU32(payload_.data() + at_);
  at_ += 4;
  return true;
}

bool CTQWireReader::Bytes(std::string* bytes) {
  uint32_t size = 0;
  if (!U32(&size) || payload_.size() - at_ < size) return false;
  bytes->assign(payload_, at_, size);
  at_ += size;
  return true;
}

WireStatus ReadWireFrame(int fd, int64_t deadlineMs, std::string* payload) {
  char header[4];
  WireStatus status = ReadExactly(fd, deadlineMs, header, sizeof(header), true);
  if (status != kWireOk) return status;
  uint32_t size = DecodeU32(header);
  if (size == 0 || size > kMaxWireFrameBytes) return kWireBroken;
  payload->assign(size, '\0');
  return ReadExactly(fd, deadlineMs, &(*payload)[0], size, false);
}

bool WriteWireFrame(int fd, const std::string& frame) {
  // SIGPIPE is blocked on this thread while writing, and one that the write raised is taken off again,
  // so a reader that went away is a failed write, not the end of the writing process.
  sigset_t pipeOnly, previous;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  sigset_t pendingBefore;
  sigpending(&pendingBefore);
  const bool alreadyPending = sigismember(&pendingBefore, SIGPIPE) == 1;
  pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
  size_t done = 0;
  bool ok = true;
  bool broken = false;
  while (done < frame.size()) {
    ssize_t wrote = write(fd, frame.data() + done, frame.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      broken = wrote < 0 && errno == EPIPE;
      ok = false;
      break;
    }
    done += static_cast<size_t>(wrote);
  }
  if (broken && !alreadyPending) {
    const timespec zero{0, 0};
    sigtimedwait(&pipeOnly, nullptr, &zero);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return ok;
}
