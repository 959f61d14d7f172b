// SPIR-V from the HLSL compiler -> GLSL 4.10 with the Direct3D 9 conventions of shader_translation.h,
// through SPIRV-Cross's C API. The interface is reworked before SPIRV-Cross writes GLSL: locations and
// names come from the HLSL semantics (glslang numbers inputs in declaration order and maps struct COLORn
// outputs by position, not by number), samplers are named after their s register, and the constant
// block becomes one vec4 array indexed by c register. VPOS, VFACE and a pixel-shader POSITION input are
// then supplied from gl_FragCoord / gl_FrontFacing, and the vertex stage gets the pixel-centre offset
// and the row flip.
#include "renderer/hlsl/shader_translation.h"

#include <spirv_cross/spirv_cross_c.h>

#include <cctype>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_status.h"
#include "renderer/hlsl/shader_model.h"

namespace {

constexpr uint32_t kSpirvMagic = 0x07230203;
constexpr uint32_t kRegisterBytes = 16;

struct Semantic {
  std::string name;  // upper case, without the trailing index
  uint32_t index = 0;
};

Semantic ParseSemantic(const char* text) {
  Semantic s;
  std::string upper = text ? text : "";
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  size_t digits = upper.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(upper[digits - 1]))) --digits;
  s.name = upper.substr(0, digits);
  if (digits < upper.size() && upper.size() - digits <= 3)
    s.index = static_cast<uint32_t>(std::stoul(upper.substr(digits)));
  return s;
}

// Replaces the declaration `in <type> <name>;` (the whole line) by a macro that computes the value.
bool ReplaceInputByMacro(std::string* glsl, const std::string& name,
                         const std::string& (*valueOf)(const std::string&)) {
  size_t at = glsl->find(" " + name + ";");
  if (at == std::string::npos) return false;
  size_t lineStart = glsl->rfind('\n', at);
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  size_t lineEnd = glsl->find('\n', at);
  std::string line = glsl->substr(lineStart, lineEnd - lineStart);
  size_t typeEnd = line.rfind(' ' + name + ';');
  size_t typeStart = line.rfind(' ', typeEnd - 1);
  if (line.compare(0, 3, "in ") != 0 || typeStart == std::string::npos) return false;
  std::string type = line.substr(typeStart + 1, typeEnd - typeStart - 1);
  glsl->replace(lineStart, lineEnd - lineStart, "#define " + name + " " + valueOf(type));
  return true;
}

const std::string& VposValue(const std::string& type) {
  static const std::string kFloat = "floor(gl_FragCoord.x)", kVec2 = "floor(gl_FragCoord.xy)",
                           kVec3 = "vec3(floor(gl_FragCoord.xy), 0.0)",
                           kVec4 = "vec4(floor(gl_FragCoord.xy), 0.0, 0.0)";
  return type == "float" ? kFloat : type == "vec2" ? kVec2 : type == "vec3" ? kVec3 : kVec4;
}

const std::string& VfaceValue(const std::string&) {
  // The vertex stage flips rows, which mirrors the winding: Direct3D 9's clockwise front faces arrive
  // as GL's counter-clockwise front faces.
  static const std::string kValue = "(gl_FrontFacing ? 1.0 : -1.0)";
  return kValue;
}

const std::string& FragCoordValue(const std::string& type) {
  static const std::string kFloat = "gl_FragCoord.x", kVec2 = "gl_FragCoord.xy", kVec3 = "gl_FragCoord.xyz",
                           kVec4 = "gl_FragCoord";
  return type == "float" ? kFloat : type == "vec2" ? kVec2 : type == "vec3" ? kVec3 : kVec4;
}

class Translation {
 public:
  Translation(TranslatedShader* out, std::string* log) : out_(out), log_(log) {}
  ~Translation() {
    if (context_) spvc_context_destroy(context_);
  }
  HlslStatus Run(const uint32_t* words, size_t wordCount);

