#include "renderer/hlsl/hlsl_translated_shader_wire.h"

#include "renderer/hlsl/hlsl_wire.h"

namespace {

constexpr char kTranslatedShaderKind = 'S';

bool Flag(CTQWireReader* reader, bool* value) {
  uint8_t byte = 0;
  if (!reader->U8(&byte) || byte > 1) return false;
  *value = byte == 1;
  return true;
}

}  // namespace

std::string EncodeTranslatedShader(const TranslatedShader& shader) {
  CTQWireWriter writer(kTranslatedShaderKind);
  writer.U8(shader.isPixelShader ? 1 : 0);
  writer.Bytes(shader.glsl);
  writer.Bytes(shader.floatConstantArray);
  writer.U32(shader.floatConstantRegisters);
  writer.U32(static_cast<uint32_t>(shader.plainConstants.size()));
  for (const TranslatedPlainConstant& constant : shader.plainConstants) {
    writer.Bytes(constant.glslName);
    writer.U32(constant.firstRegister);
    writer.U32(constant.registerCount);
    writer.U8(static_cast<uint8_t>(constant.kind));
    writer.U32(constant.components);
    writer.U32(constant.arraySize);
  }
  writer.U32(static_cast<uint32_t>(shader.samplers.size()));
  for (const TranslatedSampler& sampler : shader.samplers) {
    writer.Bytes(sampler.glslName);
    writer.U32(sampler.unit);
    writer.U32(sampler.count);
  }
  writer.U8(shader.usesPixelOffset ? 1 : 0);
  return writer.Payload();
}

bool DecodeTranslatedShader(const std::string& bytes, TranslatedShader* shader) {
  CTQWireReader reader(bytes);
  TranslatedShader out;
  char kind = 0;
  uint32_t count = 0;
  if (!reader.Kind(&kind) || kind != kTranslatedShaderKind || !Flag(&reader, &out.isPixelShader) ||
      !reader.Bytes(&out.glsl) || !reader.Bytes(&out.floatConstantArray) ||
      !reader.U32(&out.floatConstantRegisters) || !reader.U32(&count))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    TranslatedPlainConstant constant{};
    uint8_t constantKind = 0;
    if (!reader.Bytes(&constant.glslName) || !reader.U32(&constant.firstRegister) ||
        !reader.U32(&constant.registerCount) || !reader.U8(&constantKind) ||
        constantKind > TranslatedPlainConstant::kBool || !reader.U32(&constant.components) ||
        !reader.U32(&constant.arraySize))
      return false;
    constant.kind = static_cast<TranslatedPlainConstant::Kind>(constantKind);
    out.plainConstants.push_back(constant);
  }
  if (!reader.U32(&count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    TranslatedSampler sampler;
    if (!reader.Bytes(&sampler.glslName) || !reader.U32(&sampler.unit) || !reader.U32(&sampler.count))
      return false;
    out.samplers.push_back(sampler);
  }
  if (!Flag(&reader, &out.usesPixelOffset) || !reader.AtEnd()) return false;
  *shader = std::move(out);
  return true;
}
