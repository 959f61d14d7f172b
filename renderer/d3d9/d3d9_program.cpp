// Linking one vertex and one pixel shader into a GL program, and finding what the device feeds it.
#include "renderer/d3d9/d3d9_program.h"

#include <GL/glcorearb.h>

#include <cctype>
#include <string>

#include "common/error_line.h"

namespace {

// The semantic of a vertex input, read from its name ("in_POSITION0", "in_TEXCOORD1", ...): the
// translator names inputs after their semantics. -1 when the name carries none.
int SemanticOfName(const std::string& name) {
  std::string upper;
  for (char ch : name) upper += static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  auto indexAfter = [&upper](size_t at) {
    int index = 0;
    while (at < upper.size() && isdigit(static_cast<unsigned char>(upper[at])))
      index = index * 10 + (upper[at++] - '0');
    return index;
  };
  size_t at;
  if ((at = upper.find("POSITION")) != std::string::npos) return indexAfter(at + 8) == 0 ? kSemanticPosition : -1;
  if ((at = upper.find("TEXCOORD")) != std::string::npos) {
    const int index = indexAfter(at + 8);
    return index < 8 ? kSemanticTexcoord0 + index : -1;
  }
  if ((at = upper.find("COLOR")) != std::string::npos) {
    const int index = indexAfter(at + 5);
    return index == 0 ? kSemanticColor0 : (index == 1 ? kSemanticColor1 : -1);
  }
  if (upper.find("NORMAL") != std::string::npos) return kSemanticNormal;
  if (upper.find("PSIZE") != std::string::npos) return kSemanticPointSize;
  return -1;
}

std::string ProgramLog(GLuint program) {
  GLint length = 0;
  glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
  std::string log(length > 0 ? static_cast<size_t>(length) : 0u, '\0');
  if (length > 0) glGetProgramInfoLog(program, length, nullptr, &log[0]);
  return log;
}

void FindPlainUniforms(GLuint program, const D3D9ShaderCode& code, bool pixelStage, D3D9Program* out) {
  for (const TranslatedPlainConstant& constant : code.translated.plainConstants) {
    const GLint location = glGetUniformLocation(program, constant.glslName.c_str());
    if (location < 0) continue;  // optimised away
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    GLenum type = 0;
    GLint size = 0;
    for (GLint i = 0; i < count && type == 0; ++i) {
      char name[256];
      GLsizei length = 0;
      GLint itemSize = 0;
      GLenum itemType = 0;
      glGetActiveUniform(program, static_cast<GLuint>(i), sizeof(name), &length, &itemSize, &itemType, name);
      std::string found(name, static_cast<size_t>(length));
      if (found == constant.glslName || found == constant.glslName + "[0]") {
        type = itemType;
        size = itemSize;
      }
    }
    if (type == 0) continue;
    out->plainUniforms.push_back(D3D9PlainUniform{location, type, size, constant.firstRegister, pixelStage});
  }
}

}  // namespace

const D3D9Program* CTQD3DProgramCache::Get(const D3D9ShaderCode& vertex, const D3D9ShaderCode& pixel) {
  const auto key = std::make_pair(vertex.id, pixel.id);
  auto found = programs_.find(key);
  if (found != programs_.end()) return &found->second;
  if (failed_.count(key)) return nullptr;

  GLuint program = glCreateProgram();
  glAttachShader(program, vertex.glShader);
  glAttachShader(program, pixel.glShader);
  glLinkProgram(program);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    WriteErrorLine("DrawPrimitiveUP: the vertex and pixel shader do not link: %s", ProgramLog(program).c_str());
    glDeleteProgram(program);
    failed_[key] = true;
    return nullptr;
  }

  D3D9Program info;
  info.program = program;
  if (!vertex.translated.floatConstantArray.empty()) {
    info.vertexConstants = glGetUniformLocation(program, vertex.translated.floatConstantArray.c_str());
    info.vertexConstantCount = vertex.translated.floatConstantRegisters;
  }
  if (!pixel.translated.floatConstantArray.empty()) {
    info.pixelConstants = glGetUniformLocation(program, pixel.translated.floatConstantArray.c_str());
    info.pixelConstantCount = pixel.translated.floatConstantRegisters;
  }
  info.pixelOffset = glGetUniformLocation(program, "tq_PixelOffset");
  FindPlainUniforms(program, vertex, false, &info);
  FindPlainUniforms(program, pixel, true, &info);

  // Set without making the program current, which would disturb the device's record of what is.
  for (const D3D9ShaderCode* code : {&vertex, &pixel}) {
    for (const TranslatedSampler& sampler : code->translated.samplers) {
      const GLint location = glGetUniformLocation(program, sampler.glslName.c_str());
      if (location < 0 || sampler.unit + sampler.count > 32) continue;
      std::vector<GLint> units;
      for (UINT k = 0; k < sampler.count; ++k) {
        units.push_back(static_cast<GLint>(sampler.unit + k));
        info.samplerUnitsUsed |= 1u << (sampler.unit + k);
      }
      glProgramUniform1iv(program, location, static_cast<GLsizei>(units.size()), units.data());
    }
  }

  for (int& location : info.attributeLocation) location = -1;
  GLint attributes = 0;
  glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &attributes);
  for (GLint i = 0; i < attributes; ++i) {
    char name[256];
    GLsizei length = 0;
    GLint size = 0;
    GLenum type = 0;
    glGetActiveAttrib(program, static_cast<GLuint>(i), sizeof(name), &length, &size, &type, name);
    const std::string attribute(name, static_cast<size_t>(length));
    const int semantic = SemanticOfName(attribute);
    if (semantic >= 0) info.attributeLocation[semantic] = glGetAttribLocation(program, attribute.c_str());
  }
  return &programs_.emplace(key, info).first->second;
}