 private:
  bool Fail(const std::string& message) {
    *log_ += "error: " + message + "\n";
    return false;
  }
  std::string Prefix() const { return out_->isPixelShader ? "tq_ps_" : "tq_vs_"; }
  bool ResourceList(spvc_resource_type type, const spvc_reflected_resource** list, size_t* count) {
    return spvc_resources_get_resource_list_for_type(resources_, type, list, count) == SPVC_SUCCESS;
  }
  bool MapInputs();
  bool MapOutputs();
  bool MapConstants();
  bool MapSamplers();
  bool RejectUnsupportedResources();
  bool FinishGlsl(std::string glsl);

  TranslatedShader* out_;
  std::string* log_;
  spvc_context context_ = nullptr;
  spvc_compiler compiler_ = nullptr;
  spvc_resources resources_ = nullptr;
  bool flattened_ = false;
  std::vector<std::string> vpos_inputs_, vface_inputs_, frag_coord_inputs_;
  bool writes_position_ = false;
};

bool Translation::MapInputs() {
  const spvc_reflected_resource* list = nullptr;
  size_t count = 0;
  if (!ResourceList(SPVC_RESOURCE_TYPE_STAGE_INPUT, &list, &count)) return Fail("cannot list the shader inputs");
  uint32_t extraLocation = 10;
  for (size_t i = 0; i < count; ++i) {
    SpvId id = list[i].id;
    Semantic s = ParseSemantic(spvc_compiler_get_decoration_string(compiler_, id, SpvDecorationUserSemantic));
    std::string index = std::to_string(s.index);
    uint32_t location = 0;
    std::string name;
    if (out_->isPixelShader) {
      if (s.name == "TEXCOORD" && s.index < 8) {
        location = s.index, name = "tq_v_TEXCOORD" + index;
      } else if (s.name == "COLOR" && s.index < 2) {
        location = 8 + s.index, name = "tq_v_COLOR" + index;
      } else if (s.name == "VPOS" || s.name == "VFACE" || s.name == "POSITION" || s.name == "SV_POSITION") {
        name = Prefix() + s.name + index;
        (s.name == "VPOS" ? vpos_inputs_ : s.name == "VFACE" ? vface_inputs_ : frag_coord_inputs_).push_back(name);
        spvc_compiler_unset_decoration(compiler_, id, SpvDecorationLocation);
        spvc_compiler_set_name(compiler_, id, name.c_str());
        continue;
      } else {
        // Not written by any vertex stage of this system; it reads zero, as an unwritten input does.
        location = extraLocation++, name = "tq_v_" + s.name + index;
      }
    } else {
      if (s.name == "POSITION" && s.index == 0) {
        location = 0;
      } else if (s.name == "NORMAL" && s.index == 0) {
        location = 1;
      } else if (s.name == "COLOR" && s.index < 2) {
        location = 2 + s.index;
      } else if (s.name == "TEXCOORD" && s.index < 8) {
        location = 8 + s.index;
      } else {
        return Fail("vertex input semantic '" + s.name + index + "' is not supported");
      }
      name = "tq_a_" + s.name + index;
    }
    if (location >= 16) return Fail("too many pixel shader inputs");
    spvc_compiler_set_decoration(compiler_, id, SpvDecorationLocation, location);
    spvc_compiler_set_name(compiler_, id, name.c_str());
  }
  return true;
}

