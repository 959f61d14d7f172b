#include "renderer/hlsl/hlsl_compile_messages.h"

#include "renderer/hlsl/hlsl_wire.h"

namespace {

// Starts reading a payload of the expected kind.
bool Open(CTQWireReader* reader, HlslMessageKind expected) {
  char kind = 0;
  return reader->Kind(&kind) && kind == expected;
}

bool Flag(CTQWireReader* reader, bool* value) {
  uint8_t byte = 0;
  if (!reader->U8(&byte) || byte > 1) return false;
  *value = byte == 1;
  return true;
}

}  // namespace

std::string EncodeReady() {
  CTQWireWriter writer(kHlslReady);
  writer.U32(kHlslProtocolVersion);
  return writer.Frame();
}

HlslCompileRequest CompileRequestOf(const HlslCompileJob& job) {
  HlslCompileRequest request;
  request.source = job.text;
  request.sourceName = job.mainName;
  request.defines = job.defines;
  request.entryPoint = job.entryPoint;
  request.profile = job.profile;
  return request;
}

std::string EncodeCompileJob(const HlslCompileJob& job) {
  CTQWireWriter writer(kHlslCompile);
  writer.Bytes(job.mainName);
  writer.Bytes(job.text);
  writer.U32(static_cast<uint32_t>(job.defines.size()));
  for (const HlslDefine& define : job.defines) {
    writer.Bytes(define.name);
    writer.Bytes(define.definition);
  }
  writer.Bytes(job.entryPoint);
  writer.Bytes(job.profile);
  return writer.Frame();
}

std::string EncodeIncludeQuery(const HlslIncludeQuery& query) {
  CTQWireWriter writer(kHlslInclude);
  writer.Bytes(query.name);
  writer.U8(query.system ? 1 : 0);
  writer.Bytes(query.includerName);
  return writer.Frame();
}

std::string EncodeIncludeAnswer(const HlslIncludeAnswer& answer) {
  CTQWireWriter writer(kHlslIncludeText);
  writer.U8(answer.found ? 1 : 0);
  writer.Bytes(answer.resolvedName);
  writer.Bytes(answer.text);
  return writer.Frame();
}

std::string EncodeCompileReply(const HlslCompileReply& reply) {
  CTQWireWriter writer(kHlslResult);
  writer.U32(static_cast<uint32_t>(reply.status));
  writer.Bytes(reply.log);
  writer.Bytes(reply.code);
  return writer.Frame();
}

std::string EncodeTestFault(HlslTestFault fault) {
  CTQWireWriter writer(kHlslTestFault);
  writer.U8(fault);
  return writer.Frame();
}

char HlslMessageKindOf(const std::string& payload) { return payload.empty() ? 0 : payload[0]; }

bool DecodeReady(const std::string& payload, uint32_t* version) {
  CTQWireReader reader(payload);
  return Open(&reader, kHlslReady) && reader.U32(version) && reader.AtEnd();
}

bool DecodeCompileJob(const std::string& payload, HlslCompileJob* job) {
  CTQWireReader reader(payload);
  uint32_t defines = 0;
  if (!Open(&reader, kHlslCompile) || !reader.Bytes(&job->mainName) || !reader.Bytes(&job->text) ||
      !reader.U32(&defines))
    return false;
  job->defines.clear();
  for (uint32_t i = 0; i < defines; ++i) {
    HlslDefine define;
    if (!reader.Bytes(&define.name) || !reader.Bytes(&define.definition)) return false;
    job->defines.push_back(define);
  }
  return reader.Bytes(&job->entryPoint) && reader.Bytes(&job->profile) && reader.AtEnd();
}

bool DecodeIncludeQuery(const std::string& payload, HlslIncludeQuery* query) {
  CTQWireReader reader(payload);
  return Open(&reader, kHlslInclude) && reader.Bytes(&query->name) && Flag(&reader, &query->system) &&
         reader.Bytes(&query->includerName) && reader.AtEnd();
}

bool DecodeIncludeAnswer(const std::string& payload, HlslIncludeAnswer* answer) {
  CTQWireReader reader(payload);
  return Open(&reader, kHlslIncludeText) && Flag(&reader, &answer->found) && reader.Bytes(&answer->resolvedName) &&
         reader.Bytes(&answer->text) && reader.AtEnd();
}

bool DecodeCompileReply(const std::string& payload, HlslCompileReply* reply) {
  CTQWireReader reader(payload);
  uint32_t status = 0;
  if (!Open(&reader, kHlslResult) || !reader.U32(&status) || !reader.Bytes(&reply->log) ||
      !reader.Bytes(&reply->code) || !reader.AtEnd())
    return false;
  reply->status = static_cast<int32_t>(status);
  return true;
}

bool DecodeTestFault(const std::string& payload, HlslTestFault* fault) {
  CTQWireReader reader(payload);
  uint8_t value = 0;
  if (!Open(&reader, kHlslTestFault) || !reader.U8(&value) || value < kHlslFaultAbort ||
      value > kHlslFaultGarbage || !reader.AtEnd())
    return false;
  *fault = static_cast<HlslTestFault>(value);
  return true;
}