void CTQD3DProgramCache::ForgetShader(unsigned long long shaderId) {
  for (auto it = programs_.begin(); it != programs_.end();) {
    if (it->first.first == shaderId || it->first.second == shaderId) {
      glDeleteProgram(it->second.program);
      it = programs_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = failed_.begin(); it != failed_.end();) {
    if (it->first.first == shaderId || it->first.second == shaderId) {
      it = failed_.erase(it);
    } else {
      ++it;
    }
  }
}

void CTQD3DProgramCache::Destroy() {
  for (auto& entry : programs_) glDeleteProgram(entry.second.program);
  programs_.clear();
  failed_.clear();
}

void D3D9UploadPlainUniform(const D3D9PlainUniform& uniform, const std::vector<float>& registers) {
  const size_t available = registers.size() / 4;
  auto reg = [&](size_t index, int component) -> float {
    return index < available ? registers[index * 4 + component] : 0.0f;
  };
  int components = 1;
  bool isInt = false, isBool = false, isUnsigned = false;
  switch (uniform.glType) {
    case GL_FLOAT:
      components = 1;
      break;
    case GL_FLOAT_VEC2:
      components = 2;
      break;
    case GL_FLOAT_VEC3:
      components = 3;
      break;
    case GL_FLOAT_VEC4:
      components = 4;
      break;
    case GL_INT:
      components = 1;
      isInt = true;
      break;
    case GL_INT_VEC2:
      components = 2;
      isInt = true;
      break;
    case GL_INT_VEC3:
      components = 3;
      isInt = true;
      break;
    case GL_INT_VEC4:
      components = 4;
      isInt = true;
      break;
    case GL_UNSIGNED_INT:
      components = 1;
      isUnsigned = true;
      break;
    case GL_BOOL:
      components = 1;
      isBool = true;
      break;
    case GL_BOOL_VEC2:
      components = 2;
      isBool = true;
      break;
    case GL_BOOL_VEC3:
      components = 3;
      isBool = true;
      break;
    case GL_BOOL_VEC4:
      components = 4;
      isBool = true;
      break;
    default:
      return;
  }
  std::vector<float> floats;
  std::vector<GLint> ints;
  std::vector<GLuint> uints;
  for (int element = 0; element < uniform.arraySize; ++element) {
    for (int component = 0; component < components; ++component) {
      const float value = reg(uniform.firstRegister + element, component);
      // Shader model 3 keeps int and bool constants in float registers: the value counts, not its bits.
      if (isInt) ints.push_back(static_cast<GLint>(value));
      if (isBool) ints.push_back(value != 0.0f ? 1 : 0);
      if (isUnsigned) uints.push_back(value > 0.0f ? static_cast<GLuint>(value) : 0u);
      floats.push_back(value);
    }
  }
  const GLsizei n = uniform.arraySize;
  if (isUnsigned) {
    glUniform1uiv(uniform.location, n, uints.data());
  } else if (isInt || isBool) {
    switch (components) {
      case 1:
        glUniform1iv(uniform.location, n, ints.data());
        break;
      case 2:
        glUniform2iv(uniform.location, n, ints.data());
        break;
      case 3:
        glUniform3iv(uniform.location, n, ints.data());
        break;
      default:
        glUniform4iv(uniform.location, n, ints.data());
        break;
    }
  } else {
    switch (components) {
      case 1:
        glUniform1fv(uniform.location, n, floats.data());
        break;
      case 2:
        glUniform2fv(uniform.location, n, floats.data());
        break;
      case 3:
        glUniform3fv(uniform.location, n, floats.data());
        break;
      default:
        glUniform4fv(uniform.location, n, floats.data());
        break;
    }
  }
}