bool Translation::MapOutputs() {
  const spvc_reflected_resource* list = nullptr;
  size_t count = 0;
  if (!ResourceList(SPVC_RESOURCE_TYPE_STAGE_OUTPUT, &list, &count)) return Fail("cannot list the shader outputs");
  for (size_t i = 0; i < count; ++i) {
    SpvId id = list[i].id;
    Semantic s = ParseSemantic(spvc_compiler_get_decoration_string(compiler_, id, SpvDecorationUserSemantic));
    std::string index = std::to_string(s.index);
    if (out_->isPixelShader) {
      if ((s.name == "COLOR" || s.name == "SV_TARGET") && s.index < kPixelRenderTargets) {
        std::string name = "tq_ps_COLOR" + index;
        spvc_compiler_set_decoration(compiler_, id, SpvDecorationLocation, s.index);
        spvc_compiler_set_name(compiler_, id, name.c_str());
      } else if (s.name == "DEPTH" || s.name == "SV_DEPTH") {
        spvc_compiler_unset_decoration(compiler_, id, SpvDecorationLocation);
        spvc_compiler_set_decoration(compiler_, id, SpvDecorationBuiltIn, SpvBuiltInFragDepth);
      } else {
        return Fail("pixel shader output semantic '" + s.name + index + "' is not supported");
      }
    } else {
      if ((s.name == "POSITION" || s.name == "SV_POSITION") && s.index == 0) {
        spvc_compiler_unset_decoration(compiler_, id, SpvDecorationLocation);
        spvc_compiler_set_decoration(compiler_, id, SpvDecorationBuiltIn, SpvBuiltInPosition);
        writes_position_ = true;
      } else if (s.name == "PSIZE") {
        spvc_compiler_unset_decoration(compiler_, id, SpvDecorationLocation);
        spvc_compiler_set_decoration(compiler_, id, SpvDecorationBuiltIn, SpvBuiltInPointSize);
      } else if (s.name == "TEXCOORD" && s.index < 8) {
        std::string name = "tq_v_TEXCOORD" + index;
        spvc_compiler_set_decoration(compiler_, id, SpvDecorationLocation, s.index);
        spvc_compiler_set_name(compiler_, id, name.c_str());
      } else if (s.name == "COLOR" && s.index < 2) {
        std::string name = "tq_v_COLOR" + index;
        spvc_compiler_set_decoration(compiler_, id, SpvDecorationLocation, 8 + s.index);
        spvc_compiler_set_name(compiler_, id, name.c_str());
      } else {
        return Fail("vertex output semantic '" + s.name + index + "' is not supported");
      }
    }
  }
  if (!out_->isPixelShader && !writes_position_) {
    // glslang already turned an `out` parameter POSITION into the built-in.
    spvc_compiler_update_active_builtins(compiler_);
    writes_position_ = spvc_compiler_has_active_builtin(compiler_, SpvBuiltInPosition, SpvStorageClassOutput);
    if (!writes_position_) return Fail("the vertex shader writes no POSITION");
  }
  return true;
}

