// Shader objects: the translated shader in the code (GLSL 4.10 and register map, shader_translation.h)
// -> GL shader object.
#include "renderer/d3d9/d3d9_shader.h"

#include <GL/glcorearb.h>

#include <algorithm>
#include <string>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_shader_code.h"
#include "renderer/hlsl/hlsl_translated_shader_wire.h"

HRESULT D3D9CompileShaderCode(const DWORD* code, bool pixelShader, D3D9ShaderCode* out) {
  const char* kind = pixelShader ? "CreatePixelShader" : "CreateVertexShader";
  std::string bytes;
  if (!UnpackShaderCode(code, &bytes) || !DecodeTranslatedShader(bytes, &out->translated)) {
    WriteErrorLine("%s: the code is not a compiled shader", kind);
    return D3DERR_INVALIDCALL;
  }
  if (out->translated.isPixelShader != pixelShader) {
    WriteErrorLine("%s: the code is a %s shader", kind, out->translated.isPixelShader ? "pixel" : "vertex");
    return D3DERR_INVALIDCALL;
  }
  const TranslatedShader& translated = out->translated;
  const UINT limit = pixelShader ? D3D_PIXEL_CONSTANT_REGISTERS : D3D_VERTEX_CONSTANT_REGISTERS;
  UINT used = translated.floatConstantArray.empty() ? 0 : translated.floatConstantRegisters;
  for (const TranslatedPlainConstant& constant : translated.plainConstants) {
    used = std::max(used, constant.firstRegister + constant.registerCount);
  }
  out->registersUsed = std::min(used, limit);

  const GLuint shader = glCreateShader(pixelShader ? GL_FRAGMENT_SHADER : GL_VERTEX_SHADER);
  const char* source = translated.glsl.c_str();
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (!compiled) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string glLog(length > 0 ? static_cast<size_t>(length) : 0u, '\0');
    if (length > 0) glGetShaderInfoLog(shader, length, nullptr, &glLog[0]);
    WriteErrorLine("%s: the translated shader does not compile: %s", kind, glLog.c_str());
    glDeleteShader(shader);
    return D3DERR_INVALIDCALL;
  }
  out->glShader = shader;
  out->id = D3D9NextObjectId();
  return D3D_OK;
}

HRESULT CTQD3DVertexShader::Create(CTQD3DDevice* device, const DWORD* code, CTQD3DVertexShader** shader) {
  D3D9ShaderCode compiled;
  const HRESULT hr = D3D9CompileShaderCode(code, false, &compiled);
  if (FAILED(hr)) return hr;
  CTQD3DVertexShader* created = new CTQD3DVertexShader;
  created->device_ = device;
  created->code_ = std::move(compiled);
  created->SetOwner(device);
  *shader = created;
  return D3D_OK;
}

HRESULT CTQD3DVertexShader::GetDevice(IDirect3DDevice9** ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *ppDevice = device_;
  return D3D_OK;
}

void CTQD3DVertexShader::Destroy() {
  device_->ForgetShader(code_.id);
  glDeleteShader(code_.glShader);
}

HRESULT CTQD3DPixelShader::Create(CTQD3DDevice* device, const DWORD* code, CTQD3DPixelShader** shader) {
  D3D9ShaderCode compiled;
  const HRESULT hr = D3D9CompileShaderCode(code, true, &compiled);
  if (FAILED(hr)) return hr;
  CTQD3DPixelShader* created = new CTQD3DPixelShader;
  created->device_ = device;
  created->code_ = std::move(compiled);
  created->SetOwner(device);
  *shader = created;
  return D3D_OK;
}

HRESULT CTQD3DPixelShader::GetDevice(IDirect3DDevice9** ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *ppDevice = device_;
  return D3D_OK;
}

void CTQD3DPixelShader::Destroy() {
  device_->ForgetShader(code_.id);
  glDeleteShader(code_.glShader);
}
