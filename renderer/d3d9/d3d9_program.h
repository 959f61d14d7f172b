// GL programs linked from one vertex shader and one pixel shader, made on first use and kept per pair.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "renderer/d3d9/d3d9_shader.h"

// Vertex inputs the flexible vertex format can feed.
enum D3D9VertexSemantic {
  kSemanticPosition = 0,
  kSemanticNormal,
  kSemanticPointSize,
  kSemanticColor0,
  kSemanticColor1,
  kSemanticTexcoord0,  // .. kSemanticTexcoord0 + 7
  kSemanticCount = kSemanticTexcoord0 + 8
};

struct D3D9PlainUniform {
  int location;
  unsigned glType;  // GL_FLOAT_VEC4, GL_INT, GL_BOOL ...
  int arraySize;
  UINT firstRegister;
  bool pixelStage;
};

struct D3D9Program {
  unsigned program = 0;
  int vertexConstants = -1;  // location of the vertex stage's register array
  UINT vertexConstantCount = 0;
  int pixelConstants = -1;
  UINT pixelConstantCount = 0;
  int pixelOffset = -1;  // tq_PixelOffset
  std::vector<D3D9PlainUniform> plainUniforms;
  int attributeLocation[kSemanticCount];  // -1 where the vertex shader has no such input
  UINT samplerUnitsUsed = 0;              // bit per texture unit
};

class CTQD3DProgramCache {
 public:
  // The program of a pair, linked now if needed; null (with an error line) when linking fails.
  const D3D9Program* Get(const D3D9ShaderCode& vertex, const D3D9ShaderCode& pixel);
  // Forgets and deletes every program that uses the shader.
  void ForgetShader(unsigned long long shaderId);
  void Destroy();

 private:
  std::map<std::pair<unsigned long long, unsigned long long>, D3D9Program> programs_;
  std::map<std::pair<unsigned long long, unsigned long long>, bool> failed_;
};

// Uploads one plain (int, bool or non-flattened float) uniform from the register file of its stage, with
// the current program in use.
void D3D9UploadPlainUniform(const D3D9PlainUniform& uniform, const std::vector<float>& registers);