bool Translation::MapConstants() {
  const spvc_reflected_resource* list = nullptr;
  size_t count = 0;
  if (!ResourceList(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER, &list, &count)) return Fail("cannot list the constants");
  if (count == 0) return true;
  if (count > 1) return Fail("constant buffers (cbuffer) are not supported by shader model 3");
  const uint32_t limit = out_->isPixelShader ? kPixelFloatRegisters : kVertexFloatRegisters;
  spvc_type block = spvc_compiler_get_type_handle(compiler_, list[0].base_type_id);
  unsigned members = spvc_type_get_num_member_types(block);
  struct Range {
    uint32_t first, end;
    std::string name;
  };
  std::vector<Range> ranges;
  bool allFloat = true;
  uint32_t registers = 0;
  for (unsigned m = 0; m < members; ++m) {
    unsigned offset = 0;
    size_t size = 0;
    spvc_compiler_type_struct_member_offset(compiler_, block, m, &offset);
    spvc_compiler_get_declared_struct_member_size(compiler_, block, m, &size);
    const char* memberName = spvc_compiler_get_member_name(compiler_, list[0].base_type_id, m);
    Range r{offset / kRegisterBytes, static_cast<uint32_t>((offset + size + kRegisterBytes - 1) / kRegisterBytes),
            memberName ? memberName : ""};
    if (offset % kRegisterBytes != 0) return Fail("constant '" + r.name + "' does not start at a register");
    if (r.end > limit) {
      return Fail("constant '" + r.name + "' uses registers up to c" + std::to_string(r.end - 1) +
                  "; the last is c" + std::to_string(limit - 1));
    }
    for (const Range& other : ranges) {
      if (r.first < other.end && other.first < r.end) {
        return Fail("constants '" + other.name + "' and '" + r.name + "' overlap in register c" +
                    std::to_string(r.first > other.first ? r.first : other.first));
      }
    }
    ranges.push_back(r);
    if (r.end > registers) registers = r.end;
    spvc_type memberType = spvc_compiler_get_type_handle(compiler_, spvc_type_get_member_type(block, m));
    spvc_basetype base = spvc_type_get_basetype(memberType);
    if (base == SPVC_BASETYPE_STRUCT) {
      return Fail("structure constant '" + r.name +
                  "' is not supported in this form: declare it as a global before the entry function");
    }
    if (base != SPVC_BASETYPE_FP32) allFloat = false;
  }
  if (allFloat) {
    out_->floatConstantArray = Prefix() + "c";
    out_->floatConstantRegisters = registers;
    // The flattened array takes the block type's name.
    spvc_compiler_set_name(compiler_, list[0].base_type_id, out_->floatConstantArray.c_str());
    spvc_compiler_unset_decoration(compiler_, list[0].id, SpvDecorationBinding);
    spvc_compiler_unset_decoration(compiler_, list[0].id, SpvDecorationDescriptorSet);
    if (spvc_compiler_flatten_buffer_block(compiler_, list[0].id) != SPVC_SUCCESS) {
      return Fail("the constants cannot be flattened");
    }
    flattened_ = true;
    return true;
  }
  // int/bool constants cannot share the vec4 array: every constant becomes a plain uniform.
  for (unsigned m = 0; m < members; ++m) {
    spvc_type_id typeId = spvc_type_get_member_type(block, m);
    spvc_type memberType = spvc_compiler_get_type_handle(compiler_, typeId);
    spvc_basetype base = spvc_type_get_basetype(memberType);
    TranslatedPlainConstant c;
    c.firstRegister = ranges[m].first;
    c.registerCount = ranges[m].end - ranges[m].first;
    c.components = spvc_type_get_vector_size(memberType);
    c.arraySize = 1;
    for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(memberType); ++d) {
      c.arraySize *= static_cast<uint32_t>(spvc_type_get_array_dimension(memberType, d));
    }
    if (spvc_type_get_columns(memberType) > 1) {
      return Fail("matrix constant '" + ranges[m].name +
                  "' is not supported together with int/bool constants of this form (uniform parameters of the "
                  "entry function, int/bool matrices): declare them as globals");
    }
    c.kind = base == SPVC_BASETYPE_FP32                                        ? TranslatedPlainConstant::kFloat
             : base == SPVC_BASETYPE_INT32                                     ? TranslatedPlainConstant::kInt
             : (base == SPVC_BASETYPE_UINT32 || base == SPVC_BASETYPE_BOOLEAN) ? TranslatedPlainConstant::kBool
                                                                               : TranslatedPlainConstant::kFloat;
    if (base != SPVC_BASETYPE_FP32 && base != SPVC_BASETYPE_INT32 && base != SPVC_BASETYPE_UINT32 &&
        base != SPVC_BASETYPE_BOOLEAN) {
      return Fail("constant '" + ranges[m].name + "' has an unsupported type");
    }
    // SPIRV-Cross writes the block as one uniform of structure type: "tq_ps_c.c<register>".
    std::string member = "c" + std::to_string(c.firstRegister);
    c.glslName = Prefix() + "c." + member;
    spvc_compiler_set_member_name(compiler_, list[0].base_type_id, m, member.c_str());
    out_->plainConstants.push_back(c);
  }
  std::string structName = Prefix() + "Constants";
  std::string variableName = Prefix() + "c";
  spvc_compiler_set_name(compiler_, list[0].base_type_id, structName.c_str());
  spvc_compiler_set_name(compiler_, list[0].id, variableName.c_str());
  spvc_compiler_unset_decoration(compiler_, list[0].id, SpvDecorationBinding);
  spvc_compiler_unset_decoration(compiler_, list[0].id, SpvDecorationDescriptorSet);
  return true;
}

