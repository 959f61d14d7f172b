// Source rewrites that make glslang read a Direct3D 9 shader the way the Direct3D 9 compiler does. They
// work on preprocessed text (no comments or macros; includes inlined) and keep every line in its place,
// so glslang's messages still name the right file and line. What they do:
//  - effect syntax around the shader is removed: technique blocks, `texture` declarations, and
//    `sampler X = sampler_state {...}` becomes `sampler X` (its filter/address states are not kept);
//  - every constant and sampler gets an explicit register: one without `register(...)` takes the first
//    free c / s registers in declaration order (one per scalar/vector, one per matrix column, times the
//    array size), as the Direct3D 9 compiler assigns them, then `uniform` parameters of the entry
//    function likewise; one that the shader never reads takes none (a sampler is dropped, a constant
//    becomes a static global), as the Direct3D 9 compiler leaves it out; bool/int constants on b/i
//    registers move to a free c register (the player sets float registers only);
//  - a structure or int/bool constant becomes float constants, one register range per member (each
//    member starting a register of its own, as the Direct3D 9 compiler lays structures out), and its
//    name a static copy filled from them, converted, at the start of the entry function: the shader's
//    float constants then stay one register file;
//  - a call of `noise()` is refused with a clear message: the Direct3D 9 compiler offers it for texture
//    shaders only; so are GetRenderTargetSampleCount/Position (shader model 4.1), an empty `{}`
//    inside an initialiser list, a global declared twice and a text that ends inside a declaration, on
//    which glslang would crash;
//  - a global with an initial value and no register becomes `static`: its value is the one written in
//    the file, since nothing else could set it;
//  - an untyped `sampler` used with tex1D/tex3D/texCUBE takes that type;
//  - a function's `const` return type loses the `const`; `T a[N] = {1, 2, ...}` of vectors or matrices
//    written as plain numbers is grouped into constructors;
//  - a `static` global initialised by a call of a user function is assigned at the start of the entry
//    function instead (glslang rejects such initialisers as recursion);
//  - an entry-function parameter without a name is given one (glslang cannot take it unnamed);
//  - `in` before a VPOS parameter of the entry function is dropped, so VPOS stays an input that the GLSL
//    translation supplies in the Direct3D 9 convention.
#pragma once

#include <string>

#include "renderer/hlsl/hlsl_tokens.h"

// Returns the rewritten text in *bridged. Warnings ("file:line: warning: ...") are appended to
// *messages; on a fatal problem (no entry function, registers exhausted) it returns false with
// "file:line: error: ..." in *messages.
bool BridgeDx9Hlsl(const std::string& text, const HlslTokenList& tokens, bool vertexStage,
                   const std::string& entryPoint, std::string* bridged, std::string* messages);