bool Translation::MapSamplers() {
  const spvc_reflected_resource* list = nullptr;
  size_t count = 0;
  if (!ResourceList(SPVC_RESOURCE_TYPE_SAMPLED_IMAGE, &list, &count)) return Fail("cannot list the samplers");
  const uint32_t limit = out_->isPixelShader ? kPixelSamplers : kVertexSamplers;
  for (size_t i = 0; i < count; ++i) {
    SpvId id = list[i].id;
    spvc_type type = spvc_compiler_get_type_handle(compiler_, list[i].type_id);
    // An array takes one s register per element, from its own register on.
    uint32_t count = 1;
    for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(type); ++d) {
      count *= static_cast<uint32_t>(spvc_type_get_array_dimension(type, d));
    }
    uint32_t unit = spvc_compiler_get_decoration(compiler_, id, SpvDecorationBinding);
    if (count == 0 || unit >= limit || count > limit - unit) {
      return Fail("sampler '" + std::string(list[i].name) + "' uses s" + std::to_string(unit + count - 1) +
                  "; the last is s" + std::to_string(limit - 1));
    }
    for (const TranslatedSampler& other : out_->samplers) {
      if (unit < other.unit + other.count && other.unit < unit + count) {
        return Fail("two samplers use register s" + std::to_string(unit > other.unit ? unit : other.unit));
      }
    }
    TranslatedSampler sampler{Prefix() + "s" + std::to_string(unit), unit, count};
    spvc_compiler_set_name(compiler_, id, sampler.glslName.c_str());
    spvc_compiler_unset_decoration(compiler_, id, SpvDecorationBinding);
    spvc_compiler_unset_decoration(compiler_, id, SpvDecorationDescriptorSet);
    out_->samplers.push_back(sampler);
  }
  return true;
}

bool Translation::RejectUnsupportedResources() {
  static const spvc_resource_type kUnsupported[] = {SPVC_RESOURCE_TYPE_STORAGE_BUFFER,
                                                    SPVC_RESOURCE_TYPE_STORAGE_IMAGE,
                                                    SPVC_RESOURCE_TYPE_SEPARATE_IMAGE,
                                                    SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS,
                                                    SPVC_RESOURCE_TYPE_PUSH_CONSTANT};
  for (spvc_resource_type type : kUnsupported) {
    const spvc_reflected_resource* list = nullptr;
    size_t count = 0;
    if (!ResourceList(type, &list, &count)) return Fail("cannot list the shader resources");
    if (count > 0) {
      return Fail("'" + std::string(list[0].name) +
                  "': separate texture/sampler objects and buffers are not supported by shader model 3");
    }
  }
  return true;
}

bool Translation::FinishGlsl(std::string glsl) {
  for (const std::string& name : vpos_inputs_) {
    if (!ReplaceInputByMacro(&glsl, name, VposValue)) return Fail("cannot supply VPOS");
  }
  for (const std::string& name : vface_inputs_) {
    if (!ReplaceInputByMacro(&glsl, name, VfaceValue)) return Fail("cannot supply VFACE");
  }
  for (const std::string& name : frag_coord_inputs_) {
    if (!ReplaceInputByMacro(&glsl, name, FragCoordValue)) return Fail("cannot supply POSITION");
  }
  if (flattened_) {
    // SPIRV-Cross sizes the array from the last member of the block, which need not hold the highest
    // register: declare it with the registers really used.
    std::string decl = "uniform vec4 " + out_->floatConstantArray + "[";
    size_t at = glsl.find(decl);
    size_t close = at == std::string::npos ? at : glsl.find(']', at);
    if (close == std::string::npos) return Fail("the constant array is missing from the GLSL");
    glsl.replace(at + decl.size(), close - at - decl.size(), std::to_string(out_->floatConstantRegisters));
  }
  if (!out_->isPixelShader) {
    size_t mainAt = glsl.find("void main()");
    size_t open = mainAt == std::string::npos ? mainAt : glsl.find('{', mainAt);
    if (open == std::string::npos) return Fail("the GLSL has no main function");
    int depth = 0;
    size_t close = open;
    for (; close < glsl.size(); ++close) {
      if (glsl[close] == '{') ++depth;
      if (glsl[close] == '}' && --depth == 0) break;
    }
    if (close >= glsl.size()) return Fail("the GLSL main function is not closed");
    glsl.insert(close,
                "    gl_Position.xy += tq_PixelOffset * gl_Position.w;\n"
                "    gl_Position.y = -gl_Position.y;\n");
    out_->usesPixelOffset = true;
  }
  out_->glsl = std::move(glsl);
  return true;
}

HlslStatus Translation::Run(const uint32_t* words, size_t wordCount) {
  if (words && wordCount > 0 && words[wordCount - 1] == kShaderCodeEndToken) --wordCount;
  if (!words || wordCount < 5 || words[0] != kSpirvMagic) {
    Fail("the shader code is not a SPIR-V module from D3DXCompileShader");
    return kHlslInvalidCall;
  }
  if (spvc_context_create(&context_) != SPVC_SUCCESS) return kHlslOutOfMemory;
  spvc_context_set_error_callback(
      context_,
      [](void* userData, const char* error) {
        *static_cast<std::string*>(userData) += std::string("error: ") + error + "\n";
      },
      log_);
  spvc_parsed_ir ir = nullptr;
  if (spvc_context_parse_spirv(context_, words, wordCount, &ir) != SPVC_SUCCESS ||
      spvc_context_create_compiler(context_, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP,
                                   &compiler_) != SPVC_SUCCESS) {
    return kHlslInvalidCall;
  }
  SpvExecutionModel model = spvc_compiler_get_execution_model(compiler_);
  if (model != SpvExecutionModelFragment && model != SpvExecutionModelVertex) {
    Fail("the module is neither a vertex nor a pixel shader");
    return kHlslInvalidCall;
  }
  out_->isPixelShader = model == SpvExecutionModelFragment;
  // Only what the entry point reads: a module can hold samplers of functions it never calls (glslang
  // keeps them), which then take no texture unit, as on Direct3D 9.
  spvc_set active = nullptr;
  if (spvc_compiler_get_active_interface_variables(compiler_, &active) != SPVC_SUCCESS ||
      spvc_compiler_set_enabled_interface_variables(compiler_, active) != SPVC_SUCCESS ||
      spvc_compiler_create_shader_resources_for_active_variables(compiler_, &resources_, active) != SPVC_SUCCESS) {
    return kHlslInvalidCall;
  }
  if (!RejectUnsupportedResources() || !MapInputs() || !MapOutputs() || !MapConstants() || !MapSamplers()) {
    return kHlslInvalidCall;
  }

  spvc_compiler_options options = nullptr;
  if (spvc_compiler_create_compiler_options(compiler_, &options) != SPVC_SUCCESS) return kHlslOutOfMemory;
  spvc_compiler_options_set_uint(options, SPVC_COMPILER_OPTION_GLSL_VERSION, 410);
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION, SPVC_FALSE);
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_VULKAN_SEMANTICS, SPVC_FALSE);
  // Direct3D's clip depth runs 0..w, GL's -w..w.
  spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_FIXUP_DEPTH_CONVENTION,
                                 out_->isPixelShader ? SPVC_FALSE : SPVC_TRUE);
  if (!out_->plainConstants.empty()) {
    spvc_compiler_options_set_bool(options, SPVC_COMPILER_OPTION_GLSL_EMIT_UNIFORM_BUFFER_AS_PLAIN_UNIFORMS,
                                   SPVC_TRUE);
  }
  spvc_compiler_install_compiler_options(compiler_, options);
  // The vertex stage's pixel-centre offset, set by the device at each draw; SPIRV-Cross writes it below
  // the version line.
  if (!out_->isPixelShader &&
      spvc_compiler_add_header_line(compiler_, "uniform vec2 tq_PixelOffset;") != SPVC_SUCCESS) {
    return kHlslOutOfMemory;
  }
  const char* source = nullptr;
  if (spvc_compiler_compile(compiler_, &source) != SPVC_SUCCESS || !source) return kHlslInvalidCall;
  if (!FinishGlsl(source)) return kHlslInvalidCall;
  return kHlslOk;
}

}  // namespace

HlslStatus TranslateSpirvToGlsl(const uint32_t* words, size_t wordCount, TranslatedShader* out, std::string* log) {
  if (!out || !log) return kHlslInvalidPointer;
  *out = TranslatedShader();
  Translation translation(out, log);
  HlslStatus hr = translation.Run(words, wordCount);
  if (!HlslSucceeded(hr)) *out = TranslatedShader();
  return hr;
}
